// Feeds arbitrary bytes to the demo-file reader through a file, as start-up reads it, and plays
// back what it accepted.
#include "app/Buffer.h"
#include "app/QuorAppBase.h"
#include "fuzz/FuzzScratch.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static quorfuzz::Scratch scratch("quor_fuzz_demo_", ".dmo");
    const std::string& path = scratch.path;
    quorfuzz::WriteBytes(path, data, size);

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
        // Play the stream back: every record, and recorded data taken in place of live data,
        // must stay inside what the file holds.
        app->mShutdown = false;
        app->mExitToTop = false;
        app->mPlayingDemo = true;
        app->mDemoWindowClosed = false;
        app->mUpdateCount = 0;
        app->mLastDemoUpdateCnt = 0;
        app->mDemoNeedsCommand = true;
        for (int step = 0; step < 4096 && !app->mDemoBuffer.AtEnd(); ++step) {
            app->ProcessDemo();
            if (step % 7 == 3) {
                Quor::Buffer synced;
                app->DemoSyncBuffer(&synced);
                if (synced.GetDataLen() > int(size))
                    std::abort();
            }
            app->mShutdown = false;
            ++app->mUpdateCount;
        }
        app->mPlayingDemo = false;
    } else if (error.empty()) {
        std::abort();
    }
    return 0;
}
