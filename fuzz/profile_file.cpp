// Feeds arbitrary bytes to the profile reader as the save file P0.dat, then saves the profile it
// read and reads it back: the second reading must give the same profile.
#include "fuzz/FuzzScratch.h"
#include "game/shell/GameApp.h"
#include "game/shell/ProfileFile.h"
#include "platform/Files.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace {

class FuzzApp : public Quor::GameApp {
public:
    int MsgBox(const std::string&, const std::string&, uint32_t) override { std::abort(); }
    void LogScreenError(const std::string&) override { std::abort(); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The user's data folder of the run, removed when the fuzzer exits.
    static quorfuzz::DataFolder folder("quor_fuzz_profile_");
    static FuzzApp* app = [] {
        auto* made = new FuzzApp();
        for (int i = 0; i < 5; ++i)
            made->CreateDefaultProfile("");
        return made;
    }();

    std::filesystem::create_directories(Quor::PlayerProfileFolder());
    if (!plat::WriteWholeFile(Quor::PlayerProfilePath(0), data, size))
        std::abort();
    app->currentProfile = 1;
    if (!app->LoadPlayerProfile(0))
        std::abort();
    Quor::PlayerProfile first = app->profiles[0];
    if (!app->SavePlayerProfile(0) || !app->LoadPlayerProfile(0))
        std::abort();
    // A second save of what the file gave reads back the same, except what the clamps and the
    // hidden names change once.
    Quor::PlayerProfile second = app->profiles[0];
    if (!app->SavePlayerProfile(0) || !app->LoadPlayerProfile(0))
        std::abort();
    if (!(app->profiles[0] == second))
        std::abort();
    (void)first;
    return 0;
}
