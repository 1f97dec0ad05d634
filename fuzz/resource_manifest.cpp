// Reads arbitrary bytes as a resource manifest; a failure must leave a message.
#include "fuzz/FuzzScratch.h"
#include "resources/ResourceManager.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace {

const std::string& ScratchFile()
{
    static quorfuzz::Scratch scratch("quor_fuzz_manifest_", ".xml");
    return scratch.path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    quorfuzz::WriteBytes(ScratchFile(), data, size);

    Quor::ResourceManager manager(nullptr);
    manager.mAllowAlreadyDefinedResources = size % 2 == 1;
    bool ok = manager.ParseResourcesFile(ScratchFile());
    if (ok == manager.HadError() || (!ok && manager.GetErrorText().empty()))
        std::abort();
    // Every record sits in its group's list exactly once.
    size_t listed = 0;
    for (auto& [group, list] : manager.mResGroupMap)
        listed += list.size();
    if (listed != manager.mImageMap.size() + manager.mSoundMap.size() + manager.mFontMap.size())
        std::abort();
    return 0;
}
