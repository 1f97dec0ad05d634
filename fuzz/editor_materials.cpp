// Arbitrary bytes read as a materials file (first byte even) or a blueprint file (odd), written
// back as the data editor writes it and read again: the tables must come out the same (the
// blueprints after dropping the colour sources of materials they do not use, as saving does).
#include "editor/EditorFiles.h"
#include "fuzz/FuzzScratch.h"
#include "game/shell/GameDataLoader.h"
#include "resources/XMLParser.h"

namespace {

Quor::GameTables Read(const std::string& path, bool blueprints)
{
    Quor::GameTables tables;
    Quor::XMLParser parser;
    Quor::GameDataLoader loader(parser, tables);
    if (!parser.OpenFile(path))
        std::abort();
    loader.ReadOpenedFile(blueprints ? "properties/DataBluePrint.xml" : "properties/DataSource.xml",
                          blueprints ? &Quor::GameDataLoader::LoadBluePrintData : &Quor::GameDataLoader::LoadSourceData);
    return tables;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static quorfuzz::Scratch scratch("quor_fuzz_editor_", ".xml");
    const bool blueprints = data[0] & 1;
    quorfuzz::WriteBytes(scratch.path, data + 1, size - 1);
    Quor::GameTables first = Read(scratch.path, blueprints);

    std::string bytes;
    if (blueprints) {
        Quor::PruneColorSources(first.blueprintTable);
        bytes = Quor::DataBluePrintBytes(first.blueprintTable);
    } else {
        bytes = Quor::DataSourceBytes(first.sourceTable);
    }
    quorfuzz::WriteBytes(scratch.path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    Quor::GameTables second = Read(scratch.path, blueprints);
    if (second.readIncomplete.size() != 0)
        std::abort();
    if (blueprints ? !(second.blueprintTable == first.blueprintTable) : !(second.sourceTable == first.sourceTable))
        std::abort();
    return 0;
}
