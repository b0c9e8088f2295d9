// Any bytes read as Kestrel.ini: reading never fails, text in UTF-16 goes back to the
// same bytes, and a write changes only its key.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "settings/ini_encoding.h"
#include "settings/ini_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kestrel::IniText;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    kestrel::IniDecoded decoded = kestrel::decodeIniBytes(bytes);
    if (!decoded.text) return 0;
    FUZZ_CHECK(kestrel::encodeIniText(*decoded.text, decoded.encoding) == bytes);
    IniText ini(std::move(*decoded.text));
    const auto contestBefore = ini.value("Kestrel Modem", "Contest");
    const auto otherBefore = ini.value("Other", "Key");
    ini.value("kestrel modem", "");
    FUZZ_CHECK(ini.sectionOnly("KESTREL modem").value("Kestrel Modem", "Contest") == contestBefore);

    if (ini.setValue("Kestrel Modem", "Markfrequency", "2125")) {
        FUZZ_CHECK(ini.value("KESTREL MODEM", "markfrequency") == std::string("2125"));
        FUZZ_CHECK(ini.value("Kestrel Modem", "Contest") == contestBefore);
        FUZZ_CHECK(ini.value("Other", "Key") == otherBefore);
        // Reading the written text again gives the same values.
        IniText again(ini.bytes());
        FUZZ_CHECK(again.value("Kestrel Modem", "Markfrequency") == std::string("2125"));
    }
    return 0;
}
