// Reads arbitrary bytes as DataCountryMap.xml with its reader, twice.
#include "fuzz/GameDataFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return quorfuzz::FuzzGameDataReader(data, size, "properties/DataCountryMap.xml",
                                        &Quor::GameDataLoader::LoadCountryMapData);
}
