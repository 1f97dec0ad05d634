// Placeholder music: a short tune made from a table row (tempo, key, mode and a seed that picks
// the melody), encoded as an Ogg Vorbis stream with a fixed serial number.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/mkcontent/Content.h"

namespace mkcontent {

std::vector<float> ComposeMusic(const MusicSpec& music);
// Mono kSampleRate samples as Ogg Vorbis at quality 0; the same samples and serial number give
// the same bytes.
std::vector<uint8_t> EncodeVorbis(const std::vector<float>& samples, int serial, const std::string& title);

} // namespace mkcontent
