// Reads arbitrary bytes as DataNPC.xml with its reader, twice.
#include "fuzz/GameDataFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return quorfuzz::FuzzGameDataReader(data, size, "properties/DataNPC.xml",
                                        &Quor::GameDataLoader::LoadNPCData);
}
