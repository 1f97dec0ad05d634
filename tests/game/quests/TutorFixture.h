// Fixture of the tutorial tests: the menu fixture's application with a real game screen in
// slot 1 (its head-up display a stand-in), the script written by each test (or the sample
// content's game data and script), and the frame opened in slot 12.
#pragma once

#include "game/quests/TutorFrame.h"
#include "game/world/GamePhase.h"
#include "platform/Sys.h"
#include "tests/game/quests/QuestFixture.h"
#include "tests/game/shell/MenuFixture.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quortest {

class HudPhase : public Quor::GamePhase {
public:
    using GamePhase::GamePhase;
    HudStandIn* hud = nullptr;

protected:
    Quor::GamePanel* MakePanel(int id, int extra) override
    {
        if (id == Quor::PANEL_INFO)
            return hud = new HudStandIn(this);
        return GamePhase::MakePanel(id, extra);
    }
};

inline std::vector<std::string>& TutorLog()
{
    static std::vector<std::string> lines;
    return lines;
}

class TutorTest : public MenuTest {
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        app->mHasFocus = true;
        Profile().name = "Mira";
        TutorLog().clear();
        plat::SetDebugOutputSink([](const char* text) { TutorLog().emplace_back(text); });
    }
    void TearDown() override
    {
        plat::SetDebugOutputSink(nullptr);
        MenuTest::TearDown();
    }

    Quor::PlayerProfile& Profile() { return app->GetCurrentProfile(); }
    void WriteScript(const std::string& body) { WriteFile(mFiles.File("properties/DataTutor.xml"), body); }
    // The sample content's game data and script in place of the fixture's, read again, and a
    // fresh profile on them.
    void UseSampleData()
    {
        const std::filesystem::path content = std::filesystem::path(QUOR_TEST_DATA_DIR) / ".." / ".." / "content";
        for (const auto& file : std::filesystem::directory_iterator(content / "properties"))
            std::filesystem::copy_file(file.path(), mFiles.Path() / "properties" / file.path().filename(),
                                       std::filesystem::copy_options::overwrite_existing);
        app->questTable.clear();
        ASSERT_TRUE(app->LoadGameData());
        app->profiles.clear();
        app->CreateDefaultProfile("Mira");
    }
    // The game screen opened as screen 1, then the frame at the step.
    Quor::TutorFrame* Enter(int step)
    {
        phase = new HudPhase(app.get());
        app->screens[Quor::SCREEN_GAME] = phase;
        phase->Resize(0, 0, 1024, 768);
        app->mWidgetManager->AddWidget(phase);
        Profile().tutorialStep = step;
        phase->ShowPanel(Quor::PANEL_TUTOR, step);
        return Frame();
    }
    Quor::TutorFrame* Frame() { return dynamic_cast<Quor::TutorFrame*>(phase->mPanels[Quor::PANEL_TUTOR]); }
    bool Logged(const std::string& part)
    {
        for (const std::string& line : TutorLog())
            if (line.find(part) != std::string::npos)
                return true;
        return false;
    }

    HudPhase* phase = nullptr;  // owned by the application's screen slot
};

} // namespace quortest
