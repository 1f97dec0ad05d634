// Fixture of the data-editor tests: the fixture archive's manifests, pictures and font loose in a
// temporary folder made the current one (every "GameMain" name a small picture, FONT_TEST an
// image font), the game data written there from text, and a game application that records its
// message boxes, error-log lines and fatal reports and opens a stand-in for the main menu.
#pragma once

#include "editor/DataEditor.h"
#include "editor/EditorSelectList.h"
#include "game/shell/DCapResource.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "platform/Dialogs.h"
#include "tests/game/shell/GameFixture.h"
#include "tests/support/TestSupport.h"
#include "widgets/ButtonWidget.h"
#include "widgets/EditWidget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace quortest {

class EditorApp : public Quor::GameApp {
public:
    struct Box {
        std::string caption;
        std::string text;
        uint32_t flags;
    };
    std::vector<Box> mBoxes;
    int mBoxAnswer = plat::IDYES;
    std::vector<std::string> mErrorLog;
    int mFatalReports = 0;
    int mMenusMade = 0;

    int MsgBox(const std::string& text, const std::string& caption, uint32_t flags) override
    {
        mBoxes.push_back({caption, text, flags});
        return mBoxAnswer;
    }
    void LogScreenError(const std::string& text) override { mErrorLog.push_back(text); }
    void ReportResourceError(bool exitProgram) override
    {
        if (exitProgram)
            ++mFatalReports;
    }

protected:
    // The main menu is a plain widget here.
    Quor::Widget* MakeScreen(int& id, int mode) override
    {
        if (id == Quor::SCREEN_MAIN_MENU) {
            ++mMenusMade;
            return new Quor::Widget();
        }
        return GameApp::MakeScreen(id, mode);
    }
};

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override { Start({}); }

    // Writes the fixture's files (without the names left out) and starts the application with
    // the "Init" group loaded and the fixture's game data read.
    void Start(const GameArchiveOptions& options)
    {
        mOldDir = std::filesystem::current_path();
        for (const paktool::PakEntry& entry : GameArchiveEntries(options)) {
            std::string path = entry.name;
            std::replace(path.begin(), path.end(), '\\', '/');
            std::filesystem::create_directories((mFiles.Path() / path).parent_path());
            WriteFile(mFiles.File(path), entry.data);
        }
        std::filesystem::current_path(mFiles.Path());
        app = std::make_unique<EditorApp>();
        app->mSoundManager = new MemorySoundManager();
        app->mWidgetManager->SetMouseMapping(Quor::Rect(0, 0, 1024, 768), Quor::Rect(0, 0, 1024, 768));
        for (const char* manifest : Quor::GameApp::kResourceManifests)
            ASSERT_TRUE(app->resourceManager->ParseResourcesFile(manifest)) << manifest;
        ASSERT_TRUE(app->resourceManager->LoadResources("Init") && Quor::BindInitResources(app->resourceManager));
        ASSERT_TRUE(app->LoadGameData());
    }
    void TearDown() override
    {
        for (int slot : {Quor::SCREEN_EDITOR, Quor::SCREEN_EDITOR2, Quor::SCREEN_MAIN_MENU})
            app->RemoveScreen(slot);
        app->ProcessSafeDeletes();
        app->resourceManager->DeleteResources("");
        app.reset();
        std::filesystem::current_path(mOldDir);
    }

    std::string PropertiesFile(const std::string& name) const { return mFiles.File("properties/" + name); }
    std::string Read(const std::string& name) const
    {
        std::vector<uint8_t> bytes = ReadFile(PropertiesFile(name));
        return std::string(bytes.begin(), bytes.end());
    }
    void Write(const std::string& name, const std::string& text) { WriteFile(PropertiesFile(name), text); }

    // Materials with these Ids ("M<id>", image S_<id mod 36 + 1>, price id * 10), then read again.
    void WriteMaterials(const std::vector<int>& ids)
    {
        std::string text = "<DataSource>";
        for (int id : ids)
            text += "<Source Id=\"" + std::to_string(id) + "\" Name=\"M" + std::to_string(id) + "\" Img=\"S_" +
                    std::to_string(id % 36 + 1) + "\" Price=\"" + std::to_string(id * 10) + "\"/>";
        Write("DataSource.xml", text + "</DataSource>");
        ASSERT_TRUE(app->LoadGameData());
    }
    // Blueprints with Ids 1..count ("B<id>", image PD_<id mod 81>, country id mod 3), each with the
    // given materials (quantity material Id + 1) and no colour sources, then read again.
    void WriteBlueprints(int count, const std::vector<int>& materials)
    {
        std::string text = "<DataBluePrint>";
        for (int id = 1; id <= count; ++id) {
            text += "<BluePrint Id=\"" + std::to_string(id) + "\" Name=\"B" + std::to_string(id) + "\" Img=\"PD_" +
                    std::to_string(id % 81) + "\" CountryId=\"" + std::to_string(id % 3) + "\"/>";
            for (int m : materials)
                text += "<Source BpId=\"" + std::to_string(id) + "\" Id=\"" + std::to_string(m) + "\" Qty=\"" +
                        std::to_string(m + 1) + "\"/>";
        }
        Write("DataBluePrint.xml", text + "</DataBluePrint>");
        ASSERT_TRUE(app->LoadGameData());
    }

    Quor::DataEditor* Open(int mode, int slot = Quor::SCREEN_EDITOR)
    {
        app->ShowScreen(slot, mode);
        return dynamic_cast<Quor::DataEditor*>(app->screens[slot]);
    }

    // The child button of a container with this id (null when there is none).
    static Quor::ButtonWidget* Button(Quor::WidgetContainer* parent, int id)
    {
        for (Quor::Widget* w : parent->mWidgets)
            if (auto* b = dynamic_cast<Quor::ButtonWidget*>(w); b && b->mId == id)
                return b;
        return nullptr;
    }
    static Quor::EditWidget* Field(Quor::WidgetContainer* parent, int id)
    {
        for (Quor::Widget* w : parent->mWidgets)
            if (auto* e = dynamic_cast<Quor::EditWidget*>(w); e && e->mId == id)
                return e;
        return nullptr;
    }
    // How the open record's fields (working list 1) look, in order.
    struct FieldLook {
        int id;
        Quor::Rect rect;
        int maxChars;
        const char* text;
    };
    static void ExpectFields(Quor::DataEditor* editor, const std::vector<FieldLook>& looks)
    {
        ASSERT_EQ(editor->mLists[1].size(), looks.size());
        for (size_t i = 0; i < looks.size(); ++i) {
            auto* field = static_cast<Quor::EditWidget*>(editor->mLists[1][i]);
            EXPECT_EQ(field->mId, looks[i].id);
            EXPECT_EQ(field->GetRect(), looks[i].rect) << looks[i].id;
            EXPECT_EQ(field->mMaxChars, looks[i].maxChars) << looks[i].id;
            EXPECT_EQ(field->mString, looks[i].text) << looks[i].id;
            EXPECT_TRUE(field->mDrawFrame);
        }
    }

    // A press and release in the middle of the widget, through the widget manager.
    void Click(Quor::Widget* widget)
    {
        ASSERT_NE(widget, nullptr);
        Quor::Rect r = widget->GetRect();
        for (Quor::WidgetContainer* p = widget->mParent; p; p = p->mParent) {
            r.mX += p->mX;
            r.mY += p->mY;
        }
        Quor::WidgetManager& m = *app->mWidgetManager;
        const int x = r.mX + r.mWidth / 2;
        const int y = r.mY + r.mHeight / 2;
        m.MouseMove(x, y);
        m.MouseDown(x, y, 1);
        m.MouseUp(x, y, 1);
    }
    void Press(Quor::WidgetContainer* parent, int id) { Click(Button(parent, id)); }
    // Replaces a field's text by typing it.
    void Type(Quor::EditWidget* field, const std::string& text)
    {
        ASSERT_NE(field, nullptr);
        app->mWidgetManager->SetFocus(field);
        field->mCursorPos = int(field->mString.size());
        field->mHilitePos = 0;
        for (char c : text)
            app->mWidgetManager->KeyChar(c);
        if (text.empty())
            app->mWidgetManager->KeyDown(8);
    }

    TempDir mFiles;
    std::filesystem::path mOldDir;
    std::unique_ptr<EditorApp> app;
};

} // namespace quortest
