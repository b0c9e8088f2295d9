#include "win32_audio_devices_port.h"

#include <windows.h>
// after windows.h, which they need
#include <mmsystem.h>

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

}  // namespace kestrel::win32
