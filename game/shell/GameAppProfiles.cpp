// GameApp: the five player profiles: new profiles on the game data, the start-up version check,
// and saving and loading the save files.
#include "game/shell/GameApp.h"

#include "app/Common.h"
#include "game/shell/ProfileFile.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"

#include <algorithm>

namespace Quor {

void GameApp::CreateDefaultProfile(const std::string& name)
{
    profiles.emplace_back();
    currentProfile = int32_t(profiles.size()) - 1;
    PlayerProfile& p = profiles.back();
    p.slotIndex = currentProfile;
    p.versionStamp = ProfileVersionStamp;
    p.tutorialStep = 0;
    p.name = name;
    p.country = 0;
    p.day = 0;
    p.money = 0;
    p.buyFactor = 1.0;
    p.sellFactor = 1.0;
    p.DeveloperFlag = false;
    p.logo.logoIndex = 0;
    p.miniGameOpen1 = p.miniGameOpen2 = false;
    p.gameOverCounter = 0;

    // Every country of the map, and a factory where the country has all five places.
    for (const auto& [key, record] : countryMapTable) {
        p.countries.emplace(record.Id, false);
        if (record.placePos.size() == 5)
            p.factories.emplace(record.Id, FactoryState{record.Id, -1, false, false});
    }
    p.countries[0] = true;
    if (auto it = p.factories.find(0); it != p.factories.end())
        it->second.firstFlag = true;

    for (const auto& [factoryId, factory] : p.factories)
        for (const auto& [blueprintId, blueprint] : blueprintTable)
            p.production.push_back({factoryId, blueprintId, 1, 1, 0});
    for (const auto& [id, blueprint] : blueprintTable) {
        p.recipes.emplace(id, false);
        p.blueprintStats.emplace(id, ItemStatRecord{id, -1, -1});
    }
    p.recipes[1] = true;
    for (const auto& [id, source] : sourceTable)
        p.materialStats.emplace(id, ItemStatRecord{id, -1, -1});
    for (int32_t award = 0; award <= 16; ++award)
        p.awards.emplace(award, false);

    // Quest 1 is open from the start, with all its targets to do.
    if (auto it = questTable.find(1); it != questTable.end()) {
        std::map<int32_t, bool> targets;
        for (size_t i = 0; i < it->second.Target.size(); ++i)
            targets.emplace(int32_t(i), false);
        p.quests.emplace(1, QuestState(1, 1, false, targets));
    }
}

void GameApp::ValidateProfileVersions()
{
    bool valid = true;
    for (size_t i = 0; i < profiles.size() && i < 5; ++i)
        if (profiles[i].versionStamp != ProfileVersionStamp)
            valid = false;
    if (valid)
        return;

    // The blank profiles replace the five in memory only; a later save would overwrite the
    // files, so each gets a backup first.
    for (int slot = 0; slot < 5; ++slot) {
        std::string path = PlayerProfilePath(slot);
        std::string backup = path + ".bak";
        std::vector<uint8_t> bytes;
        if (plat::FileExists(backup) || !plat::ReadWholeFile(path, &bytes))
            continue;
        std::string error;
        if (!plat::WriteWholeFile(backup, bytes.data(), bytes.size(), &error))
            LogScreenError("The profile backup failed: " + error);
    }
    profiles.clear();
    for (int i = 0; i < 5; ++i)
        CreateDefaultProfile("");
    currentProfile = 0;
}

namespace {

// Temporary files of slot saves that were cut short (".P<n>.dat.XXXXXX", n from first to
// last) are never read; they go before the next save.
void RemoveStrayTemporaries(const std::string& folder, int first, int last)
{
    const std::string pattern = first == last ? StrFormat(".P%d.dat.*", first) : std::string(".P?.dat.*");
    for (const plat::FindData& stray : plat::FindFiles(folder + "/" + pattern)) {
        const std::string& name = stray.name;
        if (!stray.isDirectory && name.size() == 14 && name[2] >= '0' + first && name[2] <= '0' + last)
            plat::DeleteFile(folder + "/" + name);
    }
}

} // namespace

void GameApp::ReportProfileSaveFailure(const std::string& error)
{
    LogScreenError("The profile could not be saved: " + error);
    MsgBox("The profile could not be saved; the file keeps its earlier contents.\n" + error, "Error",
           plat::MB_OK | plat::MB_ICONERROR);
}

bool GameApp::SavePlayerProfile(int slot, bool syncFolder)
{
    if (slot < 0 || size_t(slot) >= profiles.size())
        return false;
    // A demo played back changes the profiles in memory only: the player's files stay as they are.
    if (mPlayingDemo)
        return true;
    std::vector<uint8_t> bytes = EncodePlayerProfile(profiles[size_t(slot)], slot == currentProfile);

    std::string folder = PlayerProfileFolder();
    CreateDirectories(folder);
    RemoveStrayTemporaries(folder, slot, slot);
    std::string error;
    if (plat::WriteWholeFile(PlayerProfilePath(slot), bytes.data(), bytes.size(), &error, syncFolder))
        return true;
    ReportProfileSaveFailure(error);
    return false;
}

bool GameApp::SaveFivePlayerProfiles()
{
    bool all = profiles.size() >= 5;
    if (mPlayingDemo)
        return all;
    const int count = int(std::min<size_t>(profiles.size(), 5));
    if (count == 0)
        return all;
    std::string folder = PlayerProfileFolder();
    CreateDirectories(folder);
    RemoveStrayTemporaries(folder, 0, 4);
    // The five go to the disk together: after a crash each file is its old or its new self.
    plat::FileBatch batch;
    std::vector<std::string> errors;
    for (int slot = 0; slot < count; ++slot) {
        std::vector<uint8_t> bytes = EncodePlayerProfile(profiles[size_t(slot)], slot == currentProfile);
        std::string error;
        if (!batch.Add(PlayerProfilePath(slot), bytes.data(), bytes.size(), &error))
            errors.push_back(error);
    }
    batch.Finish(&errors);
    for (const std::string& error : errors)
        ReportProfileSaveFailure(error);
    return all && errors.empty();
}

bool GameApp::LoadPlayerProfile(int slot)
{
    if (slot < 0 || size_t(slot) >= profiles.size())
        return false;
    std::vector<uint8_t> bytes;
    if (!plat::ReadWholeFile(PlayerProfilePath(slot), &bytes))
        return false;
    PlayerProfile& profile = profiles[size_t(slot)];
    if (DecodePlayerProfile(bytes.data(), bytes.size(), profile))
        currentProfile = slot;
    ApplyHiddenAccount(profile);
    return true;
}

bool GameApp::AnyProfileNamed() const
{
    for (const PlayerProfile& profile : profiles)
        if (!profile.name.empty())
            return true;
    return false;
}

} // namespace Quor
