// Bit-level writing and reading of the stream.
#include "app/Buffer.h"

#include <algorithm>
#include <climits>

namespace Quor {

namespace {
// Positions are 32-bit bit counts, so a stream holds at most this many bytes.
constexpr int64_t kMaxBytes = INT_MAX / 8;
} // namespace

void Buffer::Clear()
{
    mData.clear();
    mData.shrink_to_fit();
    mDataBitSize = 0;
    mReadBitPos = 0;
    mWriteBitPos = 0;
}

void Buffer::SetData(const uint8_t* data, int count)
{
    if (!data || count < 0)
        count = 0;
    if (count > kMaxBytes)
        count = static_cast<int>(kMaxBytes);
    mData.assign(data, data + count);
    mDataBitSize = count * 8;
}

void Buffer::GrowTo(int64_t bitEnd)
{
    size_t need = static_cast<size_t>((bitEnd + 7) / 8);
    if (need > mData.size())
        MakeRoom(need);
}

void Buffer::MakeRoom(size_t bytes)
{
    mData.resize(std::max(bytes, mData.size() * 2), 0);
}

void Buffer::Reserve(size_t bytes)
{
    if (bytes + 8 > mData.size())
        mData.resize(bytes + 8, 0);
}

std::vector<uint8_t> Buffer::TakeData()
{
    mData.resize(StoredBytes());
    std::vector<uint8_t> data = std::move(mData);
    mData = {};
    mDataBitSize = 0;
    mReadBitPos = 0;
    mWriteBitPos = 0;
    return data;
}

void Buffer::WriteBoolean(bool value)
{
    WriteByte(value ? 1 : 0);
}

void Buffer::WriteByte(uint8_t value)
{
    WriteNumBits(value, 8);
}

void Buffer::WriteShort(int16_t value)
{
    WriteByte(static_cast<uint8_t>(value));
    WriteByte(static_cast<uint8_t>(static_cast<uint16_t>(value) >> 8));
}

void Buffer::WriteLong(int32_t value)
{
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        WriteByte(static_cast<uint8_t>(v >> (8 * i)));
}

void Buffer::WriteString(const std::string& text)
{
    int length = static_cast<int>(std::min<size_t>(text.size(), kMaxStringLength));
    WriteShort(static_cast<int16_t>(length));
    WriteBytes(reinterpret_cast<const uint8_t*>(text.data()), length);
}

void Buffer::WriteBytes(const uint8_t* data, int count)
{
    if (!data)
        return;
    if ((mWriteBitPos & 7) == 0 && count > 0 &&
        mWriteBitPos / 8 + int64_t(count) <= kMaxBytes) {
        // Byte-aligned: the bytes go in whole.
        GrowTo(int64_t(mWriteBitPos) + int64_t(count) * 8);
        std::copy(data, data + count, mData.begin() + (mWriteBitPos >> 3));
        mWriteBitPos += count * 8;
        if (mWriteBitPos > mDataBitSize)
            mDataBitSize = mWriteBitPos;
        return;
    }
    for (int i = 0; i < count; ++i)
        WriteByte(data[i]);
}

int Buffer::ReadNumBits(int bits, bool isSigned)
{
    if (bits > 32)
        bits = 32;
    if (bits <= 0 || mReadBitPos < 0)
        return 0;
    int64_t available = int64_t(StoredBytes()) * 8 - mReadBitPos;
    int count = static_cast<int>(std::min<int64_t>(bits, std::max<int64_t>(available, 0)));
    if (count == 0)
        return 0;
    size_t index = static_cast<size_t>(mReadBitPos) >> 3;
    int shift = mReadBitPos & 7;
    size_t byteCount = static_cast<size_t>((shift + count + 7) / 8);
    uint64_t acc = 0;
    for (size_t k = 0; k < byteCount; ++k)
        acc |= uint64_t(mData[index + k]) << (8 * k);
    acc >>= shift;
    uint32_t result = static_cast<uint32_t>(acc & ((uint64_t(1) << count) - 1));
    mReadBitPos += count;
    // Sign extension from the last bit actually read.
    if (isSigned && bits < 32 && ((result >> (count - 1)) & 1))
        result |= ~uint32_t(0) << bits;
    return static_cast<int>(result);
}

bool Buffer::ReadBoolean()
{
    return ReadByte() != 0;
}

uint8_t Buffer::ReadByte()
{
    if (mReadBitPos < 0)
        return 0;
    size_t index = static_cast<size_t>(mReadBitPos) >> 3;
    int shift = mReadBitPos & 7;
    if (shift == 0) {
        if (index >= StoredBytes())
            return 0;
        mReadBitPos += 8;
        return mData[index];
    }
    if (index + 1 >= StoredBytes())
        return 0;
    uint8_t result = static_cast<uint8_t>((mData[index] >> shift) | (mData[index + 1] << (8 - shift)));
    mReadBitPos += 8;
    return result;
}

int16_t Buffer::ReadShort()
{
    uint8_t low = ReadByte();
    uint8_t high = ReadByte();
    return static_cast<int16_t>(static_cast<uint16_t>(high * 256 + low));
}

int32_t Buffer::ReadLong()
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= uint32_t(ReadByte()) << (8 * i);
    return static_cast<int32_t>(v);
}

std::string Buffer::ReadString()
{
    int length = ReadShort();
    std::string result;
    if (length >= 1) {
        result.reserve(static_cast<size_t>(length));
        for (int i = 0; i < length; ++i)
            result += static_cast<char>(ReadByte());
    }
    return result;
}

void Buffer::ReadBytes(uint8_t* data, int count)
{
    if (!data)
        return;
    for (int i = 0; i < count; ++i)
        data[i] = ReadByte();
}

} // namespace Quor
