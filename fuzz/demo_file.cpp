// Feeds arbitrary bytes to the demo-file reader through a file, as start-up reads it.
#include "app/QuorAppBase.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static std::string path = "/tmp/quor-fuzz-demo-" + std::to_string(getpid()) + ".dmo";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    static Quor::QuorAppBase* app = [] {
        auto* made = new Quor::QuorAppBase();
        made->mProductName = "Demo";
        return made;
    }();
    app->mDemoFileName = path;
    app->mDemoMarkers.clear();
    std::string error;
    if (app->ReadDemoFile(error)) {
        if (app->mDemoBuffer.GetDataLen() > int(size) || app->mDemoMarkers.size() > size)
            std::abort();
    } else if (error.empty()) {
        std::abort();
    }
    return 0;
}
