// Loading the nine game-data files into tables, beside expat parsing the same bytes without
// building anything. Three sets, all read as loose files: the sample content's own files (taken
// out of main.pak, argument 0), a generated set of the sample content's shape and size (36
// materials, 80 blueprints, 9 quests, 25 characters, 8 countries, 17 awards, 4 effects;
// argument 1) and one ten times as large (argument 10).
#include <benchmark/benchmark.h>
#include <expat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "BenchScratch.h"
#include "game/shell/GameApp.h"
#include "game/shell/GameDataLoader.h"
#include "resources/PakInterface.h"
#include "resources/XMLParser.h"

namespace {

const char* const kFiles[] = {"FXData.xml",      "DataSource.xml",  "DataBluePrint.xml",
                              "DataQuest_0.xml", "DataQuest_1.xml", "DataNPC.xml",
                              "DataCountryMap.xml", "DataAward.xml", "DataMG.xml"};

std::string Format(const char* format, auto... args)
{
    char line[512];
    std::snprintf(line, sizeof(line), format, args...);
    return line;
}

// The nine files of a set `scale` times the sample's size, in kFiles order.
std::vector<std::string> MakeSet(int scale)
{
    std::vector<std::string> files(std::size(kFiles));
    std::string& fx = files[0];
    fx = "<FXData>\n";
    for (int i = 0; i < 4 * scale; ++i) {
        fx += Format("  <FX id=\"%d\" img=\"FX_C_REWARD_UP\" frame=\"4\" timePerLoop=\"0.5\" "
                     "isLoop=\"false\" playTime=\"1\" holdTime=\"0.25\"/>\n", i);
        for (int k = 0; k < 3; ++k) {
            fx += Format("  <Keyframe loop=\"false\" type=\"TRANSLATE\" subtype=\"TRANS_Y\"/>\n");
            for (int t = 0; t < 3; ++t)
                fx += Format("  <Key time=\"%d.%d\" val=\"-%d.5\"/>\n", t, k, t * 20);
        }
    }
    fx += "</FXData>\n";

    std::string& src = files[1];
    src = "<DataSource>\n";
    for (int i = 1; i <= 36 * scale; ++i)
        src += Format("  <Source Id=\"%d\" Name=\"Material number %d\" Img=\"S_%d\" Price=\"%d\"/>\n",
                      i, i, i, 4 + i % 57);
    src += "</DataSource>\n";

    std::string& bp = files[2];
    bp = "<DataBluePrint>\n";
    for (int i = 1; i <= 80 * scale; ++i) {
        bp += Format("  <BluePrint Id=\"%d\" Name=\"Dinnerware %d\" Img=\"PD_%d\" CountryId=\"%d\"/>\n",
                     i, i, i, i % 8);
        for (int m = 0; m < 2 + i % 4; ++m)
            bp += Format("  <Source BpId=\"%d\" Id=\"%d\" Qty=\"%d\"/>\n", i, 1 + (i + m * 5) % 21, 1 + m);
        for (int c = 0; c < 1 + i % 3; ++c)
            bp += Format("  <ColorSrc BpId=\"%d\" Id=\"%d\" IsColor=\"%d\"/>\n", i, 22 + (i + c) % 15, c + 1);
    }
    bp += "</DataBluePrint>\n";

    for (int f = 0; f < 2; ++f) {
        std::string& q = files[3 + f];
        int count = (f == 0 ? 8 : 1) * scale;
        for (int i = 0; i < count; ++i) {
            q += Format("<Quest>\n  <Data Id=\"%d\" CountryId=\"%d\" Weight=\"%d\" Des=\"Quest %d: "
                        "bring the plates &amp; cups to the mission house\"/>\n",
                        f * 100000 + i + 1, i % 8, 1 + i % 5, i);
            q += "  <PreQuest Type=\"1\" Des=\"finished\"><Prop>1</Prop></PreQuest>\n"
                 "  <PreQuest Type=\"2\" Des=\"day\"><Prop>10</Prop><Prop>0</Prop></PreQuest>\n";
            q += "  <Reward Type=\"1\" Des=\"money\"><Prop>0</Prop><Prop>500</Prop></Reward>\n"
                 "  <Reward Type=\"4\" Des=\"recipe\"><Prop>0</Prop><Prop>6</Prop></Reward>\n";
            for (int t = 0; t < 3; ++t)
                q += Format("  <Target Type=\"%d\" Des=\"Talk to the host\" SubDes=\"Step %d\">"
                            "<Prop>%d</Prop><Prop>0</Prop><Prop>-1</Prop><Prop>2</Prop><Prop>3</Prop>"
                            "</Target>\n", 1 + t, t, 17 + t);
            q += "</Quest>\n";
        }
    }

    std::string& npc = files[5];
    for (int i = 1; i <= 25 * scale; ++i) {
        npc += Format("<NPC>\n  <Data Id=\"%d\" Name=\"Character %d\" Img=\"NPC_%d\"/>\n", i, i, i);
        for (int s = 0; s < 3; ++s)
            npc += Format("  <Speech Id=\"%d\" Type=\"1\">\n    <Des>Good morning! Fine weather for "
                          "trading, is it not?</Des>\n    <Des>Come back when you have more "
                          "plates.</Des>\n  </Speech>\n", s);
        npc += "</NPC>\n";
    }

    std::string& map = files[6];
    map = "<DataCountryMap>\n";
    for (int i = 0; i < 8 * scale; ++i) {
        map += Format("  <CountryMap Id=\"%d\" Name=\"Country %d\"/>\n", i, i);
        for (int p = 0; p < 5; ++p)
            map += Format("  <Pos Type=\"%d\" x=\"%d\" y=\"%d\" nx=\"%d\" ny=\"%d\"/>\n", p,
                          100 + 150 * p, 300, 98 + 150 * p, 298);
        for (int n = 0; n < 3; ++n)
            map += Format("  <Npc Rid=\"%d\" Nid=\"%d\"/>\n", n, 1 + (i + n) % 25);
        for (int s = 0; s < 8; ++s)
            map += Format("  <Source Id=\"%d\"/>\n", 1 + (i * 3 + s) % 36);
    }
    map += "</DataCountryMap>\n";

    std::string& award = files[7];
    award = "<DataAward>\n";
    for (int i = 0; i < 17 * scale; ++i)
        award += Format("  <Award Id=\"%d\" Name=\"Award %d\" Img=\"MA_A%d\" Des=\"For the first "
                        "hundred plates sold in one week.\" X=\"%d\" Y=\"%d\"/>\n",
                        i, i, i % 17, 62 + 150 * (i % 6), 150 + 160 * (i / 6));
    award += "</DataAward>\n";

    files[8] = "<DataMG>\n  <MG m1BasicSpeed1=\"1.5\" m1BasicSpeed2=\"2\" m1BasicSpeed3=\"2.5\" "
               "m1Distance=\"300\" m1Time=\"60\" m1TimeDeduct=\"2\" m1Lv1Pass=\"10\" m1Lv2Pass=\"20\" "
               "m1Lv3Pass=\"30\" m2Time=\"90\" m2BonusMulti=\"1.5\" m3BasicSpeed=\"3\" m3MulSpeed=\"1.1\" "
               "m3Time=\"45\" m3Lv1Pass=\"10\" m3Lv2Pass=\"20\" m4LvMax=\"10\" m4LvStart=\"5\" "
               "m4LvUpQty=\"5\" m4BasicSpeed2=\"130\" m4BasicSpeed3=\"130\" m4BasicSpeed4=\"130\" "
               "m4BasicSpeed5=\"130\" m4LvSpeed=\"23\" m5Time=\"60\" m5TimeDeduct=\"1\" "
               "m5Lv1Pass=\"10\" m5Lv2Pass=\"20\" m5Lv3Pass=\"30\" m5TimeDropBowl=\"2.5\" "
               "m5TimeDropBowlLvMulti=\"0.9\" m5SrcLvMulti=\"2\" m5SrcNumAdd1=\"1\" m5SrcNumAdd2=\"2\" "
               "m5SrcNumAdd3=\"3\" m6Prepare=\"3\" m6Chance=\"20\" gp_fac_jap=\"50000\" "
               "gp_fac_chi=\"80000\" gp_fac_usa=\"120000\" credit_fade=\"4\"/>\n</DataMG>\n";
    return files;
}

void WriteWhole(const std::filesystem::path& path, const std::string& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// The nine files of the sample content, read out of its archive through an archive reader of
// their own (the process-wide one stays untouched); "" with *error set when one is missing.
std::vector<std::string> SampleSet(std::string* error)
{
    std::vector<std::string> files;
    const std::filesystem::path pak = quorbench::SampleContentPak(error);
    if (pak.empty())
        return files;
    Quor::GetPakInterface();  // the process-wide reader exists first, so this one stays private
    Quor::PakInterface archive;
    archive.mDecryptPassword = Quor::GameApp::kArchivePassword;
    if (!archive.AddPakFile(pak.string())) {
        *error = "cannot open " + pak.string();
        return files;
    }
    for (const char* name : kFiles) {
        Quor::PakFile* file = archive.FOpen((std::string("properties/") + name).c_str(), "rb");
        if (!file) {
            *error = std::string("the sample content has no properties/") + name;
            files.clear();
            return files;
        }
        std::string bytes;
        char chunk[16384];
        size_t n;
        while ((n = archive.FRead(chunk, 1, sizeof(chunk), file)) > 0)
            bytes.append(chunk, n);
        archive.FClose(file);
        files.push_back(std::move(bytes));
    }
    return files;
}

// A folder holding "properties/" with the set of that scale (0: the sample content's own
// files); made once per scale. Empty, with *error set, when the set cannot be made.
std::filesystem::path SetFolder(int scale, std::string* error)
{
    static quorbench::ScratchDir sampleFiles("quor_bench_gamedata0_");
    static quorbench::ScratchDir sample("quor_bench_gamedata1_");
    static quorbench::ScratchDir large("quor_bench_gamedata10_");
    const quorbench::ScratchDir& dir = scale == 0 ? sampleFiles : scale == 1 ? sample : large;
    std::filesystem::path properties = dir.Path() / "properties";
    if (!std::filesystem::exists(properties)) {
        std::vector<std::string> files = scale == 0 ? SampleSet(error) : MakeSet(scale);
        if (files.empty())
            return {};
        std::filesystem::create_directory(properties);
        for (size_t i = 0; i < files.size(); ++i)
            WriteWhole(properties / kFiles[i], files[i]);
    }
    return dir.Path();
}

int64_t SetBytes(const std::filesystem::path& folder)
{
    int64_t bytes = 0;
    for (const char* name : kFiles)
        bytes += int64_t(std::filesystem::file_size(folder / "properties" / name));
    return bytes;
}

void BM_LoadGameData(benchmark::State& state)
{
    std::string error;
    const std::filesystem::path folder = SetFolder(int(state.range(0)), &error);
    if (folder.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::filesystem::current_path(folder);  // the loader opens "properties/..." as the game does
    size_t records = 0;
    for (auto _ : state) {
        Quor::GameTables tables;
        Quor::XMLParser parser;
        Quor::GameDataLoader loader(parser, tables);
        if (!loader.LoadGameData() || !tables.readIncomplete.empty())
            state.SkipWithError("the set did not load");
        records += tables.blueprintTable.size() + tables.questTable.size();
    }
    benchmark::DoNotOptimize(records);
    state.SetBytesProcessed(state.iterations() * SetBytes(folder));
}

// expat over the same nine files: elements and text counted, nothing kept.
void BM_ExpatSameBytes(benchmark::State& state)
{
    std::string error;
    const std::filesystem::path folder = SetFolder(int(state.range(0)), &error);
    if (folder.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    size_t items = 0;
    std::vector<char> buf(16384);
    for (auto _ : state) {
        for (const char* name : kFiles) {
            XML_Parser parser = XML_ParserCreate(nullptr);
            XML_SetUserData(parser, &items);
            XML_SetElementHandler(
                parser, [](void* d, const XML_Char*, const XML_Char**) { ++*static_cast<size_t*>(d); },
                [](void* d, const XML_Char*) { ++*static_cast<size_t*>(d); });
            XML_SetCharacterDataHandler(parser, [](void* d, const XML_Char*, int) {
                ++*static_cast<size_t*>(d);
            });
            FILE* f = std::fopen((folder / "properties" / name).c_str(), "rb");
            size_t n = std::fread(buf.data(), 1, buf.size(), f);
            // The quest and character files have several top-level elements: expat gets them
            // inside one wrapper element, as a single document, after the XML declaration when
            // the file starts with one.
            size_t declaration = 0;
            if (n >= 5 && std::string_view(buf.data(), 5) == "<?xml") {
                std::string_view head(buf.data(), n);
                size_t end = head.find("?>");
                declaration = end == std::string_view::npos ? 0 : end + 2;
            }
            bool ok = XML_Parse(parser, buf.data(), int(declaration), 0) != XML_STATUS_ERROR &&
                      XML_Parse(parser, "<w>", 3, 0) != XML_STATUS_ERROR &&
                      XML_Parse(parser, buf.data() + declaration, int(n - declaration), 0) != XML_STATUS_ERROR;
            while (ok && (n = std::fread(buf.data(), 1, buf.size(), f)) > 0)
                ok = XML_Parse(parser, buf.data(), int(n), 0) != XML_STATUS_ERROR;
            ok = ok && XML_Parse(parser, "</w>", 4, 1) != XML_STATUS_ERROR;
            std::fclose(f);
            XML_ParserFree(parser);
            if (!ok)
                state.SkipWithError("expat failed");
        }
    }
    benchmark::DoNotOptimize(items);
    state.SetBytesProcessed(state.iterations() * SetBytes(folder));
}

BENCHMARK(BM_LoadGameData)->Arg(0)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpatSameBytes)->Arg(0)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

} // namespace
