#include "win32_audio_devices_port.h"

#include <windows.h>
// after windows.h, which they need; initguid.h makes the endpoint API's identifiers here
#include <initguid.h>
#include <mmdeviceapi.h>
#include <mmsystem.h>
// after the device API, whose property key type it uses
#include <functiondiscoverykeys_devpkey.h>

#include "text.h"

namespace kestrel::win32 {

std::vector<std::string> Win32AudioDevicesPort::inputDeviceNames() {
    std::vector<std::string> names;
    const UINT count = waveInGetNumDevs();
    for (UINT id = 0; id < count; ++id) {
        WAVEINCAPSW caps{};
        const bool known = waveInGetDevCapsW(id, &caps, sizeof caps) == MMSYSERR_NOERROR;
        names.push_back(known ? narrow(caps.szPname) : std::string());
    }
    return names;
}

std::vector<std::string> Win32AudioDevicesPort::outputDeviceNames() {
    std::vector<std::string> names;
    const UINT count = waveOutGetNumDevs();
    for (UINT id = 0; id < count; ++id) {
        WAVEOUTCAPSW caps{};
        const bool known = waveOutGetDevCapsW(id, &caps, sizeof caps) == MMSYSERR_NOERROR;
        names.push_back(known ? narrow(caps.szPname) : std::string());
    }
    return names;
}

namespace {

// Releases a COM interface when it goes out of scope.
template <typename T>
struct Released {
    T* p = nullptr;
    ~Released() {
        if (p) p->Release();
    }
};

// One endpoint's friendly name; false when any call on the way fails.
bool friendlyName(IMMDeviceCollection* endpoints, UINT i, std::string& name) {
    Released<IMMDevice> endpoint;
    if (FAILED(endpoints->Item(i, &endpoint.p))) return false;
    LPWSTR id = nullptr;
    if (FAILED(endpoint.p->GetId(&id))) return false;
    CoTaskMemFree(id);
    Released<IPropertyStore> properties;
    if (FAILED(endpoint.p->OpenPropertyStore(STGM_READ, &properties.p))) return false;
    PROPVARIANT value;
    PropVariantInit(&value);
    if (FAILED(properties.p->GetValue(PKEY_Device_FriendlyName, &value))) return false;
    name = value.vt == VT_LPWSTR && value.pwszVal ? narrow(value.pwszVal) : std::string();
    PropVariantClear(&value);
    return true;
}

}  // namespace

// The component library is started for this thread if nobody has done it yet; the
// device enumerator needs it.
std::vector<std::string> Win32AudioDevicesPort::endpointNames(bool capture) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::vector<std::string> names;
    Released<IMMDeviceEnumerator> enumerator;
    if (FAILED(CoCreateInstance(CLSID_MMDeviceEnumerator, nullptr, CLSCTX_ALL,
                                IID_IMMDeviceEnumerator, reinterpret_cast<void**>(&enumerator.p))))
        return names;
    Released<IMMDeviceCollection> endpoints;
    if (FAILED(enumerator.p->EnumAudioEndpoints(capture ? eCapture : eRender,
                                                DEVICE_STATE_ACTIVE | DEVICE_STATE_UNPLUGGED,
                                                &endpoints.p)))
        return names;
    UINT count = 0;
    if (FAILED(endpoints.p->GetCount(&count))) return names;
    for (UINT i = 0; i < count; ++i) {
        std::string name;
        if (!friendlyName(endpoints.p, i, name)) break;
        names.push_back(std::move(name));
    }
    return names;
}

}  // namespace kestrel::win32
