// DecodeMp3 (mpg123), DecodeOgg (libvorbisfile), DecodeAu (our own): compressed sounds into buffers.
#include "sound/SoundDecoders.h"

#include "sound/DSoundManager.h"
#include "sound/SoundFileRead.h"

#include <mpg123.h>
#include <vorbis/vorbisfile.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace Quor {

namespace {

// The largest sound a decoder makes (bytes of PCM).
constexpr uint64_t kMaxSoundBytes = 0x0FFFFFFF;

bool RatePlayable(long rate)
{
    return rate >= 100 && rate <= 100000;
}

// ---- libvorbisfile's callbacks over the archive-aware file functions

size_t OggRead(void* ptr, size_t size, size_t count, void* source)
{
    return PakFRead(ptr, size, count, static_cast<PakFile*>(source));
}

int OggSeek(void* source, ogg_int64_t offset, int origin)
{
    if (source == nullptr)
        return -1;
    if (offset < -0x7FFFFFFFLL || offset > 0x7FFFFFFFLL)
        return -1;
    return PakFSeek(static_cast<PakFile*>(source), long(offset), origin);
}

int OggClose(void* source)
{
    return PakFClose(static_cast<PakFile*>(source));
}

long OggTell(void* source)
{
    return PakFTell(static_cast<PakFile*>(source));
}

// ---- mpg123's reader callbacks

ssize_t Mp3Read(void* source, void* buffer, size_t bytes)
{
    return ssize_t(PakFRead(buffer, 1, bytes, static_cast<PakFile*>(source)));
}

off_t Mp3Seek(void* source, off_t offset, int origin)
{
    auto* file = static_cast<PakFile*>(source);
    if (offset < -0x7FFFFFFFLL || offset > 0x7FFFFFFFLL || PakFSeek(file, long(offset), origin) != 0)
        return -1;
    return PakFTell(file);
}

struct Mpg123Deleter {
    void operator()(mpg123_handle* handle) const
    {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
};

} // namespace

bool DecodeMp3(DSoundManager& manager, int id, const std::string& fileName)
{
    if (!manager.UseFmod())
        return false;
    PakFile* file = PakFOpen(fileName.c_str(), "rb");
    if (file == nullptr)
        return false;
    PakFileCloser closer(file);

    static std::once_flag initOnce;
    std::call_once(initOnce, [] { mpg123_init(); });
    std::unique_ptr<mpg123_handle, Mpg123Deleter> handle(mpg123_new(nullptr, nullptr));
    if (!handle)
        return false;
    mpg123_handle* mh = handle.get();
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    // Always 16-bit samples, at the stream's own rate and channels.
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_replace_reader_handle(mh, Mp3Read, Mp3Seek, nullptr) != MPG123_OK ||
        mpg123_open_handle(mh, file) != MPG123_OK)
        return false;

    std::vector<uint8_t> pcm;
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    uint8_t chunk[16384];
    for (;;) {
        size_t done = 0;
        int result = mpg123_read(mh, chunk, sizeof chunk, &done);
        if (result == MPG123_NEW_FORMAT) {
            long newRate = 0;
            int newChannels = 0;
            mpg123_getformat(mh, &newRate, &newChannels, &encoding);
            // One format for the whole sound.
            if (!pcm.empty() && (newRate != rate || newChannels != channels))
                return false;
            rate = newRate;
            channels = newChannels;
        }
        if (pcm.size() + done > kMaxSoundBytes)
            return false;
        pcm.insert(pcm.end(), chunk, chunk + done);
        if (result == MPG123_DONE)
            break;
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
            return false;
    }
    if (pcm.empty() || (channels != 1 && channels != 2) || !RatePlayable(rate))
        return false;
    uint32_t bytes = uint32_t(pcm.size() / (2 * channels) * (2 * channels));
    return manager.FillSoundId(id, uint32_t(channels), uint32_t(rate), 16, bytes, [&](uint8_t* data, uint32_t n) {
        std::memcpy(data, pcm.data(), n);
        return true;
    });
}

bool DecodeOgg(DSoundManager& manager, int id, const std::string& fileName)
{
    PakFile* file = PakFOpen(fileName.c_str(), "rb");
    if (file == nullptr)
        return false;
    OggVorbis_File vorbis;
    ov_callbacks callbacks = {OggRead, OggSeek, OggClose, OggTell};
    if (ov_open_callbacks(file, &vorbis, nullptr, 0, callbacks) < 0) {
        PakFClose(file);
        return false;
    }
    // From here ov_clear closes the file.
    vorbis_info* info = ov_info(&vorbis, -1);
    ogg_int64_t total = ov_pcm_total(&vorbis, -1);
    if (info == nullptr || total <= 0 || (info->channels != 1 && info->channels != 2) ||
        !RatePlayable(info->rate) || uint64_t(total) * uint64_t(info->channels * 2) > kMaxSoundBytes) {
        ov_clear(&vorbis);
        return false;
    }
    uint32_t bytes = uint32_t(total) * uint32_t(info->channels * 2);
    bool loaded = manager.FillSoundId(id, uint32_t(info->channels), uint32_t(info->rate), 16, bytes,
                                      [&](uint8_t* data, uint32_t n) {
        char* position = reinterpret_cast<char*>(data);
        uint32_t remaining = n;
        int bitstream = 0;
        while (remaining > 0) {
            int want = remaining > 0x10000 ? 0x10000 : int(remaining);
            long read = ov_read(&vorbis, position, want, 0, 2, 1, &bitstream);
            if (read < 1)
                break;
            remaining -= uint32_t(read);
            position += read;
        }
        return remaining == 0;
    });
    ov_clear(&vorbis);
    return loaded;
}

int16_t MuLawSample(uint8_t byte)
{
    int x = byte | 0x80;
    int m;
    if (x >= 240)
        m = (255 - x) * 2;
    else if (x >= 224)
        m = (247 - x) * 4;
    else if (x >= 208)
        m = (235 - x) * 8;
    else if (x >= 192)
        m = (221 - x) * 16;
    else if (x >= 176)
        m = (206 - x) * 32;
    else if (x >= 160)
        m = 12192 - 64 * x;
    else if (x >= 144)
        m = 22368 - 128 * x;
    else
        m = 40672 - 256 * x; // 128-143: 0x00 and 0x80 continue the run of their segment
    int sample = m * 4;
    return int16_t(byte < 128 ? -sample : sample);
}

bool DecodeAu(DSoundManager& manager, int id, const std::string& fileName)
{
    PakFile* file = PakFOpen(fileName.c_str(), "rb");
    if (file == nullptr)
        return false;
    PakFileCloser closer(file);

    char magic[4];
    if (!ReadBytes(file, magic, 4) || std::memcmp(magic, ".snd", 4) != 0)
        return false;
    uint32_t offset, size, encoding, rate, channels;
    if (!ReadBE32(file, offset) || !ReadBE32(file, size) || !ReadBE32(file, encoding) ||
        !ReadBE32(file, rate) || !ReadBE32(file, channels))
        return false;
    if (encoding != 1 && encoding != 2)
        return false;
    if ((channels != 1 && channels != 2) || !RatePlayable(long(rate)))
        return false;
    // The samples lie inside the file; a size of all ones means "up to the end".
    long length = FileLength(file);
    if (length < 0 || offset > uint64_t(length))
        return false;
    if (size == 0xFFFFFFFF)
        size = uint32_t(length - long(offset));
    if (uint64_t(offset) + size > uint64_t(length))
        return false;
    if (PakFSeek(file, long(offset), SEEK_SET) != 0)
        return false;
    uint32_t bits = encoding == 1 ? 16 : 8;
    uint64_t bytes = uint64_t(bits) * size / 8;
    if (bytes > kMaxSoundBytes)
        return false;

    std::vector<uint8_t> raw(size);
    bool read = size == 0 || ReadBytes(file, raw.data(), size);
    closer.Close();
    if (!read)
        return false;
    return manager.FillSoundId(id, channels, rate, bits, uint32_t(bytes), [&](uint8_t* data, uint32_t) {
        if (encoding == 2) {
            std::memcpy(data, raw.data(), raw.size());
        } else {
            for (size_t i = 0; i < raw.size(); ++i) {
                auto sample = uint16_t(MuLawSample(raw[i]));
                data[2 * i] = uint8_t(sample & 0xFF);
                data[2 * i + 1] = uint8_t(sample >> 8);
            }
        }
        return true;
    });
}

} // namespace Quor
