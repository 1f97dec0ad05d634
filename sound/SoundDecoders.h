// The decoders of sounds that are not WAV files: MP3 (only for a manager with the use-FMOD
// flag), Ogg Vorbis and Sun/NeXT AU. Each reads its file through the archive-aware functions
// and fills the id's buffer with 16-bit (8-bit for linear AU) PCM; false, with the id left as it
// was, for a missing, damaged or unplayable file.
#pragma once

#include <cstdint>
#include <string>

namespace Quor {

class DSoundManager;

bool DecodeMp3(DSoundManager& manager, int id, const std::string& fileName);
bool DecodeOgg(DSoundManager& manager, int id, const std::string& fileName);
bool DecodeAu(DSoundManager& manager, int id, const std::string& fileName);

// One 8-bit mu-law byte as a 16-bit sample.
int16_t MuLawSample(uint8_t byte);

} // namespace Quor
