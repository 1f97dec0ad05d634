// The tutorial frame, panel 12 of the game screen: runs the script "properties/DataTutor.xml"
// step by step. A step shows a picture and a text, blocks the screen around one clickable
// rectangle (an arrow points at it) and waits for its Pass event; then its action runs and the
// Next step shows. The profile's tutorial step follows every change, so a saved game resumes in
// the tutorial.
#pragma once

#include "game/shell/EffectList.h"
#include "game/world/GamePanel.h"
#include "widgets/ButtonListener.h"

#include <map>
#include <string>
#include <vector>

namespace Quor {

class ButtonWidget;
class FXObject;
class Image;
class XMLParser;

struct TutorStep {
    int Id = 0;
    int Next = 1;  // -999 ends the tutorial
    int Type = 0;  // 0 full-screen page, 1 text box, 2 text box with a next button
    int Pass = 0;  // the event that completes the step
    double Time = -999.0;  // seconds until the step passes 55503 by itself; 0 or less: none
    int X = 0;     // the clickable rectangle; W 0 or less: the whole screen is blocked
    int Y = 0;
    int W = 0;
    int H = 0;
    std::string Des;
    int Img = 0;
    int ImgX = 0;  // the picture, the text and the step buttons are placed from here
    int ImgY = 0;
    int Action = 0;
};

// A part of a step text: kind 1 normal, kind 2 emphasised.
struct TutorTextRun {
    int kind = 1;
    std::string text;

    bool operator==(const TutorTextRun&) const = default;
};

// The picture of a step's Img number; null for a number that names none.
Image* TutorStepImage(int img);
// Every "%name" replaced by the name, then the text cut at "%" (emphasis up to the next "&").
std::vector<TutorTextRun> CutTutorText(const std::string& des, const std::string& name);

class TutorFrame : public GamePanel, public ButtonListener {
public:
    enum {
        EVENT_CATCHER = 55501,
        EVENT_NEXT = 55502,
        EVENT_TIMER = 55503,
        EVENT_MENU = 10004,
        EVENT_SKIP = 10001,
    };

    // Loads "Tutor", builds the buttons, reads the script and shows the step.
    TutorFrame(GamePhase* owner, int stepId);
    // Takes the blockers and buttons out of the widget tree and frees "Tutor".
    ~TutorFrame() override;

    // The events every screen reports. True when the tutorial has ended (the frame is closed) or
    // an action took over the flow; false when it goes on or the event is not the step's Pass.
    bool TutorPassEvent(int event) override;
    void ShowStep();
    void CloseStep();
    // Ends the tutorial with the goods a finished tutorial leaves the player.
    void SkipTutorial();
    // The per-frame update: effects, the step timer, the fades.
    void Tick(double dt) override;
    void Draw(Graphics* g) override;

    void ButtonPress(int id) override;
    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

    // Reads the script from an open parser into the step map (the first of a repeated Id wins);
    // a syntax error keeps the steps before it and is logged.
    void ReadTutorScript(XMLParser& parser);
    // Runs a step's action; true when it took over the flow.
    bool RunTutorAction(int code);
    // Whether the frame has ended and only waits to be freed.
    bool IsClosed() const { return mClosed; }

    std::map<int, TutorStep> mSteps;
    int mStepId;
    double mTimer = 0.0;
    int mCatcherState = 0;  // 0 normal, 1 mouse over, 2 pressed
    EffectList mEffects;
    std::map<int, FXObject*> mEffectMap;  // the effects of the story pages, in mEffects
    int mAlpha = 254;
    bool mFadingIn = true;
    bool mFadingOut = false;
    std::vector<Widget*> mBlockers;  // owned; in the tree while their step shows
    ButtonWidget* mCatcher;  // owned through the panel's controls
    ButtonWidget* mNext;
    ButtonWidget* mMenu;
    ButtonWidget* mSkip;
    bool mMenuShown = false;  // the text box draws the menu and skip buttons
    bool mSkipShown = false;

private:
    void LoadTutorScript();
    void BuildBlockers(const TutorStep& step);
    void AddButton(ButtonWidget* button);
    void DrawPointer(Graphics* g, const TutorStep& step);
    void DrawStepText(Graphics* g, const TutorStep& step);
    void AddStoryEffect(int key, Image* image, int kind, std::vector<std::pair<double, double>> keys);
    // Ends the frame: closes its step and its panel slot; the handlers stop after this.
    void Close();
    const TutorStep* CurrentStep() const;

    bool mClosed = false;
    bool mUsable = false;  // "Tutor" loaded and bound
};

} // namespace Quor
