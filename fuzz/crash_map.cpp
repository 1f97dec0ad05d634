// Feeds an arbitrary linker map file and report text to the crash report's map annotation.
#include "app/CrashCatcher.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The map file, a NUL byte, then the report text.
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t split = input.find('\0');
    std::string map = input.substr(0, split);
    std::string report = split == std::string::npos ? "Logical Address: 0001:00000010\r\n" : input.substr(split + 1);
    Quor::CrashCatcher::AnnotateWithMapFile(report, map);
    return 0;
}
