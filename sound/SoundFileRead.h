// Small readers over the archive-aware file functions shared by the sound file readers: a
// closer for an opened file, whole-byte reads and little- and big-endian numbers.
#pragma once

#include "resources/PakInterface.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace Quor {

// Closes a file opened through the archive-aware functions when it goes out of scope.
class PakFileCloser {
public:
    explicit PakFileCloser(PakFile* file) : mFile(file) {}
    ~PakFileCloser() { Close(); }
    PakFileCloser(const PakFileCloser&) = delete;
    PakFileCloser& operator=(const PakFileCloser&) = delete;
    void Close()
    {
        if (mFile != nullptr)
            PakFClose(mFile);
        mFile = nullptr;
    }

private:
    PakFile* mFile;
};

inline bool ReadBytes(PakFile* file, void* dest, size_t count)
{
    return PakFRead(dest, 1, count, file) == count;
}

inline bool ReadLE16(PakFile* file, uint32_t& value)
{
    uint8_t b[2];
    if (!ReadBytes(file, b, 2))
        return false;
    value = uint32_t(b[0]) | (uint32_t(b[1]) << 8);
    return true;
}

inline bool ReadLE32(PakFile* file, uint32_t& value)
{
    uint8_t b[4];
    if (!ReadBytes(file, b, 4))
        return false;
    value = uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
    return true;
}

inline bool ReadBE32(PakFile* file, uint32_t& value)
{
    uint8_t b[4];
    if (!ReadBytes(file, b, 4))
        return false;
    value = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | uint32_t(b[3]);
    return true;
}

// The file's length in bytes (the read position is kept); -1 when it cannot be found.
inline long FileLength(PakFile* file)
{
    long pos = PakFTell(file);
    if (pos < 0 || PakFSeek(file, 0, SEEK_END) != 0)
        return -1;
    long end = PakFTell(file);
    if (PakFSeek(file, pos, SEEK_SET) != 0)
        return -1;
    return end;
}

// The whole file read through the archive-aware functions; false when it cannot be opened or
// read to its end.
inline bool ReadWholePakFile(const std::string& fileName, std::vector<uint8_t>& bytes)
{
    PakFile* file = PakFOpen(fileName.c_str(), "rb");
    if (file == nullptr)
        return false;
    PakFileCloser closer(file);
    long length = FileLength(file);
    if (length < 0)
        return false;
    bytes.resize(size_t(length));
    return length == 0 || ReadBytes(file, bytes.data(), bytes.size());
}

} // namespace Quor
