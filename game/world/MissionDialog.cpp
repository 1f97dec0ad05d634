// Mission: the character dialog (speech, paging, accepting and handing in quest steps, the step
// effects and fireworks, the way on to the reward screen).
#include "game/world/Mission.h"

#include "game/quests/MissionReward.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ParticleSet.h"
#include "game/shell/ParticleSystem.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/EffectConstruction.h"
#include "game/world/GamePhase.h"
#include "game/world/MissionHouse.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "platform/Sys.h"
#include "widgets/ButtonWidget.h"

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace Quor {

namespace {

const Color kSpeechColor(80, 20, 0);
constexpr double kTimerSeconds = 1.0;  // a step effect and the stand-in for a missing one
constexpr double kSecondFirework = 0.32;
constexpr double kLastFireworkToHandIn = 0.2;
constexpr int kDialogCentreX = 512;
constexpr int kDialogCentreY = 384;

void Log(const char* format, int a, int b = 0)
{
    char line[160];
    std::snprintf(line, sizeof(line), format, a, b);
    plat::DebugOutput(line);
}

std::string ReplaceName(std::string text, const std::string& name)
{
    static const std::string kMark = "%name";
    for (size_t at = text.find(kMark); at != std::string::npos; at = text.find(kMark, at + name.size()))
        text.replace(at, kMark.size(), name);
    return text;
}

// A one-image effect of one cel that ends after the seconds; the notify id is posted then.
FXObject* TimedEffect(Image* image, int x, int y, double seconds, int notifyId)
{
    return new FXObject(x, y, image ? image->GetWidth() : 0, image ? image->GetHeight() : 0, image, 1, false, 1,
                        notifyId, seconds, FXObject::kNoHoldTime, 0.0, FXObject::kDeriveNotifyTime);
}

void SetAlphaTrack(FXObject* effect, std::initializer_list<std::pair<double, double>> keys)
{
    std::vector<Keyframe*> track;
    for (auto [time, alpha] : keys)
        PushKeyframe(track, Keyframe::ALPHA, 0, time, alpha);
    effect->SetTrack(std::move(track), false);
}

} // namespace

Mission::Mission(GamePhase* owner) : GamePanel(owner)
{
    mOkButton = MakeImageButton(ID_OK, this, BTN_OK2, BTN_OK2_O, BTN_OK2_C, 549, 417);
    mCloseButton = MakeImageButton(ID_CLOSE, this, BTN_CANCEL2, BTN_CANCEL2_O, BTN_CANCEL2_C, 689, 417);
    mNextButton = MakeImageButton(ID_NEXT, this, BTN_NEXT, BTN_NEXT_O, BTN_NEXT_C, 549, 417);
    for (ButtonWidget* button : {mOkButton, mCloseButton, mNextButton})
        TakeControl(button);
}

Mission::~Mission()
{
    if (mRewardScreen != nullptr) {
        if (mOwner != nullptr)
            mOwner->RemoveWidget(mRewardScreen);
        delete mRewardScreen;
        mRewardScreen = nullptr;
    }
}

void Mission::OpenNpcDialog(int country, int slot)
{
    OpenNpcDialog(country, slot, dynamic_cast<MissionHouse*>(mOwner->mPanels[PANEL_MISSION_HOUSE]));
}

void Mission::OpenNpcDialog(int country, int slot, MissionHouse* opener)
{
    mCountry = country;
    mSlot = slot;
    mOpener = opener;
    mHandedIn = false;
    mQuestId = FindOfferedQuest((country + 1) * 10 + slot, false);
    if (mQuestId == -1)
        PickIdleSpeech();
    else
        mSpeech = PickQuestSpeech(mQuestId);
    SetDialogMode();
}

void Mission::PickIdleSpeech()
{
    const GameApp& app = *mOwner->mApp;
    std::vector<int> characters;
    if (auto record = app.countryMapTable.find(mCountry); record != app.countryMapTable.end())
        for (const NpcSlot& pair : record->second.npcSlots)
            if (pair.Rid == mSlot)
                characters.push_back(pair.Nid);
    mSpeech = -1;
    if (characters.empty()) {
        mCharacterId = -1;
        Log("Country %d has no character for slot %d; the dialog only closes\n", mCountry, mSlot);
        return;
    }
    mCharacterId = characters[size_t(std::rand()) % characters.size()];
    auto character = app.npcTable.find(mCharacterId);
    if (character == app.npcTable.end() || character->second.Speech.empty()) {
        Log("Character %d has no speech; the dialog only closes\n", mCharacterId);
        return;
    }
    auto speech = character->second.Speech.begin();
    std::advance(speech, size_t(std::rand()) % character->second.Speech.size());
    mSpeech = speech->first;
}

const NpcSpeech* Mission::CurrentSpeech() const
{
    if (mSpeech == -1)
        return nullptr;
    const auto& npcs = mOwner->mApp->npcTable;
    auto character = npcs.find(mCharacterId);
    if (character == npcs.end())
        return nullptr;
    auto speech = character->second.Speech.find(mSpeech);
    return speech == character->second.Speech.end() ? nullptr : &speech->second;
}

void Mission::RemoveButtons()
{
    for (ButtonWidget* button : {mOkButton, mCloseButton, mNextButton})
        RemoveControl(button);
}

void Mission::SetDialogMode()
{
    RemoveButtons();
    mPage = 0;
    const NpcSpeech* speech = CurrentSpeech();
    if (speech == nullptr) {
        // Nothing to say: the player can only leave.
        AddControl(mCloseButton);
        return;
    }
    if (speech->Des.size() >= 2) {
        mDialogMode = 3;
        AddControl(mNextButton);
        AddControl(mCloseButton);
    } else if (speech->Type == 1) {
        mDialogMode = 1;
        AddControl(mOkButton);
    } else if (speech->Type == 2) {
        mDialogMode = 2;
        AddControl(mOkButton);
        AddControl(mCloseButton);
    } else if (speech->Type == 4) {
        mDialogMode = 4;
        AddControl(mOkButton);
    } else {
        // A one-line speech of another kind has no button of its own; close keeps the player
        // from being shut in.
        AddControl(mCloseButton);
    }
}

void Mission::DrawNpcDialog(Graphics* g)
{
    const int fade = mOpener != nullptr ? mOpener->mFadeAlpha : 255;
    const float scale = float(fade) / 255.0f;
    g->SetScale(scale, scale, kDialogCentreX, kDialogCentreY);
    if (GM_MIS_BG1 != nullptr)
        g->DrawImage(GM_MIS_BG1, 249, 117);
    for (ButtonWidget* button : {mOkButton, mNextButton, mCloseButton})
        if (mOwner->HasWidget(button))
            button->DrawIfVisible(g);
    const NpcSpeech* speech = CurrentSpeech();
    if (speech != nullptr) {
        const NpcRecord& character = mOwner->mApp->npcTable.at(mCharacterId);
        if (Image* portrait = ResourceImageById(ResourceIdByName(character.Img.c_str())))
            g->DrawImage(portrait, 284, 187);
        const Color saved = g->GetColor();
        g->SetColor(Color(kSpeechColor.mRed, kSpeechColor.mGreen, kSpeechColor.mBlue, saved.mAlpha));
        if (mPage >= 0 && size_t(mPage) < speech->Des.size() && FONT_S14 != nullptr) {
            g->SetFont(FONT_S14);
            g->DrawWrappedTextAt(ReplaceName(speech->Des[size_t(mPage)], mOwner->mProfile->name), 529, 222, 270, 23,
                                 -1);
        }
        if (FONT_B18 != nullptr) {
            g->SetFont(FONT_B18);
            g->DrawWrappedTextAt(character.Name + ":", 529, 172, 270, 25, -1);
        }
        g->SetColor(saved);
    }
    g->SetScale(1.0f, 1.0f, kDialogCentreX, kDialogCentreY);
}

void Mission::ButtonDepress(int id)
{
    if (mOwner->mPanels[PANEL_TUTOR] != nullptr)
        mOwner->TutorPassEvent(id);
    mOwner->mApp->PlaySample(SE_UI_CLICK);
    const auto& quests = mOwner->mApp->questTable;
    const auto quest = quests.find(mQuestId);
    const bool talksAboutQuest = quest != quests.end() && mTargetIndex >= 0;
    if (id == ID_CLOSE || (id == ID_OK && mDialogMode == 1) ||
        (id == ID_OK && (mDialogMode == 2 || mDialogMode == 4) && !talksAboutQuest)) {
        // An idle speech has no step to take: its OK only ends the talk.
        if (mHandedIn)
            OpenRewardScreen();
        else
            CloseNpcDialog();
        return;
    }
    if (id == ID_OK && (mDialogMode == 2 || mDialogMode == 4)) {
        const int last = int(quest->second.Target.size()) - 1;
        RemoveButtons();
        if (mTargetIndex == 0) {
            StartStepEffect(4, 532, 399, NOTIFY_ACCEPT);
            mOwner->mApp->PlaySample(SE_MIS_ACCEPT);
        } else if (mTargetIndex == last) {
            mOwner->mApp->PlaySample(SE_MIS_FIN);
            LaunchFirework();
            mFireworksLeft = kFireworks - 1;
            StartTimer(kSecondFirework, NOTIFY_FIREWORK);
        } else {
            FXObject* effect = TimedEffect(FX_C_MISSION_STEP_FIN, 228, 723, kTimerSeconds, NOTIFY_STEP_DONE);
            SetAlphaTrack(effect, {{0.0, 0.0}, {0.1, 255.0}, {0.2, 0.0}, {0.3, 255.0}, {1.0, 0.0}});
            mOwner->mEffects->Add(effect);
            mOwner->mApp->PlaySample(SE_MIS_STEP_FIN);
        }
        return;
    }
    if (id == ID_NEXT) {
        const NpcSpeech* speech = CurrentSpeech();
        if (speech == nullptr || size_t(mPage) + 1 >= speech->Des.size())
            return;  // the last line stays
        ++mPage;
        if (speech->Des.size() > size_t(mPage) + 1)
            return;
        if (speech->Type == 1) {
            mDialogMode = 1;
            RemoveControl(mNextButton);
            RemoveControl(mCloseButton);
            AddControl(mOkButton);
        } else if (speech->Type == 2) {
            mDialogMode = 2;
            RemoveControl(mNextButton);
            AddControl(mOkButton);
        }
    }
}

void Mission::ButtonMouseEnter(int id)
{
    (void)id;
    ShowButtonHover(mOwner->mApp, mOwner);
}

void Mission::ButtonMouseLeave(int id)
{
    (void)id;
    mOwner->ShowFinger(false);
}

void Mission::StartTimer(double seconds, int notifyId)
{
    mOwner->mEffects->Add(TimedEffect(IMG_NONE, 0, 0, seconds, notifyId));
}

void Mission::StartStepEffect(int fxId, int x, int y, int notifyId)
{
    const GameApp& app = *mOwner->mApp;
    FXObject* effect = CreateFXObject(app.fxDefs ? &*app.fxDefs : nullptr, fxId);
    if (effect == nullptr) {
        Log("Effect %d is missing; an invisible timer stands in for it\n", fxId);
        StartTimer(kTimerSeconds, notifyId);
        return;
    }
    effect->mX = x;
    effect->mY = y;
    effect->SetNotify(notifyId, effect->mFrameCount * effect->mTimePerFrame);
    mOwner->mEffects->Add(effect);
}

void Mission::LaunchFirework()
{
    const int y = 50 + std::rand() % 668;
    const int x = 50 + std::rand() % 924;
    auto* system = new ParticleSystem("particle/FX_fireworks.psi", 0);
    if (mOwner->mParticles->Add(-1, system) < 0) {
        delete system;
        return;
    }
    system->StartAt(float(x), float(y));
    mOwner->mApp->PlaySample(SE_FIREWORK);
}

void Mission::OnNotify(int id)
{
    switch (id) {
    case NOTIFY_ACCEPT:
        StartStepEffect(5, 300, 420, NOTIFY_ACCEPT_DONE);
        mOwner->mApp->PlaySample(SE_MIS_ACCEPT2);
        break;
    case NOTIFY_ACCEPT_DONE: {
        FXObject* effect = TimedEffect(FX_C_MISSION_FIN3, 50, 510, kTimerSeconds, 0);
        SetAlphaTrack(effect, {{0.0, 0.0}, {0.5, 255.0}, {1.0, 0.0}});
        mOwner->mEffects->Add(effect);
        HandInAndContinue(4);
        break;
    }
    case NOTIFY_STEP_DONE:
        HandInAndContinue(5);
        break;
    case NOTIFY_FIREWORK:
        LaunchFirework();
        --mFireworksLeft;
        if (mFireworksLeft > 0)
            StartTimer((10 + std::rand() % 20) / 100.0, NOTIFY_FIREWORK);
        else
            StartTimer(kLastFireworkToHandIn, NOTIFY_STEP_DONE);
        break;
    default:
        break;
    }
}

void Mission::HandInAndContinue(int propIndex)
{
    PlayerProfile& profile = *mOwner->mProfile;
    const auto& quests = mOwner->mApp->questTable;
    const auto quest = quests.find(mQuestId);
    auto state = profile.quests.find(mQuestId);
    if (quest == quests.end() || state == profile.quests.end() || !HandInQuest(state->second, mTargetIndex)) {
        // Nothing was taken, so nothing is paid either.
        Log("Quest %d: target %d could not be handed in; the dialog closes\n", mQuestId, mTargetIndex);
        CloseNpcDialog();
        return;
    }
    if (profile.tutorialStep == TutorialFinished && mQuestId != 4) {
        const QuestEntry& target = quest->second.Target[size_t(mTargetIndex)];
        int speech = -1;
        mSpeech = Prop(quest->second, target, size_t(propIndex), speech) ? speech : -1;
        SetDialogMode();
        if (mOpener != nullptr) {
            mOpener->mFadeAlpha = 254;
            mOpener->mFadingIn = true;
        }
        return;
    }
    if (mHandedIn)
        OpenRewardScreen();
    else
        CloseNpcDialog();
}

void Mission::OpenRewardScreen()
{
    const auto& quests = mOwner->mApp->questTable;
    const auto quest = quests.find(mQuestId);
    if (quest == quests.end()) {
        CloseNpcDialog();
        return;
    }
    RemoveButtons();
    if (mRewardScreen != nullptr) {
        mOwner->RemoveWidget(mRewardScreen);
        mOwner->mApp->SafeDeleteWidget(mRewardScreen);
    }
    mRewardScreen = new MissionReward(mOwner, &quest->second, mTargetIndex);
    mRewardScreen->Resize(0, 0, mOwner->mWidth, mOwner->mHeight);
    mOwner->AddWidget(mRewardScreen);
}

void Mission::ShowNextReward()
{
    if (mRewardScreen == nullptr)
        return;
    ++mRewardScreen->mIndex;
    mRewardScreen->ShowNextReward();
}

void Mission::CloseNpcDialog()
{
    if (mRewardScreen != nullptr) {
        // The screen may be the caller: it is freed after the current update.
        mOwner->RemoveWidget(mRewardScreen);
        mOwner->mApp->SafeDeleteWidget(mRewardScreen);
        mRewardScreen = nullptr;
    }
    mCountry = mSlot = mQuestId = -1;
    mCharacterId = mTargetIndex = mSpeech = mPage = -1;
    RemoveButtons();
    if (mOpener != nullptr) {
        mOpener->mFadeAlpha = 1;
        mOpener->mFadingOut = true;
        mOpener->mFadingIn = false;
        mOpener->mFadeInDone = false;
    }
}

} // namespace Quor
