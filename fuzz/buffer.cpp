// Arbitrary bytes as a Buffer stream, read by a sequence of readers that the bytes themselves
// choose. Every value read is checked against the bits as they stand in the input, and what
// was read is written back through the writers, which must rebuild the consumed bits exactly.
#include "app/Buffer.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

const uint8_t* gData;
size_t gSize;

// Bits pos .. pos + n - 1 of the input, least significant first; zeros beyond the end.
uint32_t RawBits(int64_t pos, int n)
{
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
        int64_t bit = pos + i;
        if (static_cast<size_t>(bit / 8) < gSize && ((gData[bit / 8] >> (bit % 8)) & 1))
            v |= 1u << i;
    }
    return v;
}

void Check(bool ok)
{
    if (!ok)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1 << 16))
        return 0;
    gData = data;
    gSize = size;
    Quor::Buffer in;
    in.SetData(data, static_cast<int>(size));
    Check(in.GetDataLen() == static_cast<int>(size));
    Quor::Buffer out;
    // The first bytes steer: each picks a reader and, for bit reads, a width and signedness.
    size_t steer = size < 16 ? size : 16;
    size_t op = 0;
    for (int guard = 0; !in.AtEnd() && guard < 100000; ++guard) {
        uint8_t code = steer ? data[op++ % steer] : 0;
        const int before = in.GetReadBitPos();
        switch (code % 7) {
        case 0: {
            int bits = 1 + (code >> 3) % 32;
            bool isSigned = code & 0x80;
            int v = in.ReadNumBits(bits, isSigned);
            int read = in.GetReadBitPos() - before;
            Check(read >= 0 && read <= bits);
            uint32_t raw = RawBits(before, read);
            uint32_t mask = read == 32 ? ~0u : (1u << read) - 1;
            Check((static_cast<uint32_t>(v) & mask) == raw);
            out.WriteNumBits(v, read);
            break;
        }
        case 1: {
            uint8_t b = in.ReadByte();
            if (in.GetReadBitPos() != before) {
                Check(b == RawBits(before, 8));
                out.WriteByte(b);
            } else {
                Check(b == 0);
            }
            break;
        }
        case 2: {
            int16_t v = in.ReadShort();
            int read = in.GetReadBitPos() - before;
            Check(read == 0 || read == 8 || read == 16);
            Check(static_cast<uint16_t>(v) == RawBits(before, read));
            if (read == 16)
                out.WriteShort(v);
            else if (read == 8)
                out.WriteByte(static_cast<uint8_t>(v));
            break;
        }
        case 3: {
            int32_t v = in.ReadLong();
            int read = in.GetReadBitPos() - before;
            Check(read % 8 == 0 && static_cast<uint32_t>(v) == RawBits(before, read));
            if (read == 32)
                out.WriteLong(v);
            else
                for (int i = 0; i < read / 8; ++i)
                    out.WriteByte(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
            break;
        }
        case 4: {
            std::string s = in.ReadString();
            int read = in.GetReadBitPos() - before;
            Check(s.size() <= 32767 && read % 8 == 0);
            if (read < 16) { // only part of the length could be read
                if (read == 8)
                    out.WriteByte(static_cast<uint8_t>(RawBits(before, 8)));
                break;
            }
            int length = static_cast<int16_t>(RawBits(before, 16));
            Check(static_cast<int>(s.size()) == (length > 0 ? length : 0));
            int whole = (read - 16) / 8; // bytes really read; the rest of s is padding
            for (int i = 0; i < static_cast<int>(s.size()); ++i)
                Check(static_cast<uint8_t>(s[i]) == (i < whole ? RawBits(before + 16 + 8 * i, 8) : 0));
            if (length >= 0 && whole == static_cast<int>(s.size())) {
                out.WriteString(s);
            } else {
                out.WriteShort(static_cast<int16_t>(length));
                out.WriteBytes(reinterpret_cast<const uint8_t*>(s.data()), whole);
            }
            break;
        }
        case 5: {
            uint8_t tmp[37];
            int count = code % 37;
            in.ReadBytes(tmp, count);
            int read = (in.GetReadBitPos() - before) / 8;
            for (int i = 0; i < count; ++i)
                Check(tmp[i] == (i < read ? RawBits(before + 8 * i, 8) : 0));
            out.WriteBytes(tmp, read);
            break;
        }
        case 6: {
            bool b = in.ReadBoolean();
            if (in.GetReadBitPos() != before) {
                uint32_t raw = RawBits(before, 8);
                Check(b == (raw != 0));
                out.WriteByte(static_cast<uint8_t>(raw));
            }
            break;
        }
        }
        if (in.GetReadBitPos() == before) {
            // This reader found nothing more; go on with single bits.
            int v = in.ReadNumBits(1, false);
            if (in.GetReadBitPos() == before)
                break;
            out.WriteNumBits(v, 1);
        }
    }
    // What was consumed is rebuilt bit for bit.
    int bits = in.GetReadBitPos();
    Check(bits == out.GetWriteBitPos() && bits == out.GetDataBitSize());
    const uint8_t* o = out.GetDataPtr();
    for (int i = 0; i < bits; ++i)
        Check(((o[i / 8] >> (i % 8)) & 1) == ((data[i / 8] >> (i % 8)) & 1));
    return 0;
}
