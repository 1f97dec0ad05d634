// The content tool: a fault in a table stops it with a message naming the row, a second run
// makes byte-identical files, and its options decide what stays loose beside the archive.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "tests/tools/ToolRun.h"
#include "tools/mkcontent/Content.h"
#include "tools/mkcontent/Names.h"
#include "tools/mkcontent/Table.h"

namespace fs = std::filesystem;

namespace {

const std::string kNames = std::string(CONTENT_SOURCE_DIR) + "/../game/shell/ResourceNames.txt";

std::string ReadText(const std::string& path) {
    std::vector<uint8_t> bytes = quortest::ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// Sets one cell of the row whose first cell is 'key' (the column by its header name), adds a
// line at the end (column "+"), or removes the row (value "").
std::string EditTable(const std::string& text, const std::string& key, const std::string& column, const std::string& value) {
    std::istringstream in(text);
    std::vector<std::string> header;
    std::string line, out;
    bool edited = false;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream split(line);
        for (std::string cell; std::getline(split, cell, '\t');) cells.push_back(cell);
        if (line.empty() || line[0] == '#') {
            out += line + "\n";
            continue;
        }
        if (header.empty()) {
            header = cells;
            out += line + "\n";
            continue;
        }
        if (cells[0] == key && column != "+") {
            edited = true;
            if (value.empty()) continue;
            for (size_t i = 0; i < header.size(); ++i)
                if (header[i] == column) cells[i] = value;
            line.clear();
            for (size_t i = 0; i < cells.size(); ++i) line += (i ? "\t" : "") + cells[i];
        }
        out += line + "\n";
    }
    if (column == "+") {
        out += value + "\n";
        edited = true;
    }
    if (!edited) throw std::runtime_error("no row " + key);
    return out;
}

struct Fault {
    const char* table;
    const char* key;
    const char* column;   // "+" adds the value as a new row; a removed row has value ""
    const char* value;
    std::vector<std::string> expected;  // parts of the message
};

TEST(ContentTool, TableFaultsStopWithTheRowNamed) {
    const Fault faults[] = {
        {"resources.tsv", "FX_C_BIRD", "anim", "-", {"resources.tsv:", "(FX_C_BIRD)", "animates"}},
        {"resources.tsv", "GM_FACTORY_FIRE", "anim", "loop", {"(GM_FACTORY_FIRE)", "two cels"}},
        {"resources.tsv", "GC2_SKY", "width", "1000", {"(GC2_SKY)", "1024"}},
        {"resources.tsv", "FX_C_MISSION_FIN", "cols", "16", {"(FX_C_MISSION_FIN)", "cels"}},
        {"resources.tsv", "GW_BG", "group", "GameReward", {"(GW_BG)", "GameWorldMap"}},
        {"resources.tsv", "MB_A15", "id", "", {"ResourceNames.txt:", "(MB_A15)", "no image row"}},
        {"resources.tsv", "", "+", "XX_EXTRA\tTutor\timage\timages/tutor/xx_extra.png\t10\t10\t-\t-\t-\t-\tfill\t-",
         {"(XX_EXTRA)", "not in the resource-name list"}},
        {"resources.tsv", "", "+", "BTN_OK\tTutor\timage\timages/tutor/other.png\t10\t10\t-\t-\t-\t-\tfill\t-",
         {"(BTN_OK)", "defined twice"}},
        {"resources.tsv", "BTN_OK", "style", "shiny", {"(BTN_OK)", "unknown style"}},
        {"resources.tsv", "BTN_OK_O", "file", "images/init/btn_ok.png", {"share the archive name", "btn_ok.png"}},
        {"resources.tsv", "SE_CLICK", "file", "sounds/click.wav", {"(SE_CLICK)", "without extension"}},
        {"resources.tsv", "IMG_NONE", "style", "fill", {"(IMG_NONE)", "transparent"}},
        {"files.tsv", "images/mg_2/p7.png", "width", "170", {"files.tsv:", "(images/mg_2/p7.png)", "168"}},
        {"files.tsv", "images/travel/fx_ship.png", "cols", "7", {"(images/travel/fx_ship.png)", "cels"}},
        {"colours.tsv", "images/logo", "key", "", {"colours.tsv has no colour for images/logo"}},
        {"fonts.tsv", "FONT_C_DAY", "id", "", {"(FONT_C_DAY)", "fonts.tsv"}},
        {"sounds.tsv", "SE_CLICK", "recipe", "whistle", {"sounds.tsv:", "(SE_CLICK)", "unknown recipe"}},
        {"music.tsv", "music/Jp.ogg", "bpm", "fast", {"music.tsv:", "(music/Jp.ogg)", "bpm"}},
        {"music.tsv", "music/Jp.ogg", "seed", "101", {"music.tsv:", "(music/Jp.ogg)", "music/Main_page.ogg", "tune"}},
        {"particles.tsv", "path", "FX_award_get.psi", "512,700", {"particles.tsv:", "(path)", "two points"}},
        {"groups.tsv", "Mg", "manifest", "properties/res_init.xml", {"groups.tsv:", "(Mg)", "one after another"}},
    };
    for (const Fault& f : faults) {
        quortest::TempDir dir;
        for (const char* table : {"groups.tsv", "colours.tsv", "resources.tsv", "files.tsv", "fonts.tsv",
                                  "sounds.tsv", "music.tsv", "particles.tsv"}) {
            std::string text = ReadText(std::string(CONTENT_SOURCE_DIR) + "/" + table);
            if (std::string(table) == f.table) text = EditTable(text, f.key, f.column, f.value);
            quortest::WriteFile(dir.File(table), text);
        }
        std::string message = "(nothing thrown)";
        try {
            mkcontent::Content content = mkcontent::LoadContent(dir.Path().string());
            mkcontent::CheckAgainstNames(content, mkcontent::LoadResourceNames(kNames), kNames);
        } catch (const mkcontent::ContentError& e) {
            message = e.what();
        }
        for (const std::string& part : f.expected)
            EXPECT_NE(message.find(part), std::string::npos) << f.table << " " << f.key << ": " << message;
    }
}

TEST(ContentTool, UnchangedTablesAgreeWithTheNameList) {
    mkcontent::Content content = mkcontent::LoadContent(CONTENT_SOURCE_DIR);
    EXPECT_NO_THROW(mkcontent::CheckAgainstNames(content, mkcontent::LoadResourceNames(kNames), kNames));
    EXPECT_EQ(content.resources.size(), 769u);
    EXPECT_EQ(content.pictures.size(), 716u + 408u);
    EXPECT_EQ(content.music.size(), 32u);
    EXPECT_EQ(content.particles.size(), 6u);
}

bool SameBytes(const std::string& a, const std::string& b) {
    return quortest::ReadFile(a) == quortest::ReadFile(b);
}

TEST(ContentTool, SecondRunMakesIdenticalFiles) {
    quortest::TempDir dir;
    const std::string out = dir.File("out");
    quortest::ToolRun run = quortest::RunTool(
        MKCONTENT_TOOL, dir, std::string("build '") + CONTENT_SOURCE_DIR + "' '" + kNames + "' '" + out + "' --threads 2");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(SameBytes(out + "/main.pak", std::string(QUOR_BINARY_DIR) + "/main.pak"));
    for (const char* psi : {"FX_fireworks.psi", "FX_award_get.psi", "FX_fire.psi", "FX_mini3_fire.psi",
                            "FX_smoke.psi", "FX_upgrade.psi"})
        EXPECT_TRUE(SameBytes(out + "/particle/" + psi, std::string(QUOR_BINARY_DIR) + "/particle/" + psi)) << psi;
    EXPECT_LT(fs::file_size(out + "/main.pak"), 10u * 1024 * 1024);

    // The archive tool lists it with the program's password.
    run = quortest::RunTool(PAK_TOOL, dir, "list '" + out + "/main.pak' --password lorvtekmiqazund");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("properties\\res_init.xml\t"), std::string::npos);
    EXPECT_NE(run.out.find("music\\Main_page.ogg\t"), std::string::npos);
    EXPECT_NE(run.out.find("fonts\\FONT_S14.png\t"), std::string::npos);

    // And extracts every file it lists.
    const size_t listed = static_cast<size_t>(std::count(run.out.begin(), run.out.end(), '\n'));
    EXPECT_GT(listed, 1200u);
    run = quortest::RunTool(PAK_TOOL, dir, "extract '" + out + "/main.pak' '" + dir.File("files") +
                                               "' --password lorvtekmiqazund");
    ASSERT_EQ(run.status, 0) << run.out;
    size_t files = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir.File("files")))
        files += entry.is_regular_file();
    EXPECT_EQ(files, listed);
    EXPECT_TRUE(SameBytes(dir.File("files") + "/properties/DataTutor.xml", std::string(CONTENT_SOURCE_DIR) + "/properties/DataTutor.xml"));
    EXPECT_EQ(ReadText(dir.File("files") + "/properties/res_tutor.xml").rfind("<?xml version=\"1.0\"?>\n<ResourceManifest>\n", 0), 0u);
}

TEST(ContentTool, DeveloperOptionLeavesGameDataLoose) {
    quortest::TempDir dir;
    const fs::path source = dir.Path() / "content";
    fs::copy(CONTENT_SOURCE_DIR, source, fs::copy_options::recursive);
    fs::create_directories(source / "properties");
    quortest::WriteFile((source / "properties/DataMG.xml").string(), "<?xml version=\"1.0\"?>\n<DataMG/>\n");
    quortest::WriteFile((source / "properties/DataTutor.xml").string(), "<?xml version=\"1.0\"?>\n<DataTutor/>\n");
    const std::string out = dir.File("out");
    quortest::ToolRun run = quortest::RunTool(
        MKCONTENT_TOOL, dir, "build '" + source.string() + "' '" + kNames + "' '" + out + "' --developer --loose-music --threads 2");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(fs::exists(out + "/properties/DataMG.xml"));
    EXPECT_FALSE(fs::exists(out + "/properties/DataTutor.xml"));
    EXPECT_TRUE(fs::exists(out + "/music/RS_1.ogg"));

    run = quortest::RunTool(PAK_TOOL, dir, "list '" + out + "/main.pak' --password lorvtekmiqazund");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out.find("DataMG.xml"), std::string::npos);
    EXPECT_NE(run.out.find("properties\\DataTutor.xml\t"), std::string::npos);
    EXPECT_NE(run.out.find("music\\RS_1.ogg\t"), std::string::npos);
}

} // namespace
