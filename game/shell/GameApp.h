// The game's application object: the one object the program makes. It starts the game (resource
// manifests, the "Init" group, the loading screen, game data and profiles), runs the loading
// thread that loads the effect, popup and sound groups, opens and closes the screens by number,
// and holds what the game shell shares: resources, game-data tables, profiles and high scores.
#pragma once

#include "app/QuorAppBase.h"
#include "game/shell/GameTables.h"
#include "game/shell/HighScores.h"
#include "game/shell/PlayerProfile.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <vector>

namespace Quor {

class DCapResource;
class Loading;
class MusicTrackList;
class ResourceManager;
class Widget;
class XMLParser;

// The numbers of the full-window screens, the slots of GameApp::screens.
enum ScreenId {
    SCREEN_GAME = 1,
    SCREEN_MAIN_MENU = 2,
    SCREEN_HELP = 3,
    SCREEN_OPTION = 4,
    SCREEN_CREDIT = 5,
    SCREEN_AWARD = 6,
    SCREEN_SCORE = 7,
    SCREEN_QUIT = 8,
    SCREEN_ACCOUNT = 9,
    SCREEN_LOGO = 10,
    SCREEN_EDITOR = 11,
    SCREEN_EDITOR2 = 12,
    SCREEN_SLOTS = 13
};

class GameApp : public QuorAppBase, public GameTables {
public:
    // The resource manifests, read in this order.
    static const char* const kResourceManifests[16];
    // The password of the game's archive.
    static constexpr const char* kArchivePassword = "lorvtekmiqazund";

    XMLParser* xmlParser = nullptr;   // owned; the game-data readers use it
    Loading* loadingScreen = nullptr; // the start-up screen until loading has ended
    // Set once the loading screen's splash images are over; the loading thread waits for it. Set
    // it through SetSplashDone, which wakes the loading thread.
    std::atomic<bool> splashDone{false};
    DCapResource* resourceManager = nullptr;  // owned
    MusicTrackList* musicTracks = nullptr;    // owned
    std::list<ScoreEntry>* highScores = nullptr;  // owned
    Widget* screens[SCREEN_SLOTS] = {};       // slot 0 never holds a screen
    std::vector<PlayerProfile> profiles;      // slots 0-4 after Init
    int32_t currentProfile = 0;

    // Tables the data editor has changed in memory since the game data was last read (bits of
    // EditedTable); reading the game data clears them.
    enum EditedTable : unsigned {
        EDITED_SOURCES = 1,
        EDITED_QUESTS = 2,
        EDITED_CHARACTERS = 4,
        EDITED_BLUEPRINTS = 8,
    };
    unsigned editedTables = 0;
    // Set by a screen whose own resource load failed (besides reporting it).
    bool loadingFailed = false;

    // The program's exit status: non-zero after a fatal error that ended the main loop.
    std::atomic<int> exitStatus{0};
    // Set by a game screen whose resource group failed to load or bind.
    bool loadFailed = false;

    GameApp();
    ~GameApp() override;

    void Init() override;
    void ParseResourceManifests() override;
    void LoadingThreadProc() override;
    void LoadingThreadCompleted() override;
    // Shows the resource manager's error text; with exitProgram the program ends with status 1.
    void ReportResourceError(bool exitProgram) override;
    void TakeScreenshot() override;
    // Also wakes the loading thread while it waits for the splash images.
    void Shutdown() override;
    // Turns the loading thread's redraw requests into a redraw of the loading screen.
    void UpdateFrames() override;

    // Screens by number: opens screen id (1-12) over the open ones; closes it (deleted after the
    // current update, so a screen may close itself from its own handlers).
    void ShowScreen(int id, int mode);
    void RemoveScreen(int id);

    void SetSplashDone();

    // Loads a group for a game screen on the calling thread: resource by resource until the
    // group is done or the program is shutting down, then binds it. A load error or a failed
    // binding reports the resource error (ending the program) and sets loadFailed. True only
    // when the group is loaded and bound.
    bool LoadGroupInForeground(const char* group, const std::function<bool(ResourceManager*)>& bind);

    // Music: one looping file (every song unloaded first, the file faded in as song 0), or the
    // timed programme of a country 0-7 on the scheduler (any other number only unloads).
    void PlayMusicFile(const std::string& fileName);
    void PlayCountryMusic(int country);

    // The profile of the current slot; the index must lie inside the list.
    PlayerProfile& GetCurrentProfile() { return profiles[size_t(currentProfile)]; }
    // Appends a new profile built on the game data, with the name, and makes it current.
    void CreateDefaultProfile(const std::string& name);
    // When one of the first five profiles carries another version stamp: keeps a backup of each
    // save file (P<n>.dat.bak, an existing backup kept), then resets all five to blank profiles,
    // slot 0 current. Nothing else is written.
    void ValidateProfileVersions();
    // Writes the profile of a slot to its save file, replacing the old one atomically; a failure
    // leaves the old file, is logged and shown in a message box: false.
    // The folder is synced after the rename unless the caller does it once for several saves.
    bool SavePlayerProfile(int slot, bool syncFolder = true);
    // Saves the first five slots as SavePlayerProfile does, the five files flushed together and
    // the folder synced once after the last: false when any save failed (each failure reported
    // on its own).
    bool SaveFivePlayerProfiles();
    // The error log line and the message box of a failed profile save.
    void ReportProfileSaveFailure(const std::string& error);
    // Reads the save file of a slot into its profile (the current slot follows the file's flag);
    // false, with the profile unchanged, when there is no readable file.
    bool LoadPlayerProfile(int slot);
    bool AnyProfileNamed() const;
    // Reads the nine game-data files into the tables (again after the data editor has written
    // them; the editor's change marks are cleared). A file that cannot be opened shows an error
    // box and ends the program with status 1: false.
    bool LoadGameData();

protected:
    // The screen of a number, or null for a number that is no screen; a screen that the game
    // does not have yet is replaced by the main menu (one log line says so).
    virtual Widget* MakeScreen(int& id, int mode);

private:
    enum class LoadResult { Loaded, Failed, Aborted };
    // Loads a group one resource at a time, then binds it; the loading thread counts progress.
    LoadResult LoadGroupStepByStep(const char* group, const std::function<bool(ResourceManager*)>& bind,
                                   bool countProgress);

    std::mutex mSplashLock;
    std::condition_variable mSplashWake;
    std::atomic<bool> mLoadingRedrawRequested{false};
    // The group whose load or binding failed on the loading thread ("" for none); written by the
    // loading thread before it ends, read by the main thread after.
    std::atomic<const char*> mLoadingFailedGroup{nullptr};
};

} // namespace Quor
