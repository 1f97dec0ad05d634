// Reads arbitrary bytes as a WAV, an AU and an Ogg Vorbis sound; what loads must be consistent.
#include "fuzz/FuzzScratch.h"
#include "sound/SoundStore.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace {

const std::string& ScratchFile()
{
    static quorfuzz::Scratch scratch("quor_fuzz_sound_", "");
    return scratch.path;
}

void Check(bool loaded, const Quor::SoundData& sound, size_t size, bool bounded)
{
    if (!loaded)
        return;
    if (sound.GetBlockAlign() <= 0)
        std::abort();
    // WAV and AU samples come from the file itself; decoded samples need not.
    if (bounded && sound.mPCM.size() > 2 * size)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    quorfuzz::WriteBytes(ScratchFile(), data, size);

    Quor::SoundData sound;
    Check(Quor::SoundStore::ReadWaveFile(ScratchFile(), sound), sound, size, true);
    Quor::SoundData au;
    Check(Quor::SoundStore::DecodeAu(ScratchFile(), au), au, size, true);
    Quor::SoundData ogg;
    Check(Quor::SoundStore::DecodeOgg(ScratchFile(), ogg), ogg, size, false);
    return 0;
}
