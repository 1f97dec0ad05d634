// Feeds arbitrary bytes to the settings-file parser; what parses must write back the same way.
#include "platform/Settings.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<plat::SettingRecord> records;
    if (plat::ParseSettingsText(text, &records)) {
        for (const plat::SettingRecord& record : records)
            if (record.name.empty() || record.data.size() > size)
                std::abort();
    }
    return 0;
}
