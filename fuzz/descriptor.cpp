// Runs arbitrary bytes as a descriptor file; every command defines values and converts its
// arguments in every way a command handler may.
#include "fuzz/FuzzScratch.h"
#include "app/Common.h"
#include "resources/DescParser.h"

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
    static quorfuzz::Scratch scratch("quor_fuzz_desc_", ".txt");
    return scratch.path;
}

class FuzzParser : public Quor::DescParser {
public:
    bool HandleCommand(const Quor::ListDataElement& params) override {
        const auto& v = params.mElementVector;
        if (v.size() >= 3 && !v[1]->mIsList) {
            std::string name = Quor::StringToUpper(static_cast<const Quor::SingleDataElement*>(v[1])->mString);
            Quor::ListDataElement resolved;
            Quor::DataElement* value = v[2]->Duplicate();
            delete mDefineMap[name];
            mDefineMap[name] = value;
            (void)DataToList(v[2], &resolved);
        }
        for (const Quor::DataElement* e : v) {
            std::string s;
            Quor::StringVector strings;
            Quor::IntVector ints;
            Quor::DoubleVector doubles;
            Quor::ListDataElement list;
            (void)DataToString(e, &s);
            (void)DataToStringVector(e, &strings);
            (void)DataToIntVector(e, &ints);
            (void)DataToDoubleVector(e, &doubles);
            (void)DataToList(e, &list);
            (void)DataElementToString(e);
        }
        return v.size() != 1;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quorfuzz::WriteBytes(ScratchFile(), data, size);
    FuzzParser parser;
    (void)parser.LoadDescriptor(ScratchFile());
    return 0;
}
