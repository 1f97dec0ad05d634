// Reads arbitrary bytes as DataQuest_0.xml with its reader, twice.
#include "fuzz/GameDataFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return quorfuzz::FuzzGameDataReader(data, size, "properties/DataQuest_0.xml",
                                        &Quor::GameDataLoader::LoadQuestData);
}
