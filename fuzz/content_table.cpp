// The content tool's table reader on any text: a table whose every cell reads as a number or
// fails with a message, or a message for the whole file; never a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/mkcontent/Table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const mkcontent::Table table = mkcontent::Table::Parse("fuzz.tsv", text);
        for (const mkcontent::Table::Row& row : table.Rows())
            for (const std::string& column : table.Columns()) {
                try {
                    (void)table.Int(row, column, 0);
                } catch (const mkcontent::ContentError&) {
                }
                try {
                    (void)table.Number(row, column, 0);
                } catch (const mkcontent::ContentError&) {
                }
            }
    } catch (const mkcontent::ContentError&) {
    }
    return 0;
}
