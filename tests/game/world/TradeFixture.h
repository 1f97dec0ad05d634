// What the trade tests share: a small set of materials and recipes, a player after the tutorial
// with money, and the game screen with the real cellar, supplier and rescue panels among
// recording stand-ins for the dialog, the head-up display, the country screen and the tutorial.
#pragma once

#include "tests/game/world/WorldFixture.h"

#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/Cellar.h"
#include "game/world/Supplier.h"
#include "widgets/EditWidget.h"

#include <cctype>

namespace worldtest {

// k of a day's draw: the factor 0.9 + k / 1000.0.
inline double Factor(int k)
{
    return 0.9 + k / 1000.0;
}

class TradeTest : public WorldTest {
protected:
    void TearDown() override
    {
        if (app) {
            app->RemoveScreen(SCREEN_GAME);
            app->ProcessSafeDeletes();
            ReleaseScreenGroup(app.get(), "Fx");
            ReleaseScreenGroup(app.get(), "Sound");
        }
        WorldTest::TearDown();
    }
    // Materials 1 (Price 8), 7 (12) and 2-6, 8 for the seven-material country 1; recipe 1 is
    // 2 x material 1 + material 7 (cost 28), recipe 2 is 1 x material 7.
    void StartTrade(const quortest::GameArchiveOptions& options = {})
    {
        // The fixture font with a glyph for every printable character but the quotes and the
        // backslash, so that quantities can be typed and every text shows as blocks.
        std::string rects;
        std::string chars;
        std::string widths;
        for (char c = '!'; c <= '~'; ++c) {
            if (c == '\'' || c == '\\' || c == '"')
                continue;
            rects += "(0 0 4 5) ";
            chars += std::string("'") + c + "' ";
            widths += "5 ";
        }
        mReplacedFiles["fixture\\fonts\\desc.txt"] = quortest::Bytes(
            "Define Rects (" + rects + ");\nCreateLayer Main;\nLayerSetImage Main 'glyphs.png';\n"
            "LayerSetImageMap Main (" + chars + ") Rects;\nLayerSetCharWidths Main (" + chars + ") (" + widths +
            ");\nLayerSetAscent Main 5;\nSetDefaultPointSize 10;\n");
        Start(options);
        app->sourceTable.clear();
        auto source = [&](int id, int price) {
            app->sourceTable[id] = SourceRecord{id, "AB" + std::to_string(id), "S_" + std::to_string(id), price};
        };
        source(1, 8);
        source(7, 12);
        for (int id : {2, 3, 4, 5, 6, 8})
            source(id, 10 + id);
        app->blueprintTable.clear();
        app->blueprintTable[1] = BlueprintRecord{1, "ABBA", "PD_1", 0, {{1, 2}, {7, 1}}, {}};
        app->blueprintTable[2] = BlueprintRecord{2, "BAB", "PD_2", 0, {{7, 1}}, {}};
        app->countryMapTable[0].sourceIds = {1, 7};
        CountryMapRecord seven;
        seven.Id = 1;
        seven.sourceIds = {1, 2, 3, 4, 5, 6, 7};
        app->countryMapTable[1] = seven;
        // The purchase effect: definition 2 on a picture of the effects group.
        ASSERT_TRUE(app->LoadGroupInForeground("Fx", &BindFxResources));
        ASSERT_TRUE(app->LoadGroupInForeground("Sound", &BindSoundResources));
        FXDef purchase;
        purchase.id = 2;
        purchase.img = ResourceIdByName("FX_C_REWARD_UP");
        purchase.frame = 4;
        purchase.timePerLoop = 0.5;
        purchase.holdTime = -999.0;
        app->fxDefs = FXDefList{purchase};
        PlayerProfile& p = Profile();
        p.tutorialStep = TutorialFinished;
        p.money = 1000;
        p.day = 10;
        p.buyFactor = 1.0;
        p.sellFactor = 1.0;
        p.country = 0;
    }
    // The game screen with the real trade panels and popups, stand-ins for the rest.
    StandInPhase* EnterTrade(std::set<int> alsoReal = {})
    {
        std::set<int> real = {PANEL_CELLAR, PANEL_SUPPLIER, PANEL_GAME_OVER, PANEL_WARNING};
        real.insert(alsoReal.begin(), alsoReal.end());
        mPhase = Enter(new StandInPhase(app.get(), &record, real));
        return mPhase;
    }
    template <class Panel>
    Panel* Open(int id, int country = 0)
    {
        mPhase->ShowPanel(id, country);
        auto* panel = dynamic_cast<Panel*>(mPhase->mPanels[id]);
        EXPECT_NE(panel, nullptr);
        Tick();
        return panel;
    }
    Supplier* OpenSupplier(int country = 0) { return Open<Supplier>(PANEL_SUPPLIER, country); }
    Cellar* OpenCellar() { return Open<Cellar>(PANEL_CELLAR); }
    // One tick of the game world.
    void Tick() { UpdateAt(mCount += 2); }
    // Types the text into the field as key presses would.
    void Type(EditWidget* field, const std::string& text)
    {
        app->mWidgetManager->SetFocus(field);
        for (char c : text)
            app->mWidgetManager->KeyChar(c);
    }
    void Key(EditWidget* field, int key)
    {
        app->mWidgetManager->SetFocus(field);
        app->mWidgetManager->KeyDown(key);
        app->mWidgetManager->KeyUp(key);
    }
    // The trace of the quest engine, head-up display and tutorial stand-ins only.
    Trace Calls() const
    {
        Trace calls;
        for (const std::string& line : record.trace) {
            const bool tickOrDraw = line.size() > 1 && (line[0] == 't' || line[0] == 'd') && std::isdigit(line[1]);
            if (!tickOrDraw && line != "dim")
                calls.push_back(line);
        }
        return calls;
    }

    // In the tutorial's steps the expected digit typed into an empty field passes its event and
    // drops the focus, and nothing may follow it; outside them (the last step given) a digit is
    // a digit.
    void CheckTutorDigit(TradePanel* panel, std::vector<int> steps, char digit)
    {
        for (int step : steps) {
            SCOPED_TRACE(step);
            Profile().tutorialStep = step;
            EditWidget* field = panel->mSlots[0].field;
            field->SetText("", true);
            record.trace.clear();
            Type(field, std::string(1, digit));
            EXPECT_EQ(field->mString, std::string(1, digit));
            const bool tutorial = step != steps.back();
            EXPECT_EQ(Calls(), tutorial ? Trace{std::string("tutor ") + digit} : Trace{});
            if (tutorial) {
                EXPECT_FALSE(field->mHasFocus);
            }
            Type(field, std::string(1, digit));
            EXPECT_EQ(field->mString, std::string(tutorial ? 1 : 2, digit));
        }
    }
    // The sounds played, without the hover sound that moving onto a button plays.
    std::vector<int> Samples() const
    {
        std::vector<int> samples;
        for (int id : app->samples)
            if (id != SE_UI_OVER)
                samples.push_back(id);
        return samples;
    }

    StandInPhase* mPhase = nullptr;
    int mCount = 0;
};

} // namespace worldtest
