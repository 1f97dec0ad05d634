// A helper program of the tests: writes an Ogg Vorbis file of a sine tone with libvorbisenc.
// It is its own program because the encoder library and the decoder the program uses share
// function names.
//   make_test_ogg <file> <channels> <rate> <frames> <tone Hz>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: make_test_ogg file channels rate frames toneHz\n");
        return 2;
    }
    const int channels = std::atoi(argv[2]);
    const long rate = std::atol(argv[3]);
    const long frames = std::atol(argv[4]);
    const double tone = std::atof(argv[5]);
    FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr)
        return 1;

    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, 0.4f) != 0)
        return 1;
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1);

    ogg_packet header, comment, code;
    vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comment);
    ogg_stream_packetin(&os, &code);
    ogg_page page;
    while (ogg_stream_flush(&os, &page) != 0) {
        std::fwrite(page.header, 1, size_t(page.header_len), out);
        std::fwrite(page.body, 1, size_t(page.body_len), out);
    }

    long written = 0;
    bool eos = false;
    while (!eos) {
        long count = frames - written < 1024 ? frames - written : 1024;
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, int(count));
            for (long i = 0; i < count; ++i) {
                double t = double(written + i) / double(rate);
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = float(0.5 * std::sin(2.0 * 3.14159265358979323846 * tone * t));
            }
            vorbis_analysis_wrote(&vd, int(count));
            written += count;
        } else {
            vorbis_analysis_wrote(&vd, 0);
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet) != 0) {
                ogg_stream_packetin(&os, &packet);
                while (!eos && ogg_stream_pageout(&os, &page) != 0) {
                    std::fwrite(page.header, 1, size_t(page.header_len), out);
                    std::fwrite(page.body, 1, size_t(page.body_len), out);
                    if (ogg_page_eos(&page))
                        eos = true;
                }
            }
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return std::fclose(out) == 0 ? 0 : 1;
}
