// Particle effect files: the 128-byte little-endian header and the tagged records after it.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/mkcontent/Content.h"

namespace mkcontent {

std::vector<uint8_t> EncodeParticleFile(const ParticleSpec& particle);

} // namespace mkcontent
