// What the mini-game fuzz targets share: a headless game once per process (a scratch folder
// whose manifest gives every picture of "GameMain", "Mg" and the country groups one small PNG, one profile, the game
// screen in the widget manager), a reader that takes values from the fuzzer's bytes (zeros once
// they run out), and 500 updates of mouse input and screen buttons from those bytes.
#pragma once

#include "fuzz/FuzzScratch.h"
#include "game/minigames/MgSkeleton.h"
#include "game/minigames/MgUi.h"
#include "game/shell/DCapResource.h"
#include "game/shell/GameApp.h"
#include "game/shell/ProfileFile.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "game/world/InfoPanel.h"
#include "graphics/MemoryImage.h"
#include "platform/Files.h"
#include "platform/Sys.h"
#include "resources/ImageLib.h"
#include "widgets/WidgetManager.h"

#include <cstdlib>
#include <cstring>
#include <functional>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace quorfuzz {

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}
    template <class T>
    T Take()
    {
        T value{};
        if (mSize - mPos >= sizeof(T))
            std::memcpy(&value, mData + mPos, sizeof(T));
        mPos = std::min(mSize, mPos + sizeof(T));
        return value;
    }
    bool Empty() const { return mPos >= mSize; }

private:
    const uint8_t* mData;
    size_t mSize;
    size_t mPos = 0;
};

class MiniGameRig {
public:
    // moreGroups: groups given pictures besides the mini-games' and the countries'.
    explicit MiniGameRig(const std::vector<std::string>& moreGroups = {})
    {
        plat::SetDebugOutputSink([](const char*) {});
        std::filesystem::create_directories(mDir);
        std::unique_ptr<Quor::ImageLib::Image> picture(Quor::ImageLib::AllocImage(8, 4));
        for (int i = 0; i < 32; ++i)
            picture->mBits[i] = 0xFF000000u | uint32_t(i * 8);
        if (!Quor::ImageLib::WritePNGImage((mDir / "pic.png").string(), picture.get()))
            std::abort();
        std::string manifest = "<ResourceManifest>\n";
        // The game screen shows the profile's country on arrival, so the country groups are given
        // too; the bonus games' reward popup loads "GameReward".
        std::vector<std::string> groups = {"GameMain", "Mg", "GameReward"};
        groups.insert(groups.end(), moreGroups.begin(), moreGroups.end());
        for (std::size_t g = 0; g < Quor::kResourceGroupCount; ++g)
            if (std::string(Quor::kResourceGroupNames[g]).starts_with("GameCountry"))
                groups.push_back(Quor::kResourceGroupNames[g]);
        for (const std::string& group : groups) {
            manifest += "<Resources id=\"" + group + "\"><SetDefaults path=\"" + mDir.string() +
                        "\" idprefix=\"\"/>\n";
            size_t count = 0;
            const Quor::ResourceBinding* list = Quor::ResourceGroupBindings(group.c_str(), &count);
            for (size_t i = 0; i < count; ++i)
                manifest += std::string("<Image id=\"") + list[i].name + "\" path=\"pic.png\"/>\n";
            manifest += "</Resources>\n";
        }
        manifest += "</ResourceManifest>\n";
        const std::string path = (mDir / "res.xml").string();
        WriteBytes(path, reinterpret_cast<const uint8_t*>(manifest.data()), manifest.size());
        if (!app.resourceManager->ParseResourcesFile(path))
            std::abort();
        app.CreateDefaultProfile("Fuzz");
        app.mWidgetManager->SetMouseMapping(Quor::Rect(0, 0, 1024, 768), Quor::Rect(0, 0, 1024, 768));
        screen.Create(1024, 768);
        phase = new Quor::GamePhase(&app);
        if (!phase->IsUsable())
            std::abort();
        app.screens[Quor::SCREEN_GAME] = phase;
        phase->Resize(0, 0, 1024, 768);
        app.mWidgetManager->AddWidget(phase);
    }
    ~MiniGameRig() { std::filesystem::remove_all(mDir); }

    // The current profile standing in England with a factory making the product: money, a
    // production record (unless left out) and the random seed from the bytes, and the tutorial
    // step.
    Quor::PlayerProfile& GiveFactory(int product, ByteReader& in, bool withRecord, int tutorialStep)
    {
        Quor::PlayerProfile& profile = app.GetCurrentProfile();
        profile.country = 0;
        profile.money = in.Take<int32_t>();
        profile.factories[0] = Quor::FactoryState{0, product, true, false};
        profile.production.clear();
        if (withRecord)
            profile.production.push_back(
                Quor::ProductionRecord{0, product, in.Take<int32_t>(), in.Take<int32_t>(), in.Take<int32_t>()});
        profile.tutorialStep = tutorialStep;
        std::srand(in.Take<uint32_t>());
        return profile;
    }

    // The bytes as the save file P0.dat, read as the current profile; false when it is refused.
    bool LoadSlot0(const uint8_t* data, size_t size)
    {
        std::filesystem::create_directories(Quor::PlayerProfileFolder());
        if (!plat::WriteWholeFile(Quor::PlayerProfilePath(0), data, size))
            std::abort();
        app.currentProfile = 0;
        return app.LoadPlayerProfile(0);
    }

    // The game screen's head-up display, shown.
    Quor::InfoPanel& ShownBar()
    {
        auto* bar = dynamic_cast<Quor::InfoPanel*>(phase->mPanels[Quor::PANEL_INFO]);
        if (bar == nullptr)
            std::abort();
        if (!bar->IsShown())
            bar->SetShown(true);
        return *bar;
    }

    Quor::MgUi* Host() { return dynamic_cast<Quor::MgUi*>(phase->mPanels[Quor::PANEL_MINI_GAME]); }

    // Opens the screen of the number, plays 500 updates of input from the bytes, redrawing now
    // and then, and closes whatever is still open.
    void Play(int number, ByteReader& in, const std::function<void()>& afterOpen = {})
    {
        phase->ShowPanel(Quor::PANEL_MINI_GAME, number);
        if (afterOpen)
            afterOpen();
        Quor::WidgetManager& m = *app.mWidgetManager;
        for (int update = 0; update < 500; ++update) {
            const uint8_t op = in.Take<uint8_t>();
            const int x = int(in.Take<uint16_t>() % 1100) - 40;
            const int y = int(in.Take<uint16_t>() % 850) - 40;
            switch (op % 8) {
            case 1:
                m.MouseMove(x, y);
                break;
            case 2:
                m.MouseDown(x, y, 1);
                break;
            case 3:
                m.MouseUp(x, y, 1);
                break;
            case 4:
                m.MouseDrag(x, y);
                break;
            case 5:
                m.MouseMove(x, y);
                m.MouseDown(x, y, 1);
                m.MouseUp(x, y, 1);
                break;
            case 6:
                if (Quor::MgUi* host = Host())
                    host->ButtonDepress(op & 8 ? Quor::MgUi::ID_END : op & 16 ? Quor::MgUi::ID_RESUME : Quor::MgUi::ID_BACK);
                break;
            case 7:
                if (Quor::MgUi* host = Host())
                    host->ContinueTutorialGame();
                break;
            default:
                break;
            }
            // Without input the game runs on: the chute would take minutes of updates to end.
            const int steps = op == 0 ? 40 : 1;
            for (int s = 0; s < steps; ++s) {
                ++app.mUpdateCount;
                m.UpdateFrame();
                app.ProcessSafeDeletes();
            }
            if (update % 100 == 99) {
                m.mImage = &screen;
                m.SetDirtyFull();
                m.DrawScreen();
                m.mImage = nullptr;
            }
        }
        app.RemoveScreen(Quor::SCREEN_QUIT);
        phase->ClosePanel(Quor::PANEL_MINI_GAME);
        phase->ClosePanel(Quor::PANEL_FACTORY);
        ++app.mUpdateCount;
        m.UpdateFrame();
        app.ProcessSafeDeletes();
    }

    std::filesystem::path mDir = std::filesystem::temp_directory_path() /
                                 ("quor_fuzz_minigame_" + std::to_string(std::random_device{}()));
    Quor::GameApp app;
    Quor::MemoryImage screen;
    Quor::GamePhase* phase = nullptr;
};

} // namespace quorfuzz
