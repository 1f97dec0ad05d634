// Feeds arbitrary bytes to the HTTP response reader in pieces of varying size.
#include "app/HTTPTransfer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    size_t piece = 1 + data[0] % 64; // the first byte picks the piece size
    ++data;
    --size;
    Quor::HTTPResponseReader reader;
    size_t content = 0;
    for (size_t at = 0; at < size; at += piece) {
        size_t n = size - at < piece ? size - at : piece;
        reader.Add(reinterpret_cast<const char*>(data + at), n);
        content += reader.TakeNewContent().size();
    }
    reader.Close(size % 2 == 0);
    content += reader.TakeNewContent().size();
    if (content > size || reader.Outcome() < 0 || reader.Outcome() > 9)
        std::abort();
    return 0;
}
