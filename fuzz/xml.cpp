// Reads arbitrary bytes as an XML file, item by item to the end or the first failure.
#include "fuzz/FuzzScratch.h"
#include "resources/XMLParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace {

const std::string& ScratchFile()
{
    static quorfuzz::Scratch scratch("quor_fuzz_xml_", ".xml");
    return scratch.path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quorfuzz::WriteBytes(ScratchFile(), data, size);

    Quor::XMLParser parser;
    parser.mAllowComments = size % 2 == 1;
    if (!parser.OpenFile(ScratchFile())) std::abort();
    Quor::XMLElement element;
    size_t items = 0;
    while (parser.NextElement(&element)) {
        // Every item consumes input, except the end tag an empty-element tag hands back.
        if (++items > 2 * size + 2) std::abort();
    }
    if (parser.HasFailed() == parser.GetErrorText().empty()) std::abort();
    return 0;
}
