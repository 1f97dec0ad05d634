// Growable byte array written and read as one stream of bits: the serialisation container of
// profiles, demos, settings passing through a demo, the crash report and HTTP bodies.
// Stream bit i lives at bit (i mod 8) of byte i / 8, bit 0 being the least significant.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace Quor {

class Buffer {
public:
    // Longest string WriteString stores whole: its length is read back as a signed 16-bit
    // number.
    static constexpr int kMaxStringLength = 32767;

    Buffer() = default;
    virtual ~Buffer() = default;
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    Buffer(Buffer&&) = default;
    Buffer& operator=(Buffer&&) = default;

    void Clear();
    void SeekFront() { mReadBitPos = 0; }
    // Copies the bytes in; the bit length becomes 8 × count, positions stay.
    void SetData(const uint8_t* data, int count);

    // Appends the low 'bits' bits of the value (1 to 32; more count as 32).
    void WriteNumBits(int value, int bits)
    {
        if (bits > 32)
            bits = 32;
        if (bits > 0)
            WriteBits(static_cast<uint32_t>(value), bits);
        else if (mWriteBitPos > mDataBitSize)
            mDataBitSize = mWriteBitPos;
    }
    // Appends the low 'bits' bits of the value, 1 to 57 at once (several fields in one go).
    void WriteBits(uint64_t value, int bits)
    {
        if (mWriteBitPos + int64_t(bits) > kMaxBits) {
            if (mWriteBitPos > mDataBitSize)
                mDataBitSize = mWriteBitPos;
            return;
        }
        if (bits < 64)
            value &= (uint64_t(1) << bits) - 1;
        const size_t index = static_cast<size_t>(mWriteBitPos) >> 3;
        if (index + 8 > mData.size())
            MakeRoom(index + 8);
        value <<= (mWriteBitPos & 7);
        uint8_t* at = mData.data() + index;
        if constexpr (std::endian::native == std::endian::little) {
            uint64_t word;
            std::memcpy(&word, at, 8);
            word |= value;
            std::memcpy(at, &word, 8);
        } else {
            for (; value != 0; value >>= 8)
                *at++ |= static_cast<uint8_t>(value);
        }
        mWriteBitPos += bits;
        if (mWriteBitPos > mDataBitSize)
            mDataBitSize = mWriteBitPos;
    }
    void WriteBoolean(bool value);
    void WriteByte(uint8_t value);
    void WriteShort(int16_t value);
    void WriteLong(int32_t value);
    // A 16-bit length, then the bytes; a text longer than kMaxStringLength is cut there so
    // that the length always matches the bytes written.
    void WriteString(const std::string& text);
    void WriteBytes(const uint8_t* data, int count);

    // Reads up to 'bits' bits (at most 32); beyond the stored bytes the bits read as 0.
    int ReadNumBits(int bits, bool isSigned);
    bool ReadBoolean();
    // 0 without moving when the byte is not all stored.
    uint8_t ReadByte();
    int16_t ReadShort();
    int32_t ReadLong();
    std::string ReadString();
    void ReadBytes(uint8_t* data, int count);

    const uint8_t* GetDataPtr() const { return mDataBitSize == 0 ? nullptr : mData.data(); }
    int GetDataLen() const { return static_cast<int>(StoredBytes()); }
    // Room for this many bytes in all, so that writing up to there never grows the array.
    void Reserve(size_t bytes);
    // The stored bytes, handed over without a copy; the buffer is empty afterwards.
    std::vector<uint8_t> TakeData();
    bool AtEnd() const { return mReadBitPos >= mDataBitSize; }

    int GetReadBitPos() const { return mReadBitPos; }
    // Puts the read position back to one taken from GetReadBitPos.
    void SetReadBitPos(int pos) { mReadBitPos = pos < 0 ? 0 : pos; }
    int GetWriteBitPos() const { return mWriteBitPos; }
    int GetDataBitSize() const { return mDataBitSize; }

private:
    // Positions are 32-bit bit counts, so a stream holds at most INT32_MAX / 8 bytes.
    static constexpr int64_t kMaxBits = int64_t(INT32_MAX / 8) * 8;

    size_t StoredBytes() const { return static_cast<size_t>((static_cast<int64_t>(mDataBitSize) + 7) / 8); }
    void GrowTo(int64_t bitEnd);
    void MakeRoom(size_t bytes);

    // The stored bytes, then zeros: the array may be longer than the stream, so that a write
    // can add a whole 64-bit word at its end.
    std::vector<uint8_t> mData;
    int mDataBitSize = 0;
    int mReadBitPos = 0;
    int mWriteBitPos = 0;
};

} // namespace Quor
