#include "game/quests/TutorFrame.h"

#include "app/Common.h"
#include "game/minigames/MgUi.h"
#include "game/shell/DCapResource.h"
#include "game/shell/DataAttributes.h"
#include "game/shell/FXObject.h"
#include "game/shell/GameApp.h"
#include "game/shell/GameScreenAccess.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "game/world/Mission.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "platform/Sys.h"
#include "resources/XMLParser.h"
#include "widgets/ButtonWidget.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace Quor {

namespace {

constexpr const char* kScriptFile = "properties/DataTutor.xml";
constexpr int kMenuImage = 20001;  // steps with this picture offer the menu and skip buttons

void Log(const char* format, int value)
{
    char line[160];
    std::snprintf(line, sizeof(line), format, value);
    plat::DebugOutput(line);
}

// Word-wrapped, left-aligned text whose first line stands on the baseline; the height it took.
int WriteFromBaseline(Graphics* g, const std::string& text, int x, int baseline, int width, int lineSpacing)
{
    const bool old = g->mWriteColoredString;
    g->mWriteColoredString = true;
    const int height = g->DrawWrappedTextAt(text, x, baseline, width, lineSpacing, -1);
    g->mWriteColoredString = old;
    return height;
}

ButtonWidget* MakeButton(int id, ButtonListener* listener, Image* normal, Image* over, Image* down)
{
    auto* button = new ButtonWidget(id, listener);
    button->mButtonImage = normal;
    button->mOverImage = over;
    button->mDownImage = down;
    if (normal)
        button->Resize(0, 0, normal->GetWidth(), normal->GetHeight());
    button->mDoFinger = true;
    return button;
}

} // namespace

Image* TutorStepImage(int img)
{
    switch (img) {
    case 10001:
        return TU_S1;
    case 10002:
        return TU_S2;
    case 10003:
        return TU_S3;
    case 10009:
        return TU_S4;
    case kMenuImage:
        return TU_BG;
    default:
        return nullptr;
    }
}

std::vector<TutorTextRun> CutTutorText(const std::string& des, const std::string& name)
{
    std::string text = des;
    // Resumes behind the inserted name, so a name that holds "%name" is not replaced again.
    for (std::size_t at = text.find("%name"); at != std::string::npos; at = text.find("%name", at + name.size()))
        text.replace(at, 5, name);

    std::vector<TutorTextRun> runs;
    auto add = [&runs](int kind, std::string part) {
        if (!part.empty())
            runs.push_back({kind, std::move(part)});
    };
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        add(1, text.substr(start, i - start));
        const std::size_t amp = text.find('&', i + 1);
        if (amp == std::string::npos) {
            // No closing sign: the rest is one emphasis run.
            add(2, text.substr(i + 1));
            return runs;
        }
        add(2, text.substr(i + 1, amp - i - 1));
        start = amp + 1;
        i = amp;
    }
    add(1, text.substr(std::min(start, text.size())));
    return runs;
}

TutorFrame::TutorFrame(GamePhase* owner, int stepId) : GamePanel(owner), mStepId(stepId)
{
    GameApp* app = owner->mApp;
    mUsable = app->LoadGroupInForeground("Tutor", &BindTutorResources);
    const int width = owner->mWidth;
    const int height = owner->mHeight;
    // The buttons are the panel's controls from the start; each step puts its own in the tree.
    mCatcher = MakeButton(EVENT_CATCHER, this, nullptr, nullptr, nullptr);
    mCatcher->Resize(0, 0, width, height);
    mCatcher->mBtnNoDraw = true;
    mNext = MakeButton(EVENT_NEXT, this, TU_NEXT, TU_NEXT_O, TU_NEXT_C);
    mMenu = MakeButton(EVENT_MENU, this, BTN_MENU, BTN_MENU_O, BTN_MENU_C);
    mMenu->Move(880, 676);
    mSkip = MakeButton(EVENT_SKIP, this, BTN_SKIPALL, BTN_SKIPALL_O, BTN_SKIPALL_C);
    mSkip->Move(width - mSkip->mWidth - 4, 3);
    // The text box draws these two itself, under its text.
    mMenu->mBtnNoDraw = true;
    mSkip->mBtnNoDraw = true;
    mControls = {mCatcher, mNext, mMenu, mSkip};

    LoadTutorScript();
    ShowStep();
    mAlpha = 254;
    mFadingIn = true;
    mFadingOut = false;
}

TutorFrame::~TutorFrame()
{
    CloseStep();
    mEffectMap.clear();
    mEffects.DeleteAll();
    mOwner->mApp->resourceManager->DeleteResources("Tutor");
    UnbindResourceGroup("Tutor");
}

void TutorFrame::LoadTutorScript()
{
    GameApp* app = mOwner->mApp;
    auto parser = std::make_unique<XMLParser>();
    if (!parser->OpenFile(kScriptFile)) {
        app->mShutdownRequested = true;
        app->MsgBox(std::string("Couldn't open ") + kScriptFile + ". Error returned:\n\"" + parser->GetErrorText() + "\"",
                    "Error", 0);
        return;
    }
    ReadTutorScript(*parser);
}

void TutorFrame::ReadTutorScript(XMLParser& parser)
{
    mSteps.clear();
    XMLElement e;
    while (parser.NextElement(&e)) {
        if (e.mType != XMLElement::TYPE_START || e.mSection != "DataTutor" || e.mValue != "Tutor")
            continue;
        TutorStep step;
        step.Id = IntAttr(e, "Id");
        step.Next = IntAttr(e, "Next");
        step.Type = IntAttr(e, "Type");
        step.Pass = IntAttr(e, "Pass");
        step.Des = Attr(e, "Des");
        step.Time = DoubleAttr(e, "Time");
        step.X = IntAttr(e, "X");
        step.Y = IntAttr(e, "Y");
        step.W = IntAttr(e, "W");
        step.H = IntAttr(e, "H");
        step.Img = IntAttr(e, "Img");
        step.ImgX = IntAttr(e, "ImgX");
        step.ImgY = IntAttr(e, "ImgY");
        step.Action = IntAttr(e, "Action");
        mSteps.emplace(step.Id, step);
    }
    if (parser.HasFailed()) {
        const std::string line = SyntaxErrorLine(kScriptFile, parser);
        mOwner->mApp->LogScreenError(line);
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

const TutorStep* TutorFrame::CurrentStep() const
{
    auto it = mSteps.find(mStepId);
    return it == mSteps.end() ? nullptr : &it->second;
}

void TutorFrame::Close()
{
    CloseStep();
    mClosed = true;
    if (mOwner->mPanels[PANEL_TUTOR] == this)
        mOwner->ClosePanel(PANEL_TUTOR);
}

void TutorFrame::AddButton(ButtonWidget* button)
{
    AddControl(button);
}

void TutorFrame::BuildBlockers(const TutorStep& step)
{
    const int width = mOwner->mWidth;
    const int height = mOwner->mHeight;
    std::vector<Rect> areas;
    if (step.W <= 0)
        areas = {Rect(0, 0, width, height)};
    else
        areas = {Rect(0, 0, width, step.Y), Rect(0, step.Y + step.H, width, height - step.H - step.Y),
                 Rect(0, step.Y, step.X, step.H), Rect(step.X + step.W, step.Y, width - step.X - step.W, step.H)};
    for (const Rect& area : areas) {
        auto* blocker = new Widget();
        blocker->Resize(area.mX, area.mY, area.mWidth, area.mHeight);
        mOwner->AddWidget(blocker);
        mBlockers.push_back(blocker);
    }
}

void TutorFrame::ShowStep()
{
    const TutorStep* step = CurrentStep();
    if (step == nullptr) {
        Log("Tutorial step %d is not in the script; the tutorial ends\n", mStepId);
        mStepId = TutorialFinished;
        mOwner->mProfile->tutorialStep = TutorialFinished;
        Close();
        return;
    }
    mTimer = step->Time;
    BuildBlockers(*step);
    if (step->Type == 0) {
        AddButton(mCatcher);
        mCatcherState = 0;
    } else if (step->Type == 2) {
        mNext->Move(step->ImgX + 40, step->ImgY + 216);
        AddButton(mNext);
    }
    if (step->Img == kMenuImage) {
        if (step->Id < 1000) {
            mSkip->Move(step->ImgX + 180, step->ImgY + 216);
            AddButton(mSkip);
            mSkipShown = true;
        }
        AddButton(mMenu);
        mMenuShown = true;
    }
    if (step->Id == 0 || step->Id == 61 || step->Id == 62) {
        RemoveControl(mMenu);
        RemoveControl(mSkip);
        if (step->Id == 0)
            mMenuShown = mSkipShown = false;
    }
    mAlpha = 254;
    mFadingIn = true;
}

void TutorFrame::CloseStep()
{
    for (Widget* blocker : mBlockers) {
        mOwner->RemoveWidget(blocker);
        delete blocker;
    }
    mBlockers.clear();
    for (ButtonWidget* button : {mCatcher, mNext, mMenu, mSkip})
        RemoveControl(button);
    mMenuShown = mSkipShown = false;
}

bool TutorFrame::TutorPassEvent(int event)
{
    if (mClosed)
        return true;
    const TutorStep* step = CurrentStep();
    if (step == nullptr || event != step->Pass)
        return false;
    CloseStep();
    if (step->Action != 0 && RunTutorAction(step->Action))
        return true;
    step = CurrentStep();
    mStepId = step ? step->Next : TutorialFinished;
    mOwner->mProfile->tutorialStep = mStepId;
    if (mStepId == TutorialFinished) {
        Close();
        return true;
    }
    ShowStep();
    return mClosed;
}

void TutorFrame::Tick(double dt)
{
    mEffects.UpdateAll(mOwner->mApp->mUpdateCount, dt);
    // An effect that ended is gone from the list: forget its key too.
    for (auto it = mEffectMap.begin(); it != mEffectMap.end();) {
        const bool listed = std::any_of(mEffects.mEffects.begin(), mEffects.mEffects.end(),
                                        [&](const std::unique_ptr<FXObject>& fx) { return fx.get() == it->second; });
        it = listed ? std::next(it) : mEffectMap.erase(it);
    }
    if (mClosed) {
        Close();
        return;
    }
    if (mTimer > 0.0) {
        mTimer -= dt;
        if (mTimer <= 0.0) {
            mTimer = 0.0;
            if (TutorPassEvent(EVENT_TIMER) && mClosed)
                return;
        }
    }
    if (mFadingIn && mAlpha < 255) {
        mAlpha = int(mAlpha + dt * 300.0);
        if (mAlpha >= 255) {
            mAlpha = 255;
            mFadingIn = false;
            FadeInDone();
        }
    }
    if (mFadingOut && mAlpha > 0) {
        mAlpha = int(mAlpha - dt * 300.0);
        if (mAlpha <= 0) {
            mAlpha = 0;
            mFadingOut = false;
            FadeOutDone();
        }
    }
}

void TutorFrame::Draw(Graphics* g)
{
    const TutorStep* step = CurrentStep();
    if (step == nullptr || mClosed)
        return;
    const int width = mOwner->mWidth;
    const int height = mOwner->mHeight;
    const Color shade(255, 255, 255, mAlpha);
    if (step->Type == 0) {
        g->SetColor(Color(0, 0, 0));
        g->FillRect(0, 0, width, height);
    }
    g->SetColor(shade);
    g->SetColorizeImages(true);
    if (Image* picture = TutorStepImage(step->Img))
        g->DrawImage(picture, step->ImgX, step->ImgY);
    mEffects.DrawAll(g);
    if (step->Type > 0)
        DrawStepText(g, *step);
    g->SetColor(shade);
    g->SetColorizeImages(true);
    DrawPointer(g, *step);
    if (step->Type == 0 && TU_CONTINUE) {
        Image* pictures[] = {TU_CONTINUE, TU_CONTINUE_O, TU_CONTINUE_C};
        if (Image* picture = pictures[std::clamp(mCatcherState, 0, 2)])
            g->DrawImage(picture, (1024 - TU_CONTINUE->GetWidth()) / 2, height - TU_CONTINUE->GetHeight() - 15);
    }
    g->SetColorizeImages(false);

    // The player's name on the letter (step 1, once it has slid in) and on the first page.
    const std::string& name = mOwner->mProfile->name;
    auto letter = mEffectMap.find(3);
    const bool letterInPlace = letter != mEffectMap.end() && letter->second->mX == 0;
    if ((step->Id == 1 && letterInPlace) || step->Id == 0) {
        g->SetFont(FONT_B18);
        g->SetColor(Color(71, 45, 19, mAlpha));
        if (step->Id == 1)
            WriteFromBaseline(g, name + ",", 285, 131, 205, 32);
        else
            WriteFromBaseline(g, name + "!", 506, 642, 160, 32);
    }
}

void TutorFrame::DrawPointer(Graphics* g, const TutorStep& step)
{
    if (step.W <= 0)
        return;
    const int width = mOwner->mWidth;
    const int height = mOwner->mHeight;
    const int time = mOwner->mApp->mUpdateCount;
    auto draw = [&](Image* arrow, int x, int y) { g->DrawImageAnim(arrow, x, y, time); };
    if (TU_AL && step.X + step.W + TU_AL->GetWidth() <= width)
        draw(TU_AL, step.X + step.W, step.Y + (step.H - TU_AL->GetHeight()) / 2);
    else if (TU_AD && step.Y - TU_AD->GetHeight() >= 0)
        draw(TU_AD, step.X + (step.W - TU_AD->GetWidth() / 2) / 2, step.Y - TU_AD->GetHeight());
    else if (TU_AR && step.X - TU_AR->GetWidth() >= 0)
        draw(TU_AR, step.X - TU_AR->GetWidth() / 2, step.Y + (step.H - TU_AR->GetHeight()) / 2);
    else if (TU_AU && step.Y + step.H + TU_AU->GetHeight() <= height)
        draw(TU_AU, step.X + (step.W - TU_AU->GetWidth() / 2) / 2, step.Y + step.H);
}

void TutorFrame::DrawStepText(Graphics* g, const TutorStep& step)
{
    g->SetColor(Color(250, 250, 240, mAlpha));
    for (auto [button, shown] : {std::pair{mMenu, mMenuShown}, {mSkip, mSkipShown}}) {
        if (!shown)
            continue;
        Graphics at(*g);
        at.Translate(button->mX, button->mY);
        button->DrawContent(&at, false);
    }
    int y = step.ImgY + 35;
    for (const TutorTextRun& run : CutTutorText(step.Des, mOwner->mProfile->name)) {
        g->SetFont(run.kind == 2 ? FONT_S16_L : FONT_S14);
        y += WriteFromBaseline(g, run.text, step.ImgX + 40, y, 324, 20);
    }
}

void TutorFrame::SkipTutorial()
{
    CloseStep();
    PlayerProfile& p = *mOwner->mProfile;
    mStepId = TutorialFinished;
    p.tutorialStep = TutorialFinished;
    p.money += 10000;
    // Only what the profile already lists is set.
    for (int recipe : {1, 2, 3, 4})
        if (auto it = p.recipes.find(recipe); it != p.recipes.end())
            it->second = true;
    if (auto germany = p.countries.find(1); germany != p.countries.end())
        germany->second = true;
    p.miniGameOpen1 = p.miniGameOpen2 = true;
    for (auto [material, first] : {std::pair{1, 30}, {7, 30}, {25, 10}}) {
        auto it = p.materials.find(material);
        if (it == p.materials.end())
            p.materials[material] = first;
        else
            it->second += 30;
    }

    const auto& questTable = mOwner->mApp->questTable;
    auto allDone = [&](QuestState& state) {
        state.finished = true;
        if (auto quest = questTable.find(state.questId); quest != questTable.end())
            for (std::size_t i = 0; i < quest->second.Target.size(); ++i)
                state.targets[int32_t(i)] = true;
    };
    auto isOpen = [&](int id) {
        auto it = p.quests.find(id);
        return it != p.quests.end() && !it->second.finished;
    };
    auto addFinished = [&](std::initializer_list<int> ids) {
        for (int id : ids) {
            if (p.quests.count(id))
                continue;
            QuestState& state = p.quests[id];
            state.questId = id;
            allDone(state);
        }
    };
    if (isOpen(1)) {
        allDone(p.quests.at(1));
        addFinished({2, 3, 4});
    }
    if (isOpen(2)) {
        allDone(p.quests.at(2));
        addFinished({3, 4});
    }
    if (isOpen(4))
        allDone(p.quests.at(4));
    if (auto* mission = dynamic_cast<Mission*>(mOwner->mPanels[PANEL_MISSION]))
        mission->CheckQuestUnlocks(4);
    if (GamePanel* info = mOwner->mPanels[PANEL_INFO])
        info->RebuildQuestList();
    if (auto* miniGame = dynamic_cast<MgUi*>(mOwner->mPanels[PANEL_MINI_GAME]))
        miniGame->ReturnToFactory();
    Close();
}

void TutorFrame::AddStoryEffect(int key, Image* image, int kind, std::vector<std::pair<double, double>> keys)
{
    if (image == nullptr) {
        Log("The tutorial's story picture of effect %d is missing\n", key);
        return;
    }
    auto* effect = new FXObject(0, 0, image->GetWidth(), image->GetHeight(), image, 1, true, -1, 0, 999.0,
                                FXObject::kNoHoldTime, 0.0, FXObject::kDeriveNotifyTime);
    std::vector<Keyframe*> track;
    for (auto [time, value] : keys)
        track.push_back(new Keyframe{kind, kind == Keyframe::TRANSLATE ? int(Keyframe::TRANS_X) : 0, time, value});
    effect->SetTrack(std::move(track), false);
    if (auto old = mEffectMap.find(key); old != mEffectMap.end())
        mEffects.Remove(old->second);
    mEffects.Add(effect);
    mEffectMap[key] = effect;
}

bool TutorFrame::RunTutorAction(int code)
{
    PlayerProfile& profile = *mOwner->mProfile;
    auto* miniGame = dynamic_cast<MgUi*>(mOwner->mPanels[PANEL_MINI_GAME]);
    switch (code) {
    case 1:
        AddStoryEffect(2, TU_S5, Keyframe::ALPHA, {{0.0, 0.0}, {1.0, 255.0}, {999.0, 255.0}});
        if (TU_S2)
            AddStoryEffect(3, TU_S2, Keyframe::TRANSLATE, {{1.0, -double(TU_S2->GetWidth())}, {1.5, 0.0}, {999.0, 0.0}});
        return false;
    case 2:
        if (TU_S3)
            AddStoryEffect(4, TU_S3, Keyframe::TRANSLATE, {{0.0, -double(TU_S3->GetWidth())}, {0.5, 600.0}});
        return false;
    case 3:
        for (int key : {2, 3}) {
            if (auto it = mEffectMap.find(key); it != mEffectMap.end()) {
                mEffects.Remove(it->second);
                mEffectMap.erase(it);
            }
        }
        return false;
    case 503:
    case 506:
    case 701:
    case 10002:
        if (miniGame == nullptr)
            Log("Tutorial action %d needs an open mini-game\n", code);
        else if (code == 503 || code == 506)
            miniGame->ContinueTutorialGame();
        else
            miniGame->ShowReadySign();
        return false;
    case 608:
    case 702: {
        const ProductionRecord* record = profile.FindProductRecord(4);
        if (record == nullptr) {
            Log("Tutorial action %d needs a production record of product 4\n", code);
            return false;
        }
        const int rating = code == 608 ? record->rating1 : record->rating2;
        if (rating >= 1 && rating <= 3)
            mStepId = (code == 608 ? 608 : 708) + rating;
        profile.tutorialStep = mStepId;
        ShowStep();
        return true;
    }
    case 10001:
        mOwner->mApp->PlayMusicFile("music/bgm" + std::to_string(profile.country + 1) + ".ogg");
        return false;
    case 99999: {
        // The finished tutorial is saved as finished, so no later game replays its last step.
        profile.tutorialStep = TutorialFinished;
        mStepId = TutorialFinished;
        GameApp* app = mOwner->mApp;
        auto* game = dynamic_cast<GameScreenAccess*>(mOwner);
        mClosed = true;
        if (game == nullptr) {
            Log("Tutorial action %d: the game screen cannot leave the game\n", code);
            return true;
        }
        game->ReturnToMainMenu(true);
        app->ShowScreen(SCREEN_CREDIT, 0);
        return true;
    }
    default:
        return false;
    }
}

void TutorFrame::ButtonPress(int id)
{
    if (id == EVENT_CATCHER)
        mCatcherState = 2;
}

void TutorFrame::ButtonDepress(int id)
{
    TutorPassEvent(id);
    if (mClosed)
        return;
    GameApp* app = mOwner->mApp;
    if (id == EVENT_SKIP) {
        app->PlaySample(SE_UI_MENUCLICK);
        SkipTutorial();
    } else if (id == EVENT_MENU) {
        app->ShowScreen(SCREEN_QUIT, 4);
    }
}

void TutorFrame::ButtonMouseEnter(int id)
{
    ShowButtonHover(mOwner->mApp, mOwner);
    if (id == EVENT_CATCHER)
        mCatcherState = 1;
}

void TutorFrame::ButtonMouseLeave(int id)
{
    mOwner->ShowFinger(false);
    if (id == EVENT_CATCHER)
        mCatcherState = 0;
}

} // namespace Quor
