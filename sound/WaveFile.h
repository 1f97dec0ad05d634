// WAV files and the sound cache: one reader for plain WAV files and cache files (a WAV that
// names the file it was decoded from, with that file's time, and scrambles its samples with a
// one-byte key), and the writer of cache files.
#pragma once

#include <cstdint>
#include <string>

namespace Quor {

class DSoundManager;

// The key byte the cache writer scrambles samples with.
constexpr uint8_t SOUND_CACHE_XOR_KEY = 0x5A;

// Fills the id's buffer from a WAV or cache file read through the archive-aware functions.
// False (the id left as it was) for a missing, damaged or unplayable file, and for a cache file
// whose source has changed.
bool ReadWaveFile(DSoundManager& manager, int id, const std::string& fileName);

// Writes the id's sound as a cache file naming its source file (on disk only: a temporary file
// renamed into place). False when there is nothing to write or the write failed.
bool WriteCachedWave(DSoundManager& manager, const std::string& cachePath, int id,
                     const std::string& sourceFileName);

// The last-write time of a file on disk in 100-ns units since 1601-01-01; 0 when it cannot be
// opened (a file inside the archive is not on disk).
uint64_t GetSourceFileTime(const std::string& fileName);

} // namespace Quor
