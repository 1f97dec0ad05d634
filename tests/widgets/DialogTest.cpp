// The dialog and its buttons: buttons by mode, their layout, the preferred height, dragging
// with its clamp, the reports reaching the application, waiting for an answer, and drawing.
#include "TestFont.h"
#include "WidgetTestSupport.h"

#include "app/QuorAppBase.h"
#include "graphics/Graphics.h"
#include "widgets/Dialog.h"
#include "widgets/DialogButton.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Quor;
using namespace widgettest;

namespace {

// An application that logs the button events the dialogs turn into and can run a script in
// place of the main loop's steps.
class DialogApp : public QuorAppBase {
public:
    DialogApp()
    {
        mWidth = 800;
        mHeight = 600;
        mWidgetManager->SetMouseMapping(Rect(0, 0, 800, 600), Rect(0, 0, 800, 600));
    }
    void ButtonPress(int id) override { mLog.push_back("press " + std::to_string(id)); }
    void ButtonDepress(int id) override { mLog.push_back("depress " + std::to_string(id)); }
    bool UpdateAppStep(bool* updated) override
    {
        if (updated != nullptr)
            *updated = false;
        ++mSteps;
        return mStep ? mStep(mSteps) : true;
    }

    Log mLog;
    int mSteps = 0;
    std::function<bool(int)> mStep;
};

std::string Labels(Dialog& d)
{
    std::string text;
    for (DialogButton* b : {d.mYesButton, d.mNoButton}) {
        if (b != nullptr)
            text += (text.empty() ? "" : " ") + std::to_string(b->mId) + ":" + b->mLabel;
    }
    return text;
}

} // namespace

TEST(Dialog, ButtonsByModeAndTheirRow)
{
    struct Case {
        int mode;
        const char* labels;
        Rect yes, no;
    } cases[] = {
        {1, "1000:YES 1001:NO", Rect(124, 226, 172, 24), Rect(304, 226, 172, 24)},
        {2, "1000:OK 1001:CANCEL", Rect(124, 226, 172, 24), Rect(304, 226, 172, 24)},
        {3, "1000:Close", Rect(124, 226, 352, 24), Rect()},
        {0, "", Rect(), Rect()},
        {4, "", Rect(), Rect()},
    };
    for (const Case& tc : cases) {
        Dialog d(1, false, "Head", "Lines", "Close", tc.mode);
        d.Resize(100, 50, 400, 224);
        EXPECT_EQ(Labels(d), tc.labels) << tc.mode;
        if (d.mYesButton != nullptr) {
            EXPECT_EQ(d.mYesButton->GetRect(), tc.yes) << tc.mode;
        }
        if (d.mNoButton != nullptr) {
            EXPECT_EQ(d.mNoButton->GetRect(), tc.no) << tc.mode;
        }
    }
    // Margins and spacing narrow the two buttons; odd widths truncate.
    Dialog d(1, false, "", "", "", 1);
    d.mButtonSidePadding = 10;
    d.mButtonHorzSpacing = 8;
    d.mContentInsets = Insets(1, 0, 2, 3);
    d.Resize(0, 0, 400, 200);
    EXPECT_EQ(d.mYesButton->GetRect(), Rect(35, 149, 160, 24));
    EXPECT_EQ(d.mNoButton->GetRect(), Rect(203, 149, 160, 24));
}

TEST(Dialog, ButtonColoursFollowTheDialog)
{
    Dialog d(1, false, "", "", "", 2);
    EXPECT_EQ(d.mYesButton->GetColor(0), Color(255, 255, 255));
    d.SetColor(3, Color(1, 2, 3));
    d.SetColor(4, Color(4, 5, 6));
    d.SetColor(5, Color(7, 8, 9));
    for (DialogButton* b : {d.mYesButton, d.mNoButton}) {
        EXPECT_EQ(b->GetColor(0), Color(1, 2, 3));
        EXPECT_EQ(b->GetColor(1), Color(4, 5, 6));
        EXPECT_EQ(b->GetColor(5), Color(212, 212, 212));
    }
}

TEST(Dialog, PreferredHeight)
{
    // Header font: height 12, ascent padding 2, line spacing 12.
    struct Case {
        const char* what;
        const char* header;
        const char* lines;
        const char* footer;
        int mode;
        int height; // -1: compare with the message alone plus 20
    } cases[] = {
        {"nothing", "", "", "", 0, 48},
        {"buttons alone: no gap before them", "", "", "", 1, 48 + 8 + 24},
        {"header", "Head", "", "", 0, 48 + 10},
        {"header and footer", "Head", "", "Foot", 0, 48 + 10 + 8 + 12},
        {"mode 3: the footer is the button's label", "Head", "", "Foot", 3, 48 + 10 + 8 + 8 + 24},
        {"header and message: the header gap", "Head", "Short words", "", 0, -1},
    };
    TestFont header(nullptr, 2), lines;
    Dialog alone(1, false, "", "Short words", "", 0);
    alone.SetHeaderFont(&header);
    alone.SetLinesFont(&lines);
    const int messageAlone = alone.GetPreferredHeight(400);
    EXPECT_GT(messageAlone, 48);
    for (const Case& tc : cases) {
        Dialog d(1, false, tc.header, tc.lines, tc.footer, tc.mode);
        d.SetHeaderFont(&header);
        d.SetLinesFont(&lines);
        const int expected = tc.height >= 0 ? tc.height : messageAlone + 10 + 10;
        EXPECT_EQ(d.GetPreferredHeight(400), expected) << tc.what;
    }
}

TEST(Dialog, ButtonReportsReachTheApplication)
{
    DialogApp app;
    Dialog* d = app.DoDialog(7, true, "Head", "Lines", "", 1);
    WidgetManager& m = *app.mWidgetManager;
    // The buttons are the manager's widgets, directly above the dialog.
    ASSERT_GE(m.mWidgets.size(), 3u);
    auto it = m.mWidgets.begin();
    EXPECT_EQ(*it++, d);
    EXPECT_EQ(*it++, d->mYesButton);
    EXPECT_EQ(*it++, d->mNoButton);

    const Rect yes = d->mYesButton->GetRect();
    const Rect no = d->mNoButton->GetRect();
    m.MouseMove(yes.mX + 5, yes.mY + 5);
    m.MouseDown(yes.mX + 5, yes.mY + 5, 1);
    m.MouseUp(yes.mX + 5, yes.mY + 5, 1);
    EXPECT_EQ(d->mResult, Dialog::ID_YES);
    m.MouseDown(no.mX + 5, no.mY + 5, 1);
    m.MouseMove(0, 0);
    m.MouseUp(0, 0, 1); // released away: no answer
    EXPECT_EQ(Join(app.mLog), "press 2007; depress 2007; press 3007");
    EXPECT_EQ(d->mResult, Dialog::ID_YES);
    d->ButtonDepress(5); // not a dialog button
    EXPECT_EQ(d->mResult, Dialog::ID_YES);

    app.KillDialog(7);
    EXPECT_TRUE(m.mWidgets.empty());
    app.ProcessSafeDeletes();
}

TEST(Dialog, ButtonsFollowTheDialogInTheZOrder)
{
    DialogApp app;
    WidgetManager& m = *app.mWidgetManager;
    Dialog* d = app.DoDialog(1, false, "", "", "", 2);
    Widget other;
    other.Resize(0, 0, 10, 10);
    m.AddWidget(&other);
    m.BringToFront(d);
    std::vector<Widget*> order(m.mWidgets.begin(), m.mWidgets.end());
    ASSERT_EQ(order.size(), 4u);
    EXPECT_EQ(order[0], &other);
    EXPECT_EQ(order[1], d);
    m.RemoveWidget(&other);
    app.KillDialog(1);
    app.ProcessSafeDeletes();
}

TEST(Dialog, Dragging)
{
    DialogApp app;
    WidgetManager& m = *app.mWidgetManager;
    Dialog* d = new Dialog(3, false, "", "", "", 3);
    d->Resize(100, 100, 200, 100);
    app.AddDialog(d);
    struct Step {
        const char* what;
        int mouseX, mouseY;
        int x, y;         // the dialog after the move
        int grabX, grabY; // the grab point after the move
    } steps[] = {
        {"inside the screen", 120, 130, 110, 120, 10, 10},
        {"past the left edge stops at -8", 0, 130, -8, 120, 8, 10},
        {"further left keeps the grab point 8 inside", -50, 130, -8, 120, 8, 10},
        {"back to the right", 50, 130, 42, 120, 8, 10},
        {"past the bottom", 50, 900, 42, 508, 8, 91},
        {"past the right", 2000, 900, 608, 508, 191, 91},
        {"past the top", 700, -100, 509, -8, 191, 8},
    };
    m.MouseMove(110, 110);
    m.MouseDown(110, 110, 1); // grabbed at (10, 10)
    EXPECT_EQ(app.mCursorNum, 2);
    for (const Step& s : steps) {
        m.MouseMove(s.mouseX, s.mouseY);
        EXPECT_EQ(d->mX, s.x) << s.what;
        EXPECT_EQ(d->mY, s.y) << s.what;
        EXPECT_EQ(d->mDragMouseX, s.grabX) << s.what;
        EXPECT_EQ(d->mDragMouseY, s.grabY) << s.what;
    }
    // The button moved with the dialog.
    EXPECT_EQ(d->mYesButton->mX, 509 + 24);
    m.MouseUp(700, -100, 1);
    EXPECT_EQ(app.mCursorNum, 0);
    EXPECT_FALSE(d->mDragging);

    // A double click does not drag.
    m.MouseDown(610, 0, 2);
    EXPECT_FALSE(d->mDragging);
    m.MouseMove(400, 300);
    EXPECT_EQ(d->mX, 509);
    m.MouseUp(400, 300, 1);
    app.KillDialog(3);
    app.ProcessSafeDeletes();
}

TEST(Dialog, WaitForResult)
{
    struct Case {
        const char* what;
        std::function<bool(DialogApp&, int)> step;
        bool autoKill;
        int result;
        int steps;
        bool stillThere;
    } cases[] = {
        {"an answer on the third step ends the wait",
         [](DialogApp& a, int n) { if (n == 3) a.GetDialog(9)->ButtonDepress(Dialog::ID_NO); return true; },
         true, Dialog::ID_NO, 3, false},
        {"without auto-kill the dialog stays",
         [](DialogApp& a, int n) { if (n == 2) a.GetDialog(9)->ButtonDepress(Dialog::ID_YES); return true; },
         false, Dialog::ID_YES, 2, true},
        {"shutting down ends it without an answer",
         [](DialogApp&, int n) { return n < 4; }, true, Dialog::NO_RESULT, 4, false},
        {"a dialog taken out of the manager ends it",
         [](DialogApp& a, int n) { if (n == 5) a.mWidgetManager->RemoveWidget(a.GetDialog(9)); return true; },
         false, Dialog::NO_RESULT, 5, true},
    };
    for (const Case& tc : cases) {
        DialogApp app;
        Dialog* d = app.DoDialog(9, true, "Wait", "", "", 1);
        app.mStep = [&](int n) { return tc.step(app, n); };
        EXPECT_EQ(d->WaitForResult(tc.autoKill), tc.result) << tc.what;
        EXPECT_EQ(app.mSteps, tc.steps) << tc.what;
        EXPECT_EQ(app.GetDialog(9) != nullptr, tc.stillThere) << tc.what;
        app.ProcessSafeDeletes();
    }
}

TEST(Dialog, Drawing)
{
    RecordingImage screen(800, 600);
    TestFont header(&screen.mCalls, 2), lines(&screen.mCalls);
    Dialog d(1, false, "Head", "Hi", "Foot", 0);
    d.SetHeaderFont(&header);
    d.SetLinesFont(&lines);
    d.Resize(0, 0, 200, 120);
    Graphics g(&screen);
    d.Draw(&g);
    const std::string calls = Join(screen.mCalls);
    // The built-in frame, the shadow, then the texts in their colours.
    EXPECT_EQ(calls.substr(0, calls.find("; fill 13,13")), "fill 12,12,176,1 255,255,255,255; fill 12,107,176,1 255,255,255,255; fill 12,13,1,94 255,255,255,255; fill 187,13,1,94 255,255,255,255") << calls;
    EXPECT_NE(calls.find("fill 13,13,174,94 80,80,80,255; fill 188,24,12,84 0,0,0,128; fill 24,108,176,12 0,0,0,128"), std::string::npos) << calls;
    // Header: centred, baseline at 24 - 2 + 9.
    EXPECT_NE(calls.find("text 'Head' 88,31 255,255,255,255"), std::string::npos) << calls;
    // Footer: below the message by 8 plus the header font's line spacing.
    // Message: centred in the text area from y = 22 + 12 + 10, in the message colour; footer
    // 8 plus the header font's line spacing below its one line.
    EXPECT_NE(calls.find("text 'Hi' 94,53 255,255,0,255"), std::string::npos) << calls;
    EXPECT_NE(calls.find("text 'Foot' 88,76 255,255,255,255"), std::string::npos) << calls;

    // Mode 3 writes no footer line.
    screen.mCalls.clear();
    Dialog three(1, false, "", "", "Foot", 3);
    three.SetHeaderFont(&header);
    three.SetLinesFont(&lines);
    three.Resize(0, 0, 200, 120);
    three.Draw(&g);
    EXPECT_EQ(Join(screen.mCalls).find("Foot"), std::string::npos);
}

TEST(DialogButton, BoxImageLookAndLabel)
{
    struct Case {
        const char* what;
        bool pressed;
        bool sprite;
        const char* firstBlt;
        const char* label;
    } cases[] = {
        {"whole image", false, false, "blt B 0,0 ", "text 'OK' 44,15"},
        {"whole image, pressed: shifted", true, false, "blt B 1,1 ", "text 'OK' 45,16"},
        {"sprite, normal rect", false, true, "blt B 0,0 src 0,0,", "text 'OK' 44,15"},
        {"sprite, pressed: the down rect", true, true, "blt B 0,0 src 0,30,", "text 'OK' 45,16"},
    };
    for (const Case& tc : cases) {
        RecordingImage screen(400, 300);
        RecordingImage box(30, 60, "B");
        TestFont font(&screen.mCalls);
        DialogButton b(1000, nullptr);
        b.mLabel = "OK";
        b.SetFont(&font);
        b.mComponentImage = &box;
        if (tc.sprite) {
            b.mNormalRect = Rect(0, 0, 30, 30);
            b.mDownRect = Rect(0, 30, 30, 30);
        }
        b.Resize(0, 0, 100, 24);
        b.mIsDown = b.mIsOver = tc.pressed;
        Graphics g(&screen);
        b.Draw(&g);
        const std::string calls = Join(screen.mCalls);
        EXPECT_EQ(calls.rfind(tc.firstBlt, 0), 0u) << tc.what << ": " << calls;
        EXPECT_NE(calls.find(tc.label), std::string::npos) << tc.what << ": " << calls;
        // The context is shifted back afterwards.
        EXPECT_EQ(g.mTransX, 0.0f) << tc.what;
    }
}
