// Feeds arbitrary bytes to the INI reader, then checks that what it writes back reads the same.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    common::IniFile ini;
    ini.parse(text);
    for (const auto& section : ini.sections())
        for (const auto& key : ini.keys(section))
            if (!ini.get(section, key))
                std::abort();
    // Writing keeps the content: reading the written text and writing again gives the same text.
    std::string once = ini.text();
    common::IniFile again;
    again.parse(once);
    if (again.text() != once)
        std::abort();
    // A value set on top of arbitrary content reads back unchanged.
    if (ini.set("Setting", "LastFtpIP", text.substr(0, 64))) {
        common::IniFile after;
        after.parse(ini.text());
        if (after.get("Setting", "LastFtpIP") != ini.get("Setting", "LastFtpIP"))
            std::abort();
    }
    return 0;
}
