// GameApp: construction, start-up, the loading thread, the end of loading, resource errors and
// destruction.
#include "game/shell/GameApp.h"

#include "game/shell/DCapResource.h"
#include "game/shell/GameDataLoader.h"
#include "game/shell/Loading.h"
#include "game/shell/MusicTrackList.h"
#include "game/shell/ResourceBinding.h"
#include "resources/PakInterface.h"
#include "resources/XMLParser.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <list>

namespace Quor {

const char* const GameApp::kResourceManifests[16] = {
    "properties\\res_init.xml",          "properties\\res_fx.xml",
    "properties\\res_se.xml",            "properties\\res_menu_acc.xml",
    "properties\\res_menu_award.xml",    "properties\\res_menu_blueprint.xml",
    "properties\\res_menu_main.xml",     "properties\\res_menu_popup.xml",
    "properties\\res_menu_help.xml",     "properties\\res_menu_score.xml",
    "properties\\res_game_main.xml",     "properties\\res_game_country.xml",
    "properties\\res_game_worldmap.xml", "properties\\res_game_reward.xml",
    "properties\\res_mg.xml",            "properties\\res_tutor.xml",
};

GameApp::GameApp()
{
    std::srand(unsigned(std::time(nullptr)));

    mProductName = "Tallowmere";
    mProductVersion = "";
    mTitle = mProductName + " - " + mProductVersion;
    mRegistryKey = "Ondrel\\QuorAppFramework\\Orvel";
    mWidth = 1024;
    mHeight = 768;

    highScores = new std::list<ScoreEntry>();
    CreateDefaultScores(*highScores);
    musicTracks = new MusicTrackList(this);
    resourceManager = new DCapResource(this);
    currentProfile = 0;

    // The archive lies beside the program, whatever folder the program was started from. A
    // missing archive is not reported here: the first group that cannot be read reports it.
    PakInterface* pak = GetPakInterface();
    pak->mDecryptPassword = kArchivePassword;
    std::string folder = mChangeDirTo.empty() || mChangeDirTo.back() == '/' ? mChangeDirTo : mChangeDirTo + "/";
    (void)pak->AddPakFile(folder + "main.pak");
}

GameApp::~GameApp()
{
    delete musicTracks;
    musicTracks = nullptr;
    Set3DAccelerated(false, true);

    for (Widget*& screen : screens) {
        if (screen) {
            mWidgetManager->RemoveWidget(screen);
            delete screen;
            screen = nullptr;
        }
    }
    if (loadingScreen) {
        mWidgetManager->RemoveWidget(loadingScreen);
        delete loadingScreen;
        loadingScreen = nullptr;
    }
    // A loading screen that was still fading out when the program ended is no longer held in
    // loadingScreen, but it is still in the manager and owned by nobody else.
    for (Widget* widget : std::list<Widget*>(mWidgetManager->mWidgets)) {
        if (dynamic_cast<Loading*>(widget)) {
            mWidgetManager->RemoveWidget(widget);
            delete widget;
        }
    }

    // The loading thread may still be loading when the program ends without Start having
    // waited for it (a start-up that failed after launching it): it stops at its next resource.
    Shutdown();
    WaitForLoadingThread();
    for (const char* group : {"Init", "Fx", "Sound", "MenuPopup"})
        resourceManager->DeleteResources(group);
    profiles.clear();

    delete xmlParser;
    xmlParser = nullptr;
    delete resourceManager;
    resourceManager = nullptr;
    delete highScores;
    highScores = nullptr;
}

void GameApp::Init()
{
    QuorAppBase::Init();
    if (mShutdown)
        return;

    ParseResourceManifests();

    if (!resourceManager->LoadResources("Init") || !BindInitResources(resourceManager)) {
        mShutdownRequested = true;
        ReportResourceError(true);
        return;
    }

    SetCursorImage(0, IMG_CURSOR);
    SetCursorImage(1, IMG_CURSOR_HAND);
    SetCursorImage(2, IMG_CURSOR);
    EnableCustomCursors(true);
    Set3DAccelerated(true, true);

    loadingScreen = new Loading(this);
    loadingScreen->Resize(0, 0, mWidth, mHeight);
    mWidgetManager->AddWidget(loadingScreen);

    xmlParser = new XMLParser();
    LoadGameData();

    for (int i = 0; i < 5; ++i)
        CreateDefaultProfile("");
    currentProfile = 0;
    for (int slot = 0; slot < 5; ++slot)
        LoadPlayerProfile(slot);
    ValidateProfileVersions();

    // A first start (no player has a name yet) runs in full screen.
    if (!AnyProfileNamed())
        SwitchScreenMode(false);

    mNumLoadingThreadTasks = resourceManager->GetNumResources("Sound") +
                             resourceManager->GetNumResources("MenuPopup") +
                             resourceManager->GetNumResources("Fx");
}

void GameApp::ParseResourceManifests()
{
    for (const char* manifest : kResourceManifests) {
        if (!resourceManager->ParseResourcesFile(manifest)) {
            mShutdownRequested = true;
            ReportResourceError(true);
            return;
        }
    }
}

void GameApp::SetSplashDone()
{
    {
        std::lock_guard<std::mutex> lock(mSplashLock);
        splashDone = true;
    }
    mSplashWake.notify_all();
}

void GameApp::Shutdown()
{
    QuorAppBase::Shutdown();
    {
        std::lock_guard<std::mutex> lock(mSplashLock);
    }
    mSplashWake.notify_all();
}

GameApp::LoadResult GameApp::LoadGroupStepByStep(const char* group,
                                                 const std::function<bool(ResourceManager*)>& bind,
                                                 bool countProgress)
{
    resourceManager->StartLoadResources(group);
    while (resourceManager->LoadNextResource()) {
        if (countProgress)
            ++mCompletedLoadingThreadTasks;
        if (mShutdown || mShutdownRequested)
            return LoadResult::Aborted;
        if (countProgress)
            mLoadingRedrawRequested = true;
    }
    if (resourceManager->HadError() || !bind(resourceManager))
        return LoadResult::Failed;
    return LoadResult::Loaded;
}

bool GameApp::LoadGroupInForeground(const char* group, const std::function<bool(ResourceManager*)>& bind)
{
    switch (LoadGroupStepByStep(group, bind, false)) {
    case LoadResult::Loaded:
        return true;
    case LoadResult::Aborted:
        return false;
    case LoadResult::Failed:
        break;
    }
    ReportResourceError(true);
    loadFailed = true;
    return false;
}

void GameApp::LoadingThreadProc()
{
    // Wait for the splash images; a shutdown ends the wait too. The timed wait only bounds how
    // long a flag set without the wake-up would go unseen.
    {
        std::unique_lock<std::mutex> lock(mSplashLock);
        mLoadingRedrawRequested = true;
        while (!splashDone && !mShutdown && !mShutdownRequested)
            mSplashWake.wait_for(lock, std::chrono::milliseconds(250));
    }
    if (mShutdown || mShutdownRequested)
        return;

    struct Step {
        const char* group;
        bool (*bind)(ResourceManager*);
    };
    static const Step kSteps[] = {{"Fx", &BindFxResources},
                                  {"MenuPopup", &BindMenuPopupResources},
                                  {"Sound", &BindSoundResources}};
    for (const Step& step : kSteps) {
        LoadResult result = LoadGroupStepByStep(step.group, step.bind, true);
        if (result == LoadResult::Aborted)
            return;
        if (result == LoadResult::Failed) {
            // Reported by the main thread once this thread has ended.
            mLoadingFailedGroup = step.group;
            return;
        }
    }
    // The variables bound here reach the main thread through the base's loading-completed flag,
    // set after this returns and read before LoadingThreadCompleted runs.
}

void GameApp::LoadingThreadCompleted()
{
    if (const char* failed = mLoadingFailedGroup.load()) {
        if (std::string(failed) == "Fx") {
            // The effects are not vital to go on with the popup: the main loop shuts down.
            ReportResourceError(false);
            exitStatus = 1;
            mShutdownRequested = true;
        } else {
            ReportResourceError(true);
        }
        return;
    }
    if (mShutdownRequested || !loadingScreen)
        return;
    loadingScreen->mFadeAlpha = 255;
    loadingScreen->mFadingOut = true;
    loadingScreen = nullptr;
}

void GameApp::UpdateFrames()
{
    if (mLoadingRedrawRequested.exchange(false) && loadingScreen)
        loadingScreen->SetDirty();
    QuorAppBase::UpdateFrames();
}

void GameApp::ReportResourceError(bool exitProgram)
{
    Popup(resourceManager->GetErrorText());
    if (!exitProgram)
        return;
    exitStatus = 1;
    if (mIsInMainLoop) {
        // Inside the main loop the program ends through it, so that the loop's threads stop.
        mShutdownRequested = true;
        Shutdown();
        return;
    }
    DoExit(1);
}

void GameApp::TakeScreenshot()
{
    QuorAppBase::TakeScreenshot();
}

bool GameApp::LoadGameData()
{
    if (!xmlParser)
        xmlParser = new XMLParser();
    GameDataLoader loader(*xmlParser, *this, this);
    editedTables = 0;
    if (loader.LoadGameData())
        return true;
    // The error box has been shown and the shutdown requested: the program ends with a failure.
    exitStatus = 1;
    return false;
}

} // namespace Quor
