// Writing particle effect files.
#include "tools/mkcontent/Particles.h"

#include <cstring>

#include "tools/mkcontent/Table.h"

namespace mkcontent {

namespace {

enum Tag : uint8_t { kAdditive = 0, kPosition = 1, kImage = 2, kClip = 3, kPath = 4, kPathTime = 5 };
constexpr size_t kHeaderSize = 128;

void PutI32(std::vector<uint8_t>& out, int32_t v) {
    auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

void PutF32(std::vector<uint8_t>& out, float v) {
    uint32_t bits = 0;
    std::memcpy(&bits, &v, 4);
    PutI32(out, static_cast<int32_t>(bits));
}

} // namespace

std::vector<uint8_t> EncodeParticleFile(const ParticleSpec& p) {
    if (p.before.size() != 5 || p.after.size() != 24) throw ContentError(p.file + ": the header needs 5 + 24 values");
    std::vector<uint8_t> out;
    PutI32(out, 0);  // room the program uses for the image once loaded
    PutI32(out, p.rate);
    for (float v : p.before) PutF32(out, v);
    out.push_back(p.relative ? 1 : 0);
    out.insert(out.end(), 3, 0);
    for (float v : p.after) PutF32(out, v);
    if (out.size() != kHeaderSize) throw ContentError(p.file + ": header of the wrong size");

    out.push_back(kAdditive);
    out.push_back(p.additive ? 1 : 0);
    if (p.hasPosition) {
        out.push_back(kPosition);
        PutF32(out, p.x);
        PutF32(out, p.y);
    }
    if (!p.image.empty()) {
        out.push_back(kImage);
        PutI32(out, static_cast<int32_t>(p.image.size()));
        out.insert(out.end(), p.image.begin(), p.image.end());
    }
    if (!p.path.empty()) {
        out.push_back(kPath);
        PutI32(out, static_cast<int32_t>(p.path.size()));
        for (auto [x, y] : p.path) {
            PutI32(out, x);
            PutI32(out, y);
        }
    }
    if (p.hasPathTime) {
        out.push_back(kPathTime);
        PutF32(out, p.pathTime);
        PutI32(out, p.pathMode);
    }
    return out;
}

} // namespace mkcontent
