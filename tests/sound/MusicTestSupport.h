// What the music player tests share: an engine that records what a player asks of it (every
// file loads, and its samples are small arrays in memory whose format is written in the loaded
// bytes), and songs rendered for real through the memory audio device.
#pragma once

#include "platform/Music.h"
#include "tests/support/SoundFixtures.h"

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace quortest {

// Records what the player asks of the engine; every file loads.
class RecordingEngine : public plat::MusicLibrary {
public:
    bool newer = true;
    uint32_t next = 0;
    std::vector<std::string> calls;
    std::map<uint32_t, int> volume;
    std::map<uint32_t, int> state;
    std::map<int, int> config;
    int globalVolumes = -1;
    std::map<uint32_t, bool> modules;

    void Log(const std::string& s) { calls.push_back(s); }
    bool IsNewerGeneration() const override { return newer; }
    uint32_t CreateStream(std::vector<uint8_t>, uint32_t) override
    {
        modules[++next] = false;
        return next;
    }
    uint32_t LoadModule(std::vector<uint8_t>, uint32_t flags) override
    {
        modules[++next] = true;
        Log("module flags " + std::to_string(flags));
        return next;
    }
    bool FreeStream(uint32_t h) override { Log("free stream " + std::to_string(h)); return true; }
    bool FreeModule(uint32_t h) override { Log("free module " + std::to_string(h)); return true; }
    bool ChannelPlay(uint32_t h, bool restart) override
    {
        Log("play " + std::to_string(h) + (restart ? " restart" : ""));
        state[h] = plat::kMusicPlaying;
        return true;
    }
    bool ChannelStop(uint32_t h) override
    {
        Log("stop " + std::to_string(h));
        state[h] = plat::kMusicStopped;
        return true;
    }
    bool ChannelPause(uint32_t h) override
    {
        Log("pause " + std::to_string(h));
        state[h] = plat::kMusicPaused;
        return true;
    }
    int ChannelIsActive(uint32_t h) override { return state[h]; }
    bool ChannelSetFlags(uint32_t h, uint32_t f) override
    {
        Log("flags " + std::to_string(h) + " " + std::to_string(f));
        return true;
    }
    bool ChannelSetPosition(uint32_t h, uint64_t p) override
    {
        char text[64];
        std::snprintf(text, sizeof text, "position %u %llx", unsigned(h), (unsigned long long)p);
        Log(text);
        return true;
    }
    uint64_t ChannelGetPosition(uint32_t) override { return 0; }
    bool ChannelSetAttributes(uint32_t h, int, int v, int) override
    {
        volume[h] = v;
        return true;
    }
    bool MusicSetAttribute(uint32_t h, int a, int v) override
    {
        Log("amplify " + std::to_string(h) + " " + std::to_string(a) + " " + std::to_string(v));
        return true;
    }
    void SetConfig(int option, int value) override { config[option] = value; }
    int GetConfig(int option) override { return config[option]; }
    void SetGlobalVolumes(int m, int, int) override { globalVolumes = m; }

    // A sample file's bytes are the text "rate channels frames"; its frames are numbered 1, 2, ...
    struct Sample {
        plat::MusicSampleFormat format;
        std::vector<int16_t> pcm;
    };
    std::map<uint32_t, Sample> samples; // the live ones
    uint32_t CreateSample(uint32_t rate, uint32_t channels, uint64_t frames) override
    {
        Sample& s = samples[++next];
        s.format = {rate, channels, frames};
        s.pcm.assign(size_t(frames * channels), 0);
        return next;
    }
    uint32_t LoadSample(std::vector<uint8_t> bytes) override
    {
        unsigned rate = 0, channels = 0, frames = 0;
        std::string text(bytes.begin(), bytes.end());
        if (std::sscanf(text.c_str(), "%u %u %u", &rate, &channels, &frames) != 3)
            return 0;
        uint32_t h = CreateSample(rate, channels, frames);
        for (size_t i = 0; i < samples[h].pcm.size(); ++i)
            samples[h].pcm[i] = int16_t(i / channels + 1);
        return h;
    }
    bool FreeSample(uint32_t h) override { return samples.erase(h) == 1; }
    bool GetSampleFormat(uint32_t h, plat::MusicSampleFormat* f) override
    {
        auto it = samples.find(h);
        if (it == samples.end())
            return false;
        *f = it->second.format;
        return true;
    }
    bool ReadSample(uint32_t h, uint64_t frame, uint64_t frames, int16_t* out) override
    {
        Sample& s = samples.at(h);
        std::copy_n(s.pcm.begin() + ptrdiff_t(frame * s.format.channels), size_t(frames * s.format.channels), out);
        return true;
    }
    bool WriteSample(uint32_t h, uint64_t frame, uint64_t frames, const int16_t* in) override
    {
        Sample& s = samples.at(h);
        std::copy_n(in, size_t(frames * s.format.channels), s.pcm.begin() + ptrdiff_t(frame * s.format.channels));
        return true;
    }
    bool SetSampleLoopPoints(uint32_t h, uint64_t start, uint64_t end) override
    {
        Log("loop " + std::to_string(h) + " " + std::to_string(start) + " " + std::to_string(end));
        return true;
    }
    uint32_t CreateSampleChannel(uint32_t h, uint32_t) override
    {
        Log("channel of " + std::to_string(h));
        modules[++next] = false;
        return next;
    }
};

inline double Rms(const std::vector<int16_t>& s, size_t from, size_t to)
{
    double sum = 0;
    for (size_t i = from; i < to; ++i)
        sum += double(s[i]) * s[i];
    return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
}

// Renders in pieces of 1024 frames, letting the decoder keep up.
inline std::vector<int16_t> RenderSong(MemoryAudio& audio, plat::MusicEngine* engine, uint32_t channel, uint32_t frames)
{
    std::vector<int16_t> out;
    for (uint32_t done = 0; done < frames; done += 1024) {
        engine->WaitDecoded(channel, 100, 30000);
        auto piece = audio.Render(1024);
        out.insert(out.end(), piece.begin(), piece.end());
    }
    return out;
}

// The volume (in hundredths) a recorded player sends for song 0 after each of a number of updates.
template <class Recorded>
std::vector<int> VolumesOverUpdates(Recorded& p, int updates)
{
    std::vector<int> seen;
    for (int i = 0; i < updates; ++i) {
        p.player.Update();
        seen.push_back(p.Volume(0));
    }
    return seen;
}

} // namespace quortest
