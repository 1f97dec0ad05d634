// One game-data reader on arbitrary bytes: read into tables that already hold a record of every
// kind, then read again over its own result, which must come out the same (a reload on
// unchanged files changes nothing).
#pragma once

#include "fuzz/FuzzScratch.h"
#include "game/shell/GameDataLoader.h"
#include "resources/XMLParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace quorfuzz {

inline Quor::GameTables FilledTables()
{
    Quor::GameTables t;
    Quor::FXDef& fx = t.fxDefs.emplace().emplace_back();
    fx.id = 2;
    fx.keyframes[0].keys[0.5] = 1.0;
    t.sourceTable[1] = {1, "Clay", "S_1", 8};
    t.blueprintTable[1] = {1, "Plate", "PD_1", 0, {{1, 2}}, {{22, 1}}};
    Quor::QuestRecord& quest = t.questTable[1];
    quest.Id = 1;
    quest.Target.emplace_back(1, "t", "s");
    quest.Target.back().Prop = {4};
    Quor::NpcRecord& npc = t.npcTable[1];
    npc.Id = 1;
    npc.Speech[0] = {0, 1, {"Hello"}};
    Quor::CountryMapRecord& country = t.countryMapTable[0];
    country.placePos[0] = {1, 2};
    country.npcSlots.push_back({2, 1});
    country.sourceIds.push_back(1);
    t.awardTable[0] = {0, "A", "MA_A0", "d", 62, 150};
    t.miniGameTuning.m1Time = 3.5;
    return t;
}

inline int FuzzGameDataReader(const uint8_t* data, size_t size, const char* fileName,
                              Quor::GameDataLoader::Reader reader)
{
    static Scratch scratch("quor_fuzz_gamedata_", ".xml");
    WriteBytes(scratch.path, data, size);

    Quor::GameTables tables = FilledTables();
    Quor::XMLParser parser;
    Quor::GameDataLoader loader(parser, tables);
    if (!parser.OpenFile(scratch.path))
        std::abort();
    loader.ReadOpenedFile(fileName, reader);
    Quor::GameTables first = tables;
    if (!parser.OpenFile(scratch.path))
        std::abort();
    loader.ReadOpenedFile(fileName, reader);
    if (!(tables == first))
        std::abort();
    return 0;
}

} // namespace quorfuzz
