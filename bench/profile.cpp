// Player profiles with 10,000 log entries (5,000 sales and 5,000 purchases): encoding and
// decoding one, and the profile popup's save of five such profiles (each file written to a
// temporary file, synced and renamed, the folder synced once after the five) beside writing the
// same bytes with a plain write, fsync and rename.
#include "BenchScratch.h"
#include "game/shell/GameApp.h"
#include "game/shell/ProfileFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace Quor;

PlayerProfile LoggedProfile(int slot)
{
    PlayerProfile p;
    p.versionStamp = ProfileVersionStamp;
    p.slotIndex = slot;
    p.name = "Player " + std::to_string(slot);
    p.money = 250000 + slot;
    p.day = 5000;
    for (int id = 1; id <= 80; ++id) {
        p.recipes[id] = id % 3 == 0;
        p.blueprintStats[id] = {id, 40 + id, id % 8};
    }
    for (int id = 1; id <= 36; ++id)
        p.materialStats[id] = {id, 5 + id, id % 8};
    for (int i = 0; i < 5000; ++i) {
        p.saleLog.push_back({1 + i % 80, i, 3 + i % 20});
        p.purchaseLog.push_back({1 + i % 36, i, 10 + i % 50});
    }
    return p;
}

void EncodeProfile(benchmark::State& state)
{
    const PlayerProfile profile = LoggedProfile(0);
    for (auto _ : state) {
        std::vector<uint8_t> bytes = EncodePlayerProfile(profile, true);
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(EncodeProfile)->Unit(benchmark::kMicrosecond);

void DecodeProfile(benchmark::State& state)
{
    const std::vector<uint8_t> bytes = EncodePlayerProfile(LoggedProfile(0), true);
    PlayerProfile profile;
    for (auto _ : state) {
        DecodePlayerProfile(bytes.data(), bytes.size(), profile);
        benchmark::DoNotOptimize(profile.saleLog.data());
    }
    state.counters["bytes"] = double(bytes.size());
}
BENCHMARK(DecodeProfile)->Unit(benchmark::kMicrosecond);

// The user's data folder points into a scratch folder of this run.
struct SaveSetup {
    quorbench::ScratchDir mScratch{"quor_bench_profile_"};
    GameApp mApp;

    SaveSetup()
    {
        setenv("XDG_DATA_HOME", mScratch.Path().c_str(), 1);
        for (int slot = 0; slot < 5; ++slot)
            mApp.profiles.push_back(LoggedProfile(slot));
        mApp.currentProfile = 0;
        std::filesystem::create_directories(PlayerProfileFolder());
    }
};

SaveSetup& Setup()
{
    static SaveSetup setup;
    return setup;
}

// What the popup does when it closes: the five slots saved in turn.
void SaveFiveProfiles(benchmark::State& state)
{
    GameApp& app = Setup().mApp;
    for (auto _ : state)
        if (!app.SaveFivePlayerProfiles())
            state.SkipWithError("a save failed");
}
BENCHMARK(SaveFiveProfiles)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same five files' bytes, each written to a temporary file, synced and renamed over the
// file.
void PlainWriteSyncRename(benchmark::State& state)
{
    GameApp& app = Setup().mApp;
    const std::string folder = PlayerProfileFolder();
    std::vector<std::vector<uint8_t>> files;
    for (int slot = 0; slot < 5; ++slot)
        files.push_back(EncodePlayerProfile(app.profiles[size_t(slot)], slot == 0));
    for (auto _ : state) {
        for (int slot = 0; slot < 5; ++slot) {
            const std::string path = folder + "/Q" + std::to_string(slot) + ".dat";
            const std::string temp = path + ".tmp";
            int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const std::vector<uint8_t>& bytes = files[size_t(slot)];
            if (fd < 0 || write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()) || fsync(fd) != 0 ||
                close(fd) != 0 || std::rename(temp.c_str(), path.c_str()) != 0)
                state.SkipWithError("the plain write failed");
        }
    }
}
BENCHMARK(PlainWriteSyncRename)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
