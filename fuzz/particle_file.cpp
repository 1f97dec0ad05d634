// Reads arbitrary bytes as a particle effect file, runs the system at a point and along its
// path for 200 steps, and draws it on a 1024 x 768 memory image in both blend modes.
#include "fuzz/FuzzScratch.h"
#include "game/shell/ParticleSystem.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string& ScratchFile()
{
    static quorfuzz::Scratch scratch("quor_fuzz_psi_", ".psi");
    return scratch.path;
}

Quor::MemoryImage& Screen()
{
    static Quor::MemoryImage* screen = [] {
        auto* image = new Quor::MemoryImage(nullptr);
        image->Create(1024, 768);
        return image;
    }();
    return *screen;
}

// An 8 x 8 sprite for files whose image record names nothing loadable.
Quor::Image* Sprite()
{
    auto* image = new Quor::MemoryImage(nullptr);
    std::vector<uint32_t> px(64);
    for (size_t i = 0; i < px.size(); ++i)
        px[i] = (i % 3 == 0 ? 0x80000000u : 0xFF000000u) | static_cast<uint32_t>(i * 0x030507);
    image->SetBits(px.data(), 8, 8, true);
    return image;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quorfuzz::WriteBytes(ScratchFile(), data, size);
    Quor::ParticleSystem::SetRandomState(size);

    // The header's first four bytes are not read by the system: the first one picks the rate
    // of simulations.
    const int rate = size > 0 && (data[0] & 1) ? 100 : 0;
    Quor::ParticleSystem ps(ScratchFile(), rate);
    ps.StartAt(512.0f, 384.0f);
    for (int i = 0; i < 100; ++i) {
        ps.MoveTo(512.0f + static_cast<float>(i), 384.0f);
        ps.Step(0.01f);
    }
    ps.StartPath();
    for (int i = 0; i < 100; ++i)
        ps.Step(0.01f);

    if (!ps.mImage)
        ps.mImage.reset(Sprite());
    // Particles may cover the whole screen: a clip keeps each run short, while the draws still
    // meet its edges.
    Quor::Graphics g(&Screen());
    g.ClipRect(480, 360, 64, 48);
    for (bool additive : {false, true}) {
        ps.mAdditive = additive;
        ps.Draw(&g);
    }
    return 0;
}
