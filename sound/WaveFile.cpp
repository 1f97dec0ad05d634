// ReadWaveFile, WriteCachedWave: RIFF "WAVE" files with "fmt ", "dep ", "xor " and "data" chunks.
#include "sound/WaveFile.h"

#include "platform/Audio.h"
#include "platform/Files.h"
#include "sound/DSoundManager.h"
#include "sound/SoundFileRead.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Quor {

uint64_t GetSourceFileTime(const std::string& fileName)
{
    int64_t time = 0;
    if (!plat::GetFileWriteTime(fileName, &time))
        return 0;
    return uint64_t(time);
}

bool ReadWaveFile(DSoundManager& manager, int id, const std::string& fileName)
{
    PakFile* file = PakFOpen(fileName.c_str(), "rb");
    if (file == nullptr)
        return false;
    PakFileCloser closer(file);

    char tag[4];
    uint32_t size = 0;
    if (!ReadBytes(file, tag, 4) || std::memcmp(tag, "RIFF", 4) != 0 || !ReadLE32(file, size) ||
        !ReadBytes(file, tag, 4) || std::memcmp(tag, "WAVE", 4) != 0)
        return false;

    uint32_t channels = 1;
    uint32_t samplesPerSec = 22050;
    uint32_t bits = 16;
    uint8_t key = 0;
    if (PakFEof(file))
        return false;
    for (;;) {
        if (!ReadBytes(file, tag, 4) || !ReadLE32(file, size))
            return false;
        long chunkStart = PakFTell(file);
        if (std::memcmp(tag, "fmt ", 4) == 0) {
            uint32_t formatTag, bytesPerSec, blockAlign;
            if (!ReadLE16(file, formatTag) || !ReadLE16(file, channels) || !ReadLE32(file, samplesPerSec) ||
                !ReadLE32(file, bytesPerSec) || !ReadLE16(file, blockAlign) || !ReadLE16(file, bits))
                return false;
            if (formatTag != 1)
                return false;
        } else if (std::memcmp(tag, "dep ", 4) == 0) {
            uint32_t length = 0;
            if (!ReadLE16(file, length))
                return false;
            if (length > 255)
                length = 255;
            std::string source(length, '\0');
            uint32_t low = 0;
            uint32_t high = 0;
            if (!ReadBytes(file, source.data(), length) || !ReadLE32(file, low) || !ReadLE32(file, high))
                return false;
            uint64_t now = GetSourceFileTime(source);
            if (uint32_t(now) != low || uint32_t(now >> 32) != high)
                return false; // the source has changed since the cache file was written
        } else if (std::memcmp(tag, "xor ", 4) == 0) {
            if (!ReadBytes(file, &key, 1))
                return false;
        } else if (std::memcmp(tag, "data", 4) == 0) {
            break;
        }
        if (chunkStart < 0 || uint64_t(chunkStart) + size > 0x7FFFFFFF)
            return false;
        if (PakFSeek(file, long(chunkStart + size), SEEK_SET) != 0 || PakFEof(file))
            return false;
    }

    // Only what the mixer plays, and never more samples than the file holds.
    if ((channels != 1 && channels != 2) || (bits != 8 && bits != 16))
        return false;
    long position = PakFTell(file);
    long length = FileLength(file);
    if (position < 0 || length < position || uint64_t(length - position) < size)
        return false;
    return manager.FillSoundId(id, channels, samplesPerSec, bits, size, [&](uint8_t* data, uint32_t bytes) {
        if (!ReadBytes(file, data, bytes))
            return false;
        if (key != 0) {
            for (uint32_t i = 0; i < bytes; ++i)
                data[i] ^= key;
        }
        return true;
    });
}

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

} // namespace

bool WriteCachedWave(DSoundManager& manager, const std::string& cachePath, int id,
                     const std::string& sourceFileName)
{
    if (cachePath.empty() || id < 0 || id >= DSoundManager::MAX_SOURCE_SOUNDS)
        return false;
    plat::SoundBuffer* buffer = manager.AcquireSoundBuffer(id);
    if (buffer == nullptr)
        return false;
    uint32_t size = manager.GetBufferSize(id);
    void* data = nullptr;
    uint32_t locked = 0;
    plat::WaveFormat format;
    if (plat::Failed(buffer->GetFormat(&format)) ||
        plat::Failed(buffer->Lock(0, size, &data, &locked, nullptr, nullptr, plat::kLockReadOnly))) {
        buffer->Release();
        return false;
    }

    uint32_t n = uint32_t(std::min<size_t>(sourceFileName.size(), 0xFFFF));
    uint32_t blockAlign = uint32_t(format.channels) * format.bitsPerSample / 8;
    std::vector<uint8_t> out;
    out.reserve(71 + n + locked);
    PutTag(out, "RIFF");
    Put32(out, 63 + n + locked);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, format.channels);
    Put32(out, format.samplesPerSec);
    Put32(out, blockAlign * format.samplesPerSec);
    Put16(out, blockAlign);
    Put16(out, format.bitsPerSample);
    PutTag(out, "dep ");
    Put32(out, n + 10);
    Put16(out, n);
    out.insert(out.end(), sourceFileName.begin(), sourceFileName.begin() + n);
    uint64_t time = GetSourceFileTime(sourceFileName);
    Put32(out, uint32_t(time));
    Put32(out, uint32_t(time >> 32));
    PutTag(out, "xor ");
    Put32(out, 1);
    out.push_back(SOUND_CACHE_XOR_KEY);
    PutTag(out, "data");
    Put32(out, locked);
    // The scrambled samples are a copy: the buffer that may be playing is never written.
    const uint8_t* samples = static_cast<const uint8_t*>(data);
    for (uint32_t i = 0; i < locked; ++i)
        out.push_back(samples[i] ^ SOUND_CACHE_XOR_KEY);
    bool unlocked = plat::Succeeded(buffer->Unlock(data, locked, nullptr, 0));
    buffer->Release();
    if (!unlocked)
        return false;
    return plat::WriteWholeFile(cachePath, out.data(), out.size());
}

} // namespace Quor
