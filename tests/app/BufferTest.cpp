// Bit layout of the stream and reading beyond its end.
#include "app/Buffer.h"

#include <gtest/gtest.h>

#include <vector>

using Quor::Buffer;

namespace {
std::vector<uint8_t> Bytes(const Buffer& b)
{
    return std::vector<uint8_t>(b.GetDataPtr(), b.GetDataPtr() + b.GetDataLen());
}
} // namespace

TEST(Buffer, BitLayout)
{
    Buffer b;
    b.WriteNumBits(5, 3);
    b.WriteByte(0xAB);
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t>{0x5D, 0x05}));
    EXPECT_EQ(b.GetDataBitSize(), 11);
    EXPECT_EQ(b.GetWriteBitPos(), 11);
    EXPECT_EQ(b.GetDataLen(), 2);

    EXPECT_EQ(b.ReadNumBits(3, false), 5);
    EXPECT_EQ(b.ReadByte(), 0xAB);
    EXPECT_TRUE(b.AtEnd());
    EXPECT_EQ(b.ReadNumBits(5, false), 0); // the last byte's unused bits read as zeros
    EXPECT_EQ(b.GetReadBitPos(), 16);

    Buffer neg;
    neg.WriteNumBits(-5, 24);
    EXPECT_EQ(Bytes(neg), (std::vector<uint8_t>{0xFB, 0xFF, 0xFF}));
    EXPECT_EQ(neg.ReadNumBits(24, true), -5);
    neg.SeekFront();
    EXPECT_EQ(neg.ReadNumBits(24, false), 16777211);
}

TEST(Buffer, ByteOperationsMatchBitWrites)
{
    // At every bit offset the byte, short and long writes store what 8, 16 and 32 bits store,
    // and read back.
    for (int offset = 0; offset < 8; ++offset) {
        Buffer a, b;
        a.WriteNumBits(0x55, offset);
        b.WriteNumBits(0x55, offset);
        a.WriteByte(0xC3);
        a.WriteShort(static_cast<int16_t>(0xBEEF));
        a.WriteLong(static_cast<int32_t>(0xDEADBEEF));
        a.WriteBoolean(true);
        b.WriteNumBits(0xC3, 8);
        b.WriteNumBits(0xBEEF, 16);
        b.WriteNumBits(static_cast<int>(0xDEADBEEF), 32);
        b.WriteNumBits(1, 8);
        EXPECT_EQ(Bytes(a), Bytes(b)) << offset;
        EXPECT_EQ(a.GetWriteBitPos(), offset + 64);

        a.ReadNumBits(offset, false);
        EXPECT_EQ(a.ReadByte(), 0xC3);
        EXPECT_EQ(a.ReadShort(), static_cast<int16_t>(0xBEEF));
        EXPECT_EQ(a.ReadLong(), static_cast<int32_t>(0xDEADBEEF));
        EXPECT_TRUE(a.ReadBoolean());
        EXPECT_TRUE(a.AtEnd());
    }
}

TEST(Buffer, SignedAndWideReads)
{
    struct Case {
        int value, bits;
        bool isSigned;
        int expect;
    } cases[] = {
        {-1, 1, true, -1},      {1, 1, false, 1},        {-2, 4, true, -2},   {14, 4, false, 14},
        {7, 4, true, 7},        {-1, 32, true, -1},      {-1, 32, false, -1}, {0x12345678, 32, false, 0x12345678},
        {-100000, 20, true, -100000},
    };
    for (const Case& c : cases) {
        Buffer b;
        b.WriteNumBits(c.value, c.bits);
        EXPECT_EQ(b.ReadNumBits(c.bits, c.isSigned), c.expect) << c.value << "/" << c.bits;
    }

    // Counts above 32 are bounded to 32 on both sides; zero or negative counts do nothing.
    Buffer b;
    b.WriteNumBits(0x7FFFFFFF, 40);
    b.WriteNumBits(3, 0);
    b.WriteNumBits(3, -4);
    EXPECT_EQ(b.GetWriteBitPos(), 32);
    EXPECT_EQ(b.ReadNumBits(64, true), 0x7FFFFFFF);
    EXPECT_EQ(b.GetReadBitPos(), 32);
    EXPECT_EQ(b.ReadNumBits(0, false), 0);
}

TEST(Buffer, ReadingPastTheEnd)
{
    Buffer b;
    const uint8_t two[] = {0xF0, 0x0F};
    b.SetData(two, 2);
    EXPECT_EQ(b.GetDataBitSize(), 16);
    b.ReadNumBits(9, false);
    EXPECT_EQ(b.ReadByte(), 0); // needs a third byte: nothing moves
    EXPECT_EQ(b.GetReadBitPos(), 9);
    EXPECT_EQ(b.ReadNumBits(8, false), 0x0F >> 1); // bits 9 to 15 only
    EXPECT_EQ(b.GetReadBitPos(), 16);

    // Partial signed read: extended from the last bit actually read.
    Buffer c;
    const uint8_t one[] = {0x80};
    c.SetData(one, 1);
    c.ReadNumBits(4, false);
    EXPECT_EQ(c.ReadNumBits(8, true), static_cast<int>(0xFFFFFF08));

    Buffer d;
    d.WriteShort(10);
    d.WriteByte('h');
    d.WriteByte('i');
    EXPECT_EQ(d.ReadString(), std::string("hi\0\0\0\0\0\0\0\0", 10));
    EXPECT_EQ(d.ReadLong(), 0);
    uint8_t out[3] = {9, 9, 9};
    d.ReadBytes(out, 3);
    EXPECT_EQ(out[0] + out[1] + out[2], 0);
}

TEST(Buffer, StringsAndBooleans)
{
    Buffer b;
    b.WriteString("");
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t>{0, 0}));
    b.WriteString("abc");
    b.WriteByte(7); // a non-zero byte reads as true
    EXPECT_EQ(b.ReadString(), "");
    EXPECT_EQ(b.ReadString(), "abc");
    EXPECT_TRUE(b.ReadBoolean());

    // A negative length field gives the empty string.
    Buffer n;
    n.WriteShort(-3);
    EXPECT_EQ(n.ReadString(), "");

    // Texts that the 16-bit length cannot hold are cut so length and bytes agree.
    for (size_t len : {32767u, 32768u, 70000u}) {
        Buffer s;
        s.WriteString(std::string(len, 'z'));
        s.WriteByte(0x42);
        EXPECT_EQ(s.ReadString(), std::string(std::min<size_t>(len, 32767), 'z')) << len;
        EXPECT_EQ(s.ReadByte(), 0x42) << len;
    }
}

TEST(Buffer, EmptyClearAndBytes)
{
    Buffer b;
    EXPECT_EQ(b.GetDataPtr(), nullptr);
    EXPECT_EQ(b.GetDataLen(), 0);
    EXPECT_TRUE(b.AtEnd());

    const uint8_t raw[] = {1, 2, 3, 4, 5};
    b.WriteNumBits(1, 1);
    b.WriteBytes(raw, 5);
    b.WriteBytes(raw, 5);
    EXPECT_EQ(b.GetDataLen(), 11);
    b.ReadNumBits(1, false);
    uint8_t out[10];
    b.ReadBytes(out, 10);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 10), (std::vector<uint8_t>{1, 2, 3, 4, 5, 1, 2, 3, 4, 5}));

    b.Clear();
    EXPECT_EQ(b.GetDataPtr(), nullptr);
    EXPECT_EQ(b.GetReadBitPos() + b.GetWriteBitPos() + b.GetDataBitSize(), 0);
    b.SetData(nullptr, 5);
    b.SetData(raw, -1);
    EXPECT_EQ(b.GetDataLen(), 0);
}

TEST(Buffer, WideWritesAndHandingOver)
{
    // A 56-bit write stores what its fields written one by one store, at every bit offset; the
    // room made ahead of the writes changes neither the bytes nor reading past their end.
    for (int offset = 0; offset < 8; ++offset) {
        Buffer wide, narrow;
        wide.Reserve(3);
        wide.WriteNumBits(0x2A, offset);
        narrow.WriteNumBits(0x2A, offset);
        wide.WriteBits(0xBEEFu | uint64_t(0xABCDEFu) << 16 | uint64_t(0x8001u) << 40 | uint64_t(0xFF) << 56, 56);
        narrow.WriteNumBits(0xBEEF, 16);
        narrow.WriteNumBits(0xABCDEF, 24);
        narrow.WriteNumBits(0x8001, 16);
        EXPECT_EQ(Bytes(wide), Bytes(narrow)) << offset;
        EXPECT_EQ(wide.GetDataBitSize(), offset + 56);

        wide.SetReadBitPos(offset + 56);
        EXPECT_EQ(wide.ReadNumBits(16, false), 0);
        EXPECT_EQ(wide.GetReadBitPos(), (offset + 56 + 7) / 8 * 8); // only the last byte's bits
        EXPECT_EQ(wide.ReadByte(), 0);
        EXPECT_EQ(wide.GetReadBitPos(), (offset + 56 + 7) / 8 * 8);

        std::vector<uint8_t> taken = wide.TakeData();
        EXPECT_EQ(taken, Bytes(narrow));
        EXPECT_EQ(wide.GetDataPtr(), nullptr);
        EXPECT_EQ(wide.GetDataLen() + wide.GetWriteBitPos() + wide.GetReadBitPos(), 0);
    }
}
