#include "game/world/GamePhase.h"

#include "game/minigames/MgUi.h"
#include "game/quests/TutorFrame.h"
#include "game/shell/DCapResource.h"
#include "game/shell/EffectList.h"
#include "game/shell/GameApp.h"
#include "game/shell/MusicTrackList.h"
#include "game/shell/ParticleSet.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/CountryMap.h"
#include "game/world/GamePanel.h"
#include "game/world/InfoPanel.h"
#include "game/world/MessagePopup.h"
#include "game/world/Mission.h"
#include "game/world/Note.h"
#include "game/world/WorldMap.h"
#include "graphics/Graphics.h"
#include "platform/Sys.h"
#include "widgets/ButtonListener.h"

#include <cstdio>

namespace Quor {

namespace {

// The tick order of the panels; the character dialog (8) is never ticked here.
constexpr int kTickOrder[] = {PANEL_COUNTRY_MAP, PANEL_WORLD_MAP,    PANEL_CELLAR,  PANEL_SUPPLIER, PANEL_MISSION_HOUSE,
                              PANEL_FACTORY,     PANEL_MINI_GAME,    PANEL_POTTERY, PANEL_INFO,     PANEL_MISSION_FULL,
                              PANEL_TUTOR,       PANEL_WARNING,      PANEL_GAME_OVER, PANEL_YES_NO, PANEL_NOTE};

// The layers below the effects, between the effects and the tutorial frame, and above the dim
// layer; the character dialog (8) is drawn by the mission house, never here.
constexpr int kDrawBelowEffects[] = {PANEL_COUNTRY_MAP, PANEL_CELLAR,    PANEL_SUPPLIER, PANEL_MISSION_HOUSE,
                                     PANEL_FACTORY,     PANEL_MINI_GAME, PANEL_INFO,     PANEL_MISSION_FULL};
constexpr int kDrawAboveEffects[] = {PANEL_WORLD_MAP, PANEL_POTTERY};
constexpr int kDrawPopups[] = {PANEL_WARNING, PANEL_GAME_OVER, PANEL_YES_NO, PANEL_NOTE};

} // namespace

GamePhase::GamePhase(GameApp* app)
    : mApp(app), mProfile(&app->GetCurrentProfile()), mParticles(new ParticleSet(app)), mEffects(new EffectList())
{
    mUsable = app->LoadGroupInForeground("GameMain", &BindGameMainResources);
}

GamePhase::~GamePhase()
{
    FreeClosedPanels();
    for (GamePanel*& panel : mPanels) {
        delete panel;
        panel = nullptr;
    }
    mParticles->Clear();
    delete mParticles;
    mEffects->DeleteAll();
    delete mEffects;
    mApp->resourceManager->DeleteResources("GameMain");
}

GamePanel* GamePhase::MakePanel(int id, int extra)
{
    switch (id) {
    case PANEL_COUNTRY_MAP:
        return new CountryMap(this);
    case PANEL_WORLD_MAP:
        return new WorldMap(this, mProfile->country);
    case PANEL_INFO:
        return new InfoPanel(this);
    case PANEL_WARNING:
        return new Warning(this, extra);
    case PANEL_NOTE:
        return new Note(this);
    case PANEL_YES_NO:
        return new UIPopupYesNo(this, extra);
    case PANEL_MISSION:
        return new Mission(this);
    case PANEL_MINI_GAME:
        return new MgUi(this, extra);
    case PANEL_TUTOR:
        return new TutorFrame(this, extra);
    default:
        // The other panels join the game with their own screens.
        return nullptr;
    }
}

void GamePhase::StorePanel(int id, GamePanel* panel)
{
    if (panel == nullptr)
        return;
    mPanels[id] = panel;
    panel->Resize(0, 0, mWidth, mHeight);
}

void GamePhase::ShowPanel(int id, int extra)
{
    if (id < 1 || id >= PANEL_SLOTS || !mUsable)
        return;
    if (mPanels[id] != nullptr) {
        char line[96];
        std::snprintf(line, sizeof(line), "Panel %d is open already; it stays and no second one is made\n", id);
        plat::DebugOutput(line);
        return;
    }
    StorePanel(id, MakePanel(id, extra));
}

void GamePhase::ClosePanel(int id)
{
    if (id < 1 || id >= PANEL_SLOTS || mPanels[id] == nullptr)
        return;
    GamePanel* panel = mPanels[id];
    mPanels[id] = nullptr;
    panel->RemoveControls();
    mClosedPanels.push_back(panel);
}

void GamePhase::FreeClosedPanels()
{
    // A panel's destructor may close another panel: take the list first.
    while (!mClosedPanels.empty()) {
        std::vector<GamePanel*> closed;
        closed.swap(mClosedPanels);
        for (GamePanel* panel : closed)
            delete panel;
    }
}

void GamePhase::ShowNote(const std::string& text, int x, int y)
{
    if (GamePanel* note = mPanels[PANEL_NOTE])
        note->SetText(text, x, y);
}

void GamePhase::HideNote()
{
    if (auto* note = dynamic_cast<Note*>(mPanels[PANEL_NOTE]))
        note->Hide();
}

bool GamePhase::TutorPassEvent(int event)
{
    GamePanel* tutor = mPanels[PANEL_TUTOR];
    return tutor && tutor->TutorPassEvent(event);
}

ButtonListener* GamePhase::GetMiniGameListener()
{
    return dynamic_cast<ButtonListener*>(mPanels[PANEL_MINI_GAME]);
}

void GamePhase::ShowNextQuestReward()
{
    if (GamePanel* dialog = mPanels[PANEL_MISSION])
        dialog->ShowNextReward();
}

void GamePhase::AddedToManager(WidgetManager* manager)
{
    (void)manager;
    if (!mUsable)
        return;
    // The permanent panels are made here only, never through ShowPanel.
    StorePanel(PANEL_COUNTRY_MAP, MakePanel(PANEL_COUNTRY_MAP, 0));
    StorePanel(PANEL_INFO, MakePanel(PANEL_INFO, 0));
    StorePanel(PANEL_MISSION, MakePanel(PANEL_MISSION, 0));
    StorePanel(PANEL_NOTE, MakePanel(PANEL_NOTE, 0));
    if (auto* countryMap = dynamic_cast<CountryMap*>(mPanels[PANEL_COUNTRY_MAP])) {
        countryMap->SetCountry(mProfile->country);
        countryMap->UpdateVisitState();
    }
    if (mProfile->tutorialStep == 0)
        mApp->PlayMusicFile("music/story_page.ogg");
}

void GamePhase::RemovedFromManager(WidgetManager* manager)
{
    (void)manager;
}

void GamePhase::Update()
{
    FreeClosedPanels();
    if (mApp->mUpdateCount % 2 == 0)
        Tick(kTickStep);
}

void GamePhase::Tick(double dt)
{
    if (!mApp->mHasFocus || !mUsable)
        return;
    mApp->musicTracks->UpdateAll(dt);
    for (int id : kTickOrder)
        if (GamePanel* panel = mPanels[id])
            panel->Tick(dt);
    mParticles->Update(dt);
    if (int notifyId = mEffects->UpdateAll(mApp->mUpdateCount, dt))
        OnNotify(notifyId);
    SetDirty();
}

void GamePhase::Draw(Graphics* g)
{
    if (!mApp->mHasFocus || !mUsable)
        return;
    g->SetColor(Color::Black);
    g->FillRect(0, 0, mWidth, mHeight);
    for (int id : kDrawBelowEffects)
        if (GamePanel* panel = mPanels[id])
            panel->Draw(g);
    mParticles->Draw(g);
    mEffects->DrawAll(g);
    for (int id : kDrawAboveEffects)
        if (GamePanel* panel = mPanels[id])
            panel->Draw(g);
    GamePanel* worldMap = mPanels[PANEL_WORLD_MAP];
    if (GamePanel* tutor = mPanels[PANEL_TUTOR];
        tutor && mProfile->tutorialStep != TutorialFinished && (!worldMap || !worldMap->IsTravelRunning()))
        tutor->Draw(g);
    if (GamePanel* info = mPanels[PANEL_INFO])
        info->DrawDimLayer(g);
    for (int id : kDrawPopups)
        if (GamePanel* panel = mPanels[id])
            panel->Draw(g);
}

void GamePhase::OnNotify(int id)
{
    if (id / 10000 != 5)
        return;
    if (GamePanel* missionHouse = mPanels[PANEL_MISSION_HOUSE])
        missionHouse->OnNotify(id);
}

} // namespace Quor
