// Loads arbitrary bytes as the save file P0.dat through the profile reader, then, on what it
// read: opens the world map, points at every country, travels to each released one (ticking
// until the animation has ended and the map closed) and opens the company identity screen,
// pressing each of its controls, drawing on a memory image throughout.
#include "fuzz/FuzzScratch.h"
#include "game/shell/DCapResource.h"
#include "game/shell/GameApp.h"
#include "game/shell/ProfileFile.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "game/world/LogoSelect.h"
#include "game/world/WorldMap.h"
#include "graphics/MemoryImage.h"
#include "platform/Files.h"
#include "platform/Sys.h"
#include "resources/ImageLib.h"
#include "widgets/WidgetManager.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace Quor;

class FuzzApp : public GameApp {
public:
    int MsgBox(const std::string&, const std::string&, uint32_t) override { return 1; }
    void LogScreenError(const std::string&) override {}
};

bool WritePicture(const std::filesystem::path& path, int w, int h)
{
    std::filesystem::create_directories(path.parent_path());
    std::unique_ptr<ImageLib::Image> picture(ImageLib::AllocImage(w, h));
    for (int i = 0; i < w * h; ++i)
        picture->mBits[i] = 0xFF000000u | uint32_t(i * 37);
    return ImageLib::WritePNGImage(path.string(), picture.get());
}

// A scratch folder made the current one: a manifest giving every picture of the game screen's,
// the world map's and the countries' groups one small PNG, the travel and logo pictures loose,
// the user's data folder inside, one profile and the game screen in the widget manager.
struct Rig {
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("quor_fuzz_travel_" + std::to_string(std::random_device{}()));
    FuzzApp app;
    MemoryImage screen;
    GamePhase* phase = nullptr;

    Rig()
    {
        plat::SetDebugOutputSink([](const char*) {});
        std::filesystem::create_directories(dir);
        setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        if (!WritePicture(dir / "pic.png", 8, 4))
            std::abort();
        for (const char* name : {"fx_train", "fx_train3", "fx_plane_1", "fx_plane_2", "fx_plane_3"})
            WritePicture(dir / "images/travel" / (std::string(name) + ".png"), 12, 6);
        WritePicture(dir / "images/travel/fx_train2.png", 18, 6);
        WritePicture(dir / "images/travel/fx_train4.png", 8, 6);
        WritePicture(dir / "images/travel/fx_ship.png", 50, 6);
        WritePicture(dir / "images/travel/fx_ship2.png", 48, 6);
        for (int k = 0; k < 8; ++k) {
            const std::string n = std::to_string(k);
            for (const std::string& name : {n, "icon" + n, "color" + n, "color" + n + "_o"})
                WritePicture(dir / "images/logo" / (name + ".png"), 10, 8);
        }
        WritePicture(dir / "images/logo/bg.png", 16, 16);
        for (const char* name : {"btn_ok", "btn_ok_o", "btn_ok_c"})
            WritePicture(dir / "images/menu_acc" / (std::string(name) + ".png"), 20, 10);

        std::string manifest = "<ResourceManifest>\n";
        std::vector<std::string> groups = {"GameMain", "GameWorldMap"};
        for (std::size_t g = 0; g < kResourceGroupCount; ++g)
            if (std::string(kResourceGroupNames[g]).starts_with("GameCountry"))
                groups.push_back(kResourceGroupNames[g]);
        for (const std::string& group : groups) {
            manifest += "<Resources id=\"" + group + "\"><SetDefaults path=\"" + dir.string() + "\" idprefix=\"\"/>\n";
            size_t count = 0;
            const ResourceBinding* list = ResourceGroupBindings(group.c_str(), &count);
            for (size_t i = 0; i < count; ++i)
                manifest += std::string("<Image id=\"") + list[i].name + "\" path=\"pic.png\"/>\n";
            manifest += "</Resources>\n";
        }
        manifest += "</ResourceManifest>\n";
        const std::string path = (dir / "res.xml").string();
        quorfuzz::WriteBytes(path, reinterpret_cast<const uint8_t*>(manifest.data()), manifest.size());
        if (!app.resourceManager->ParseResourcesFile(path))
            std::abort();
        for (int i = 0; i < 5; ++i)
            app.CreateDefaultProfile("");
        app.currentProfile = 0;
        app.mHasFocus = true;
        app.mWidgetManager->SetMouseMapping(Rect(0, 0, 1024, 768), Rect(0, 0, 1024, 768));
        screen.Create(1024, 768);
        std::filesystem::create_directories(PlayerProfileFolder());
    }
    ~Rig()
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    void Update(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            ++app.mUpdateCount;
            app.mWidgetManager->UpdateFrame();
            app.ProcessSafeDeletes();
        }
    }
    void Draw()
    {
        WidgetManager& m = *app.mWidgetManager;
        m.mImage = &screen;
        m.SetDirtyFull();
        m.DrawScreen();
        m.mImage = nullptr;
    }
    WorldMap* Map() { return dynamic_cast<WorldMap*>(phase->mPanels[PANEL_WORLD_MAP]); }

    // Opens the map; true when it is there.
    bool OpenMap()
    {
        phase->ShowPanel(PANEL_WORLD_MAP, 0);
        Update(2);
        return Map() != nullptr;
    }

    void Run()
    {
        phase = new GamePhase(&app);
        if (!phase->IsUsable())
            std::abort();
        app.screens[SCREEN_GAME] = phase;
        phase->Resize(0, 0, 1024, 768);
        app.mWidgetManager->AddWidget(phase);
        Update(2);

        if (OpenMap()) {
            for (int country = 0; country < WorldMap::kCountryCount; ++country) {
                Map()->ButtonMouseEnter(country);
                Draw();
                Map()->ButtonMouseLeave(country);
            }
        }
        const PlayerProfile& profile = app.GetCurrentProfile();
        for (int country = 0; country < WorldMap::kCountryCount; ++country) {
            const auto released = profile.countries.find(country);
            if (released == profile.countries.end() || !released->second)
                continue;
            if (Map() == nullptr && !OpenMap())
                break;
            Map()->ButtonDepress(country);
            if (Map() != nullptr && Map()->mHintShown)
                Map()->ButtonDepress(WorldMap::ID_OK);
            // Every trip ends within 8 s of ticks; the map closes on the same tick.
            for (int tick = 0; tick < 430 && Map() != nullptr; ++tick) {
                Update(2);
                if (tick % 100 == 50)
                    Draw();
            }
            if (Map() != nullptr && Map()->mTravel == nullptr)
                Map()->ButtonDepress(WorldMap::ID_BACK);
            Update(4);
        }
        app.RemoveScreen(SCREEN_QUIT);
        app.RemoveScreen(SCREEN_GAME);
        app.ProcessSafeDeletes();
        phase = nullptr;

        app.ShowScreen(SCREEN_LOGO, 0);
        if (auto* logo = dynamic_cast<LogoSelect*>(app.screens[SCREEN_LOGO])) {
            Draw();
            for (int id : {10001, 10002, 10003, 10004, 10005, 10006, 0, 7, 10006, 10006})
                logo->ButtonDepress(id);
            Draw();
        }
        app.RemoveScreen(SCREEN_LOGO);
        app.ProcessSafeDeletes();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Rig* rig = new Rig();
    if (!plat::WriteWholeFile(PlayerProfilePath(0), data, size))
        std::abort();
    if (!rig->app.LoadPlayerProfile(0))
        return 0;
    // The pictures are found by their paths below the scratch folder; the fuzzer's own folder
    // comes back afterwards.
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(rig->dir);
    rig->Run();
    std::filesystem::current_path(before);
    return 0;
}
