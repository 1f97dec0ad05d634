// Synthesised sound: the effects from their recipes as 16-bit mono WAV files, and the shared
// pieces (a seeded noise source, notes, the WAV writer) the music maker uses too.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/mkcontent/Content.h"

namespace mkcontent {

constexpr int kSampleRate = 22050;

// A small deterministic generator for noise and choices.
class Noise {
public:
    explicit Noise(uint32_t seed) : mState(seed ? seed : 0x9E3779B9u) {}
    uint32_t Next() {
        mState ^= mState << 13;
        mState ^= mState >> 17;
        mState ^= mState << 5;
        return mState;
    }
    double Unit() { return (Next() >> 8) / 16777216.0; }        // 0 .. 1
    double Signed() { return Unit() * 2.0 - 1.0; }             // -1 .. 1

private:
    uint32_t mState;
};

double NoteHz(double midi);

// Samples scaled so that the loudest is at 'peak' of full scale.
void Normalise(std::vector<float>& samples, double peak);

// A RIFF/WAVE file of PCM samples (-1..1), mono, 16 bits, kSampleRate.
std::vector<uint8_t> EncodeWav(const std::vector<float>& samples);

std::vector<float> SynthesiseSound(const SoundSpec& sound);

} // namespace mkcontent
