// XMLParser against expat on the same generated 2 MB file of game-data shape (materials with
// attributes, nested elements, text with entities, comments).
#include <benchmark/benchmark.h>
#include <expat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchScratch.h"
#include "resources/XMLParser.h"

namespace {

const std::string& GameDataFile() {
    static const std::string path = [] {
        std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- generated game data -->\n<GameData>\n";
        for (int i = 0; xml.size() < 2 * 1024 * 1024; ++i) {
            char item[768];
            std::snprintf(item, sizeof(item),
                          "  <Material id=\"%d\" name=\"Kaolin clay %d\" country=\"%d\" price=\"%d.%02d\" quality=\"%d\">\n"
                          "    <Desc>Fine white clay from the hills &amp; valleys near town %d, good for porcelain.</Desc>\n"
                          "    <Need item=\"%d\" count=\"%d\"/>\n"
                          "    <Need item=\"%d\" count=\"%d\"/>\n"
                          "    <Market day=\"%d\" factor=\"1.%02d\" trend=\"up\"/>\n"
                          "  </Material>\n",
                          i, i, i % 8, 10 + i % 90, i % 100, i % 5, i % 31, i % 40, 1 + i % 12, (i * 7) % 40,
                          2 + i % 9, i % 365, i % 100);
            xml += item;
        }
        xml += "</GameData>\n";
        static const quorbench::ScratchDir dir("quor_bench_xml_");
        std::string file = dir.File("gamedata.xml");
        FILE* f = std::fopen(file.c_str(), "wb");
        std::fwrite(xml.data(), 1, xml.size(), f);
        std::fclose(f);
        return file;
    }();
    return path;
}

int64_t FileSize(const std::string& path) { return static_cast<int64_t>(std::filesystem::file_size(path)); }

void BM_XMLParser(benchmark::State& state) {
    const std::string& file = GameDataFile();
    size_t items = 0;
    for (auto _ : state) {
        Quor::XMLParser parser;
        if (!parser.OpenFile(file)) state.SkipWithError("cannot open");
        Quor::XMLElement element;
        while (parser.NextElement(&element)) ++items;
        if (parser.HasFailed()) state.SkipWithError(parser.GetErrorText().c_str());
    }
    benchmark::DoNotOptimize(items);
    state.SetBytesProcessed(state.iterations() * FileSize(file));
}

struct ExpatCounts {
    size_t items = 0;
    size_t textBytes = 0;
};

void BM_Expat(benchmark::State& state) {
    const std::string& file = GameDataFile();
    ExpatCounts counts;
    std::vector<char> buf(16384);
    for (auto _ : state) {
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetUserData(parser, &counts);
        XML_SetElementHandler(
            parser, [](void* d, const XML_Char*, const XML_Char**) { ++static_cast<ExpatCounts*>(d)->items; },
            [](void* d, const XML_Char*) { ++static_cast<ExpatCounts*>(d)->items; });
        XML_SetCharacterDataHandler(parser, [](void* d, const XML_Char*, int len) {
            static_cast<ExpatCounts*>(d)->textBytes += static_cast<size_t>(len);
        });
        FILE* f = std::fopen(file.c_str(), "rb");
        size_t n;
        while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0) {
            if (XML_Parse(parser, buf.data(), static_cast<int>(n), 0) == XML_STATUS_ERROR) state.SkipWithError("expat");
        }
        XML_Parse(parser, buf.data(), 0, 1);
        std::fclose(f);
        XML_ParserFree(parser);
    }
    benchmark::DoNotOptimize(counts.items);
    state.SetBytesProcessed(state.iterations() * FileSize(file));
}

BENCHMARK(BM_XMLParser)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Expat)->Unit(benchmark::kMillisecond);

} // namespace
