// The sound-effect recipes.
#include "tools/mkcontent/Sounds.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tools/mkcontent/Table.h"

namespace mkcontent {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// Little-endian fields written at a position of a buffer already sized for them.
void Put16(uint8_t* at, uint16_t v) {
    at[0] = static_cast<uint8_t>(v);
    at[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* at, uint32_t v) {
    Put16(at, static_cast<uint16_t>(v));
    Put16(at + 2, static_cast<uint16_t>(v >> 16));
}

// A short rise and a fall so that no sound starts or ends with a click.
double Edges(size_t i, size_t n, double riseSeconds, double fallSeconds) {
    double t = static_cast<double>(i) / kSampleRate;
    double left = static_cast<double>(n - i) / kSampleRate;
    return std::min({1.0, t / riseSeconds, left / fallSeconds});
}

// A tone with a little of its octave, so that it reads as a note rather than a test signal.
double Tone(double phase) {
    return std::sin(phase) + 0.3 * std::sin(2 * phase) + 0.1 * std::sin(3 * phase);
}

class LowPass {
public:
    explicit LowPass(double cornerHz) { SetCorner(cornerHz); }
    void SetCorner(double cornerHz) { mAlpha = 1.0 - std::exp(-kTwoPi * cornerHz / kSampleRate); }
    double operator()(double x) { return mY += mAlpha * (x - mY); }

private:
    double mAlpha = 1;
    double mY = 0;
};

void Notes(std::vector<float>& out, const SoundSpec& s, bool together) {
    const size_t n = out.size();
    const size_t count = s.notes.size();
    for (size_t k = 0; k < count; ++k) {
        const double hz = s.pitch * std::pow(2.0, s.notes[k] / 12.0);
        const size_t start = together ? 0 : n * k / count;
        const size_t end = n;
        const double decay = together ? n / 2.5 / kSampleRate : 0.12 + 0.1 * (k + 1 == count);
        for (size_t i = start; i < end; ++i) {
            double t = static_cast<double>(i - start) / kSampleRate;
            double env = std::exp(-t / decay) * std::min(1.0, t / 0.005);
            out[i] += static_cast<float>(Tone(kTwoPi * hz * t) * env / (together ? count : 1));
        }
    }
}

} // namespace

double NoteHz(double midi) {
    return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

void Normalise(std::vector<float>& samples, double peak) {
    float most = 0;
    for (float v : samples) most = std::max(most, std::fabs(v));
    if (most <= 0) return;
    const float scale = static_cast<float>(peak / most);
    for (float& v : samples) v *= scale;
}

std::vector<uint8_t> EncodeWav(const std::vector<float>& samples) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out(44 + dataBytes);
    uint8_t* p = out.data();
    std::memcpy(p, "RIFF", 4);
    Put32(p + 4, 36 + dataBytes);
    std::memcpy(p + 8, "WAVEfmt ", 8);
    Put32(p + 16, 16);
    Put16(p + 20, 1);                 // PCM
    Put16(p + 22, 1);                 // mono
    Put32(p + 24, kSampleRate);
    Put32(p + 28, kSampleRate * 2);   // bytes a second
    Put16(p + 32, 2);                 // bytes a frame
    Put16(p + 34, 16);                // bits a sample
    std::memcpy(p + 36, "data", 4);
    Put32(p + 40, dataBytes);
    for (size_t i = 0; i < samples.size(); ++i) {
        long s = std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f);
        Put16(p + 44 + 2 * i, static_cast<uint16_t>(static_cast<int16_t>(s)));
    }
    return out;
}

std::vector<float> SynthesiseSound(const SoundSpec& s) {
    const size_t n = static_cast<size_t>(s.ms) * kSampleRate / 1000;
    std::vector<float> out(n, 0.0f);
    Noise noise(s.seed);
    const double f = s.pitch;
    const double length = static_cast<double>(n) / kSampleRate;

    if (s.recipe == "blip") {
        for (size_t i = 0; i < n; ++i) {
            double t = static_cast<double>(i) / kSampleRate;
            out[i] = static_cast<float>(std::sin(kTwoPi * f * t) * std::exp(-t / (length / 4)));
        }
    } else if (s.recipe == "tick") {
        LowPass lp(f);
        for (size_t i = 0; i < n; ++i) {
            double t = static_cast<double>(i) / kSampleRate;
            double x = noise.Signed();
            out[i] = static_cast<float>((x - lp(x)) * std::exp(-t / 0.006) + 0.3 * std::sin(kTwoPi * f * t) * std::exp(-t / 0.01));
        }
    } else if (s.recipe == "arpeggio") {
        Notes(out, s, false);
    } else if (s.recipe == "chord") {
        Notes(out, s, true);
    } else if (s.recipe == "noise") {
        LowPass lp(f);
        for (size_t i = 0; i < n; ++i) {
            double t = static_cast<double>(i) / kSampleRate;
            double crackle = noise.Unit() < 0.002 ? 4.0 : 1.0;
            out[i] = static_cast<float>(lp(noise.Signed() * crackle) * std::exp(-t / (length / 3)));
        }
    } else if (s.recipe == "buzz") {
        for (size_t i = 0; i < n; ++i) {
            double t = static_cast<double>(i) / kSampleRate;
            double phase = f * t + 0.02 * std::sin(kTwoPi * 6 * t);
            out[i] = static_cast<float>((std::fmod(phase, 1.0) < 0.5 ? 0.6 : -0.6) + 0.2 * std::sin(kTwoPi * 2 * phase));
        }
    } else if (s.recipe == "vehicle") {
        LowPass lp(400), engine(f * 4);
        for (size_t i = 0; i < n; ++i) {
            double t = static_cast<double>(i) / kSampleRate;
            double saw = 2.0 * std::fmod(f * t, 1.0) - 1.0;
            double chug = 0.6 + 0.4 * std::sin(kTwoPi * 3 * t);
            out[i] = static_cast<float>((0.7 * lp(noise.Signed()) * 3 + 0.5 * engine(saw)) * chug);
        }
    } else if (s.recipe == "rattle") {
        // Clicks f times a second, each a short burst of noise.
        const size_t period = std::max<size_t>(1, static_cast<size_t>(kSampleRate / f));
        for (size_t i = 0; i < n; ++i) {
            double since = static_cast<double>(i % period) / kSampleRate;
            out[i] = static_cast<float>(noise.Signed() * std::exp(-since / 0.004));
        }
    } else if (s.recipe == "bird") {
        // Chirps rising from the pitch by half an octave, with gaps between them.
        const double chirp = 0.09, gap = 0.06;
        double phase = 0;
        for (size_t i = 0; i < n; ++i) {
            double t = static_cast<double>(i) / kSampleRate;
            double within = std::fmod(t, chirp + gap);
            if (within >= chirp) continue;
            double hz = f * (1.0 + 0.5 * within / chirp);
            phase += kTwoPi * hz / kSampleRate;
            out[i] = static_cast<float>(std::sin(phase) * std::sin(3.14159265 * within / chirp));
        }
    } else if (s.recipe == "cow") {
        LowPass lp(f * 6);
        double phase = 0;
        for (size_t i = 0; i < n; ++i) {
            double t = static_cast<double>(i) / kSampleRate;
            double hz = f * (1.0 - 0.15 * t / length) * (1.0 + 0.01 * std::sin(kTwoPi * 5 * t));
            phase += hz / kSampleRate;
            double saw = 2.0 * std::fmod(phase, 1.0) - 1.0;
            out[i] = static_cast<float>(lp(saw) * std::sin(3.14159265 * t / length));
        }
    } else if (s.recipe == "water") {
        LowPass lp(f);
        double bubble = 1e9, bubbleHz = 0, phase = 0;
        for (size_t i = 0; i < n; ++i) {
            if (noise.Unit() < 8.0 / kSampleRate) {
                bubble = 0;
                bubbleHz = f * (1 + noise.Unit());
            }
            bubble += 1.0 / kSampleRate;
            phase += kTwoPi * bubbleHz * (1 + 4 * bubble) / kSampleRate;
            double b = bubble < 0.05 ? std::sin(phase) * std::exp(-bubble / 0.015) : 0;
            out[i] = static_cast<float>(0.5 * lp(noise.Signed()) * 3 + 0.6 * b);
        }
    } else if (s.recipe == "wind") {
        LowPass lp(f);
        for (size_t i = 0; i < n; ++i) {
            double t = static_cast<double>(i) / kSampleRate;
            lp.SetCorner(f * (0.6 + 0.4 * std::sin(kTwoPi * 0.8 * t)));
            out[i] = static_cast<float>(lp(noise.Signed()) * std::sin(3.14159265 * t / length));
        }
    } else {
        throw ContentError(s.id + ": unknown recipe " + s.recipe);
    }
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<float>(out[i] * Edges(i, n, 0.002, 0.01));
    Normalise(out, 0.7);
    return out;
}

} // namespace mkcontent
