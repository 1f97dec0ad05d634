// A game archive for the application tests, built with the archive tool's writer: the sixteen
// resource manifests declaring every name of the resource list (one small picture, one image font
// and one short sound shared by all), and a GameApp that runs headless on it.
#pragma once

#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "tests/game/shell/GameDataFixture.h"
#include "platform/Threads.h"
#include "resources/PakInterface.h"
#include "tests/support/ResourceFixtures.h"
#include "tests/support/TestSupport.h"
#include "tools/pak/PakFormat.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace quortest {

// The manifest that declares a resource group.
inline const char* ManifestOfGroup(const std::string& group)
{
    static const std::pair<const char*, const char*> kFiles[] = {
        {"Init", "res_init"},           {"Fx", "res_fx"},
        {"Sound", "res_se"},            {"MenuAcc", "res_menu_acc"},
        {"MenuAward", "res_menu_award"}, {"MenuBlueprint", "res_menu_blueprint"},
        {"MenuMain", "res_menu_main"},  {"MenuPopup", "res_menu_popup"},
        {"MenuHelp", "res_menu_help"},  {"MenuScore", "res_menu_score"},
        {"GameMain", "res_game_main"},  {"GameWorldMap", "res_game_worldmap"},
        {"GameReward", "res_game_reward"}, {"Mg", "res_mg"},
        {"Tutor", "res_tutor"}};
    if (group.rfind("GameCountry", 0) == 0)
        return "res_game_country";
    for (const auto& [name, file] : kFiles)
        if (group == name)
            return file;
    return nullptr;
}

struct GameArchiveOptions {
    std::set<std::string> omit;           // names left out of their manifests, game-data files left out
    std::set<std::string> omitManifests;  // manifests left out of the archive
};

// The files of the fixture archive: manifests, pictures, font, sound and game data.
inline std::vector<paktool::PakEntry> GameArchiveEntries(const GameArchiveOptions& options = {})
{
    std::map<std::string, std::string> manifests;
    for (const char* path : Quor::GameApp::kResourceManifests)
        manifests[path] = "<ResourceManifest>\n";
    for (std::size_t g = 0; g < Quor::kResourceGroupCount; ++g) {
        const char* group = Quor::kResourceGroupNames[g];
        std::string& body = manifests[std::string("properties\\") + ManifestOfGroup(group) + ".xml"];
        body += std::string("  <Resources id=\"") + group + "\">\n    <SetDefaults path=\"fixture\" idprefix=\"\"/>\n";
        std::size_t count = 0;
        const Quor::ResourceBinding* list = Quor::ResourceGroupBindings(group, &count);
        for (std::size_t i = 0; i < count; ++i) {
            if (options.omit.count(list[i].name))
                continue;
            const std::string id = list[i].name;
            switch (list[i].kind) {
            case Quor::ResourceKind::Image:
                body += "    <Image id=\"" + id + "\" path=\"img\\pic.png\"/>\n";
                break;
            case Quor::ResourceKind::Font:
                body += "    <Font id=\"" + id + "\" path=\"fonts\\desc.txt\"/>\n";
                break;
            case Quor::ResourceKind::Sound:
                body += "    <Sound id=\"" + id + "\" path=\"snd\\click\"/>\n";
                break;
            }
        }
        body += "  </Resources>\n";
    }

    std::vector<paktool::PakEntry> entries;
    for (auto& [path, body] : manifests)
        if (!options.omitManifests.count(path))
            entries.push_back({path, Bytes(body + "</ResourceManifest>\n"), 0});
    entries.push_back({"fixture\\img\\pic.png", PngBytes(8, 4, [](int x, int y) { return 0xFF000000u | uint32_t(x * 30 + y); }), 0});
    entries.push_back({"fixture\\fonts\\desc.txt",
                       Bytes("Define Rects ((0 0 4 5) (4 0 4 5));\nCreateLayer Main;\nLayerSetImage Main 'glyphs.png';\n"
                             "LayerSetImageMap Main ('A' 'B') Rects;\nLayerSetCharWidths Main ('A' 'B') (5 5);\n"
                             "LayerSetAscent Main 5;\nSetDefaultPointSize 10;\n"),
                       0});
    entries.push_back({"fixture\\fonts\\glyphs.png", PngBytes(8, 5, [](int, int) { return 0xFFFFFFFFu; }), 0});
    entries.push_back({"fixture\\snd\\click.wav", Wave({1, 0, 2, 0, 3, 0}), 0});
    for (const GameDataFile& file : MinimalGameData())
        if (!options.omit.count(file.name))
            entries.push_back({std::string("properties\\") + file.name, Bytes(file.body), 0});
    return entries;
}

// Writes "main.pak" into the folder and returns its path.
inline std::string WriteGameArchive(const std::string& folder, const GameArchiveOptions& options = {})
{
    std::vector<paktool::PakEntry> entries = GameArchiveEntries(options);
    std::vector<uint8_t> archive;
    std::string error;
    if (!paktool::BuildPak(entries, Quor::GameApp::kArchivePassword, archive, error))
        throw std::runtime_error(error);
    std::string path = folder + "/main.pak";
    WriteFile(path, archive);
    return path;
}

// Writes the files of the fixture archive loose below the folder, a '\' in a name turned into '/'.
inline void WriteGameFilesLoose(const std::filesystem::path& folder, const std::vector<paktool::PakEntry>& entries)
{
    for (const paktool::PakEntry& entry : entries) {
        std::string path = entry.name;
        std::replace(path.begin(), path.end(), '\\', '/');
        std::filesystem::create_directories((folder / path).parent_path());
        WriteFile((folder / path).string(), entry.data);
    }
}

// The game as the tests run it: windowed, no single-copy check, its folder a temporary one, popups
// written to standard error ("popup: <text>") for the parent of a death test to read, sounds kept
// by a sound manager that plays into memory. Opens the archive of the folder.
class FixtureGame : public Quor::GameApp {
public:
    std::vector<std::string> mPopups;
    std::function<void(FixtureGame&)> mOnUpdate;  // after every update

    explicit FixtureGame(const std::string& folder)
    {
        mCmdLineParsed = true;
        mOnlyAllowOneCopyToRun = false;
        mWindowed = true;
        mChangeDirTo = folder;
        mSoundManager = new MemorySoundManager();
        Quor::GetPakInterface()->AddPakFile(folder + "/main.pak");
    }
    void Popup(const std::string& text) override
    {
        mPopups.push_back(text);
        std::fprintf(stderr, "popup: %s\npopup on the main thread: %d\n", text.c_str(),
                     int(plat::GetCurrentThreadId() == mPrimaryThreadId));
    }
    int MsgBox(const std::string& text, const std::string& caption, uint32_t flags) override
    {
        std::fprintf(stderr, "box %s %u: %s\n", caption.c_str(), unsigned(flags), text.c_str());
        return 1;
    }
    void UpdateFrames() override
    {
        GameApp::UpdateFrames();
        if (mOnUpdate)
            mOnUpdate(*this);
    }
};

} // namespace quortest
