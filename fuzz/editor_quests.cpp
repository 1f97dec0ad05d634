// Arbitrary bytes split at zero bytes into the two quest files and the character file, read as
// the game reads them, written as the quest mode's SAVE writes them and read again: the tables
// must come out the same, unless SAVE would refuse the character table.
#include "editor/QuestFiles.h"
#include "fuzz/FuzzScratch.h"
#include "game/shell/GameDataLoader.h"
#include "resources/XMLParser.h"

#include <array>

namespace {

Quor::GameTables Read(const std::array<quorfuzz::Scratch, 3>& files)
{
    Quor::GameTables tables;
    Quor::XMLParser parser;
    Quor::GameDataLoader loader(parser, tables);
    for (size_t i = 0; i < files.size(); ++i) {
        if (!parser.OpenFile(files[i].path))
            std::abort();
        loader.ReadOpenedFile("properties/f" + std::to_string(i) + ".xml",
                              i < 2 ? &Quor::GameDataLoader::LoadQuestData : &Quor::GameDataLoader::LoadNPCData);
    }
    return tables;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static std::array<quorfuzz::Scratch, 3> files = {quorfuzz::Scratch("quor_fuzz_quests0_", ".xml"),
                                                     quorfuzz::Scratch("quor_fuzz_quests1_", ".xml"),
                                                     quorfuzz::Scratch("quor_fuzz_npcs_", ".xml")};
    size_t start = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        size_t end = start;
        while (end < size && (i == files.size() - 1 || data[end] != 0))
            ++end;
        quorfuzz::WriteBytes(files[i].path, data + start, end - start);
        start = end < size ? end + 1 : size;
    }
    const Quor::GameTables first = Read(files);
    if (!Quor::NpcTableProblem(first.npcTable).empty())
        return 0;

    const std::vector<Quor::EditorFile> saved = Quor::DataQuestFiles("DataQuest", first.questTable, first.npcTable);
    for (size_t i = 0; i < files.size(); ++i)
        quorfuzz::WriteBytes(files[i].path, reinterpret_cast<const uint8_t*>(saved[i].bytes.data()),
                             saved[i].bytes.size());
    const Quor::GameTables second = Read(files);
    if (!second.readIncomplete.empty() || !(second.questTable == first.questTable) ||
        !(second.npcTable == first.npcTable))
        std::abort();
    return 0;
}
