// Composing the placeholder tunes and encoding them with libvorbisenc.
#include "tools/mkcontent/Music.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "tools/mkcontent/Sounds.h"
#include "tools/mkcontent/Table.h"

namespace mkcontent {

namespace {

constexpr double kTwoPi = 6.283185307179586;
const int kMajor[7] = {0, 2, 4, 5, 7, 9, 11};
const int kMinor[7] = {0, 2, 3, 5, 7, 8, 10};
// Chord roots as scale degrees, one chord a bar.
const int kMajorChords[4] = {0, 4, 5, 3};
const int kMinorChords[4] = {0, 5, 2, 6};

int Degree(const int* scale, int degree) {
    int octave = degree >= 0 ? degree / 7 : (degree - 6) / 7;
    return scale[degree - octave * 7] + 12 * octave;
}

void AddNote(std::vector<float>& out, double startSeconds, double seconds, double midi, double volume, bool bass) {
    const double hz = NoteHz(midi);
    const size_t start = static_cast<size_t>(startSeconds * kSampleRate);
    const size_t n = static_cast<size_t>(seconds * kSampleRate);
    for (size_t i = 0; i < n && start + i < out.size(); ++i) {
        double t = static_cast<double>(i) / kSampleRate;
        double env = std::min(1.0, t / 0.01) * std::min(1.0, (seconds - t) / 0.03) * std::exp(-t / (bass ? 0.6 : 0.35));
        double phase = std::fmod(hz * t, 1.0);
        double wave = bass ? 1.0 - 4.0 * std::fabs(phase - 0.5)   // triangle
                           : std::sin(kTwoPi * phase) + 0.25 * std::sin(2 * kTwoPi * phase);
        out[start + i] += static_cast<float>(volume * env * wave);
    }
}

} // namespace

std::vector<float> ComposeMusic(const MusicSpec& m) {
    std::vector<float> out(static_cast<size_t>(m.seconds * kSampleRate), 0.0f);
    Noise choose(m.seed * 2654435761u);
    const int* scale = m.minor ? kMinor : kMajor;
    const int* chords = m.minor ? kMinorChords : kMajorChords;
    const double beat = 60.0 / m.bpm;
    const double eighth = beat / 2;
    const double end = m.seconds - 0.3;

    // Bass: the chord's root on every beat, an octave and a half below the tune.
    for (int b = 0; b * beat < end; ++b) {
        int chord = chords[(b / 4) % 4];
        AddNote(out, b * beat, std::min(beat, end - b * beat), m.root - 12 + Degree(scale, chord), 0.35, true);
    }
    // Tune: a walk over the scale, on a chord tone at the start of every beat, with notes of
    // one or two eighths and a rest now and then.
    int degree = 7;
    const int eighths = static_cast<int>(end / eighth);
    for (int pos = 0; pos < eighths;) {
        int step = static_cast<int>(choose.Next() % 5) - 2;
        degree = std::clamp(degree + step, 3, 13);
        if (pos % 2 == 0) {
            int chord = chords[(pos / 8) % 4];
            int best = chord + 7;
            for (int c : {chord, chord + 2, chord + 4, chord + 7, chord + 9, chord + 11})
                if (std::abs(c - degree) < std::abs(best - degree)) best = c;
            degree = best;
        }
        int length = std::min(choose.Next() % 3 == 0 ? 2 : 1, eighths - pos);
        if (choose.Next() % 8 != 0) AddNote(out, pos * eighth, length * eighth, m.root + Degree(scale, degree), 0.5, false);
        pos += length;
    }
    Normalise(out, 0.8);
    return out;
}

std::vector<uint8_t> EncodeVorbis(const std::vector<float>& samples, int serial, const std::string& title) {
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 1, kSampleRate, 0.0f) != 0) {
        vorbis_info_clear(&info);
        throw ContentError(title + ": the Vorbis encoder refused 22050 Hz mono at quality 0");
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", title.c_str());
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);

    std::vector<uint8_t> out;
    ogg_page page;
    auto takePage = [&]() {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    };
    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    while (ogg_stream_flush(&stream, &page) != 0) takePage();

    const size_t chunk = 1024;
    size_t done = 0;
    bool ended = false;
    while (!ended) {
        size_t count = std::min(chunk, samples.size() - done);
        if (count == 0) {
            vorbis_analysis_wrote(&dsp, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            std::copy(samples.begin() + static_cast<long>(done), samples.begin() + static_cast<long>(done + count), buffer[0]);
            vorbis_analysis_wrote(&dsp, static_cast<int>(count));
            done += count;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    takePage();
                    if (ogg_page_eos(&page)) ended = true;
                }
            }
        }
        if (count == 0) ended = true;
    }
    while (ogg_stream_flush(&stream, &page) != 0) takePage();

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

} // namespace mkcontent
