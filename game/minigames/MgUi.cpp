#include "game/minigames/MgUi.h"

#include "game/minigames/MgGlaze.h"
#include "game/minigames/MgPaint.h"
#include "game/minigames/MgPuzzle.h"
#include "game/minigames/MgPuzzleTutor.h"
#include "game/minigames/MgSkeleton.h"
#include "game/minigames/MgTransfer.h"
#include "game/minigames/MgWine.h"
#include "game/minigames/MgWineTutor.h"
#include "game/shell/AmbientSoundCues.h"
#include "game/shell/DCapResource.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/MusicTrackList.h"
#include "game/shell/ParticleSet.h"
#include "game/shell/PopupQuit.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "game/world/Mission.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "platform/Sys.h"
#include "widgets/ButtonWidget.h"

#include <cstdio>

namespace Quor {

namespace {

void Log(const char* text)
{
    plat::DebugOutput(text);
}

Keyframe* Key(int kind, double time, double value)
{
    return new Keyframe{kind, 0, time, value};
}

} // namespace

MgUi::MgUi(GamePhase* owner, int miniGameId)
    : GamePanel(owner), mEffects(new EffectList()), mSoundCues(new AmbientSoundCues(owner->mApp)),
      mParticles(new ParticleSet(owner->mApp)), mMiniGameId(miniGameId)
{
    GameApp* app = owner->mApp;
    PlayerProfile& profile = *owner->mProfile;
    auto factory = profile.factories.find(profile.country);
    if (factory != profile.factories.end())
        mProductId = factory->second.productId;
    app->musicTracks->StopAll();

    // A load cut short by a shutdown binds nothing and reports nothing; a failed one has shown
    // its error and ends the program. Either way there is no game to play.
    const bool loaded = app->LoadGroupInForeground("Mg", &BindMgResources);

    mBackButton = MakeImageButton(ID_BACK, this, BTN_BACK2, BTN_BACK2_O, BTN_BACK2_C, 900, 700);
    mEndButton = MakeImageButton(ID_END, this, BTN_OK2, BTN_OK2_O, BTN_OK2_C, 585, 500);
    mEndButton->SetVisible(false);
    // Both are the panel's from here on; the end button goes on the screen when a game finishes.
    mControls.push_back(mEndButton);
    if (TutorialPending())
        mControls.push_back(mBackButton);
    else
        AddControl(mBackButton);

    if (!loaded) {
        Log("The mini-game pictures did not load; back to the factory\n");
        return;
    }
    if (factory == profile.factories.end()) {
        Log("The current country has no factory for a mini-game; back to the factory\n");
        return;
    }
    if (profile.FindProductRecord(mProductId) == nullptr || app->blueprintTable.count(mProductId) == 0) {
        char line[128];
        std::snprintf(line, sizeof(line), "Product %d has no recipe or production record for a mini-game; back to the factory\n",
                      mProductId);
        Log(line);
        return;
    }
    mGame = MakeGame(miniGameId);
    if (mGame == nullptr)
        return;
    mGame->Resize(0, 0, owner->mWidth, owner->mHeight);
    if (!TutorialPending() || (profile.tutorialStep != TUTOR_STEP_WINE && profile.tutorialStep != TUTOR_STEP_PUZZLE &&
                               profile.tutorialStep != TUTOR_STEP_GLAZE))
        ShowReadySign();
}

MgSkeleton* MgUi::MakeGame(int miniGameId)
{
    const int step = mOwner->mProfile->tutorialStep;
    int chosen = miniGameId;
    if (step == TUTOR_STEP_WINE || step == TUTOR_STEP_PUZZLE || step == TUTOR_STEP_GLAZE)
        chosen = step;
    switch (chosen) {
    case MINI_GAME_TRANSFER:
        return new MgTransfer(this);
    case MINI_GAME_PAINT:
        return new MgPaint(this);
    case MINI_GAME_WINE:
        return new MgWine(this);
    case TUTOR_STEP_WINE:
        return new MgWineTutor(this);
    case MINI_GAME_PUZZLE:
        return new MgPuzzle(this);
    case TUTOR_STEP_PUZZLE:
        return new MgPuzzleTutor(this);
    case MINI_GAME_GLAZE:
    case TUTOR_STEP_GLAZE:
        return new MgGlaze(this);
    default:
        break;
    }
    char line[128];
    std::snprintf(line, sizeof(line), "There is no mini-game %d; back to the factory\n", chosen);
    Log(line);
    return nullptr;
}

MgUi::~MgUi()
{
    mSoundCues->Clear();
    delete mSoundCues;
    mEffects->DeleteAll();
    delete mEffects;
    mParticles->Clear();
    delete mParticles;
    delete mGame;
    mGame = nullptr;
    // The buttons go with the panel's controls (GamePanel).
    mOwner->mApp->resourceManager->DeleteResources("Mg");
}

GameApp* MgUi::App() const
{
    return mOwner->mApp;
}

bool MgUi::TutorialPending() const
{
    return mOwner->mProfile->tutorialStep != TutorialFinished;
}

void MgUi::ShowReadySign()
{
    if (mReadySignShown || mGameStarted || mReturned)
        return;
    mReadySignShown = true;
    Image* sign = MG_READY;
    const int width = sign != nullptr ? sign->GetWidth() : 0;
    const int height = sign != nullptr ? sign->GetHeight() : 0;
    auto* effect = new FXObject((mOwner->mWidth - width) / 2, (mOwner->mHeight - height) / 2, width, height, sign, 1,
                                false, 1, ID_READY_SIGN, kReadySignTime, kReadySignTime, 0.0, FXObject::kDeriveNotifyTime);
    effect->SetTrack({Key(Keyframe::SCALE, 0.0, 0.0), Key(Keyframe::SCALE, 0.5, 1.0), Key(Keyframe::SCALE, 2.0, 1.0),
                      Key(Keyframe::SCALE, 2.5, 0.0)},
                     false);
    mEffects->Add(effect);
}

void MgUi::ContinueTutorialGame()
{
    if (auto* tutor = dynamic_cast<MgWineTutor*>(mGame))
        tutor->mRowsRunning = true;
}

void MgUi::Tick(double dt)
{
    if (mReturned)
        return;
    mSoundCues->Update(dt);
    if (mGame == nullptr) {
        ReturnToFactory();
        return;
    }
    if (!mGame->UpdateReward(dt) || mReturned)
        return;
    if (mGame->mStarted && mCountdown > 0.0) {
        mCountdown -= dt;
        if (mCountdown <= 0.0) {
            mCountdown = 0.0;
            mGame->EndPlay();
            mGame->TimeUp();
        }
        mGame->Tick(dt);
    }
    mParticles->Update(dt);
    HandleEffectsDone(mEffects->UpdateAllNotices(App()->mUpdateCount, dt));
}

void MgUi::HandleEffectsDone(const std::vector<int>& ids)
{
    for (int id : ids) {
        if (mReturned || mGame == nullptr)
            return;
        mGame->OnEffectDone(id);
        if (id == ID_RESULT_SHOWN) {
            mGame->Finish();
        } else if (id == ID_READY_SIGN && !mGameStarted) {
            mGameStarted = true;
            mGame->StartGame();
        }
    }
}

void MgUi::Draw(Graphics* g)
{
    if (mGame != nullptr)
        mGame->DrawPanel(g);
    if (!TutorialPending())
        mBackButton->DrawIfVisible(g);
    mEffects->DrawAll(g);
    mParticles->Draw(g);
    if (mGame != nullptr)
        mGame->Draw(g);
    mEndButton->DrawIfVisible(g);
}

void MgUi::PassTutorEvent(int id)
{
    // The tutorial frame hears the events while it is open.
    if (GamePanel* tutor = mOwner->mPanels[PANEL_TUTOR])
        tutor->TutorPassEvent(id);
}

void MgUi::ButtonDepress(int id)
{
    if (mReturned)
        return;
    PassTutorEvent(id);
    App()->PlaySample(SE_UI_CLICK);
    switch (id) {
    case ID_END:
        if (mGame == nullptr || mGame->ShowReward())
            ReturnToFactory();
        break;
    case ID_BACK:
        if (mGame != nullptr)
            mGame->mStarted = false;
        App()->ShowScreen(SCREEN_QUIT, 3);
        break;
    case ID_RESUME:
        if (mGame != nullptr && !mGame->HasEndedPlay())
            mGame->mStarted = true;
        break;
    default:
        break;
    }
}

void MgUi::ReturnToFactory()
{
    if (mReturned)
        return;
    mReturned = true;
    const int winnings = mWinnings;
    GamePhase* owner = mOwner;
    GameApp* app = owner->mApp;
    PlayerProfile& profile = *owner->mProfile;
    if (mGame != nullptr)
        mGame->LeaveScreen();
    app->PlayCountryMusic(profile.country);
    // From here on this screen is out of its slot and only waits to be freed.
    owner->ClosePanel(PANEL_MINI_GAME);
    owner->ShowPanel(PANEL_FACTORY, profile.country);
    if (GamePanel* hud = owner->mPanels[PANEL_INFO])
        hud->SetShown(true);
    // What the game produced may meet a quest's target.
    if (GamePanel* dialog = owner->mPanels[PANEL_MISSION])
        dialog->UpdateQuestTargets();
    if (winnings > 0) {
        profile.money = MgSkeleton::AddSaturated(profile.money, winnings);
        if (GamePanel* hud = owner->mPanels[PANEL_INFO])
            hud->ShowMoneyEffect();
    }
}

} // namespace Quor
