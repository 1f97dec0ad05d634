// Image files built in code for the image loader tests: PNG and JPEG through libpng and
// libjpeg with every layout the readers meet, TGA and GIF byte by byte.
#pragma once

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

namespace imagefixtures {

struct PngDesc {
    int width = 1;
    int height = 1;
    int colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<std::vector<uint8_t>> rows;  // raw row bytes in the file's layout
    std::vector<png_color> palette;
    std::vector<uint8_t> trns;               // palette alphas
};

inline void WritePng(const std::string& path, const PngDesc& desc)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        throw std::runtime_error("cannot create " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        throw std::runtime_error("libpng failed on " + path);
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(desc.width),
                 static_cast<png_uint_32>(desc.height), desc.bitDepth, desc.colorType,
                 desc.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!desc.palette.empty())
        png_set_PLTE(png, info, desc.palette.data(), static_cast<int>(desc.palette.size()));
    if (!desc.trns.empty())
        png_set_tRNS(png, info, desc.trns.data(), static_cast<int>(desc.trns.size()), nullptr);
    png_write_info(png, info);
    std::vector<png_bytep> rows;
    for (const auto& row : desc.rows)
        rows.push_back(const_cast<png_bytep>(row.data()));
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

// 8-bit RGBA PNG of 0xAARRGGBB pixels.
inline void WriteArgbPng(const std::string& path, int width, int height,
                         const std::vector<uint32_t>& pixels)
{
    PngDesc desc;
    desc.width = width;
    desc.height = height;
    for (int y = 0; y < height; y++) {
        std::vector<uint8_t> row;
        for (int x = 0; x < width; x++) {
            uint32_t p = pixels[size_t(y) * size_t(width) + size_t(x)];
            row.insert(row.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), uint8_t(p >> 24)});
        }
        desc.rows.push_back(row);
    }
    WritePng(path, desc);
}

// A JPEG of the given colour space: samples are 1 (grey), 3 (RGB) or 4 (CMYK) a pixel.
inline void WriteJpeg(const std::string& path, int width, int height, J_COLOR_SPACE space,
                      int components, const std::vector<uint8_t>& samples, int quality = 95)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        throw std::runtime_error("cannot create " + path);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, space == JCS_RGB ? JCS_YCbCr : space);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() + size_t(cinfo.next_scanline) *
                                                                 size_t(width) * size_t(components));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

// An uncompressed 32-bit TGA as the loader accepts it, with knobs for the refused variants.
struct TgaFixture {
    int width = 1;
    int height = 1;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB
    std::string imageId;
    int imageType = 2;
    int depth = 32;
    int descriptor = 0x28;
    int colorMapEntries = 0;       // a colour map of 24-bit entries before the pixels
    size_t cutBytes = 0;           // bytes taken off the end
};

inline std::vector<uint8_t> TgaBytes(const TgaFixture& desc)
{
    std::vector<uint8_t> out = {uint8_t(desc.imageId.size()), uint8_t(desc.colorMapEntries ? 1 : 0),
                                uint8_t(desc.imageType), 0, 0,
                                uint8_t(desc.colorMapEntries), uint8_t(desc.colorMapEntries >> 8),
                                uint8_t(desc.colorMapEntries ? 24 : 0), 0, 0, 0, 0,
                                uint8_t(desc.width), uint8_t(desc.width >> 8),
                                uint8_t(desc.height), uint8_t(desc.height >> 8),
                                uint8_t(desc.depth), uint8_t(desc.descriptor)};
    out.insert(out.end(), desc.imageId.begin(), desc.imageId.end());
    out.insert(out.end(), size_t(desc.colorMapEntries) * 3, 0xEE);
    for (uint32_t p : desc.pixels)
        out.insert(out.end(), {uint8_t(p), uint8_t(p >> 8), uint8_t(p >> 16), uint8_t(p >> 24)});
    out.resize(out.size() - desc.cutBytes);
    return out;
}

// LZW codes packed least significant bit first, with the code width growing exactly as the
// decoder's does (m + 1 bits after a clear code, one more each time the next free code
// reaches a power of two).
inline std::vector<uint8_t> PackCodes(int rootBits, const std::vector<int>& codes)
{
    const int clear = 1 << rootBits;
    int width = rootBits + 1, mask = (1 << width) - 1, next = clear + 2;
    bool first = true;
    uint32_t acc = 0;
    int bits = 0;
    std::vector<uint8_t> out;
    for (int c : codes) {
        acc |= uint32_t(c) << bits;
        bits += width;
        while (bits >= 8) {
            out.push_back(uint8_t(acc));
            acc >>= 8;
            bits -= 8;
        }
        if (c == clear) {
            width = rootBits + 1;
            mask = (1 << width) - 1;
            next = clear + 2;
            first = true;
            continue;
        }
        if (first) {
            first = false;
            continue;
        }
        if (next < 4096) {
            next++;
            if ((next & mask) == 0 && next < 4096) {
                width++;
                mask += next;
            }
        }
    }
    if (bits > 0)
        out.push_back(uint8_t(acc));
    return out;
}

// A GIF file assembled block by block.
class GifBuilder {
public:
    explicit GifBuilder(const char* signature = "GIF89a", int width = 0, int height = 0)
    {
        bytes.insert(bytes.end(), signature, signature + 6);
        Put16(width);
        Put16(height);
        bytes.insert(bytes.end(), {0, 0, 0});
    }
    // Global colour table of 2^(sizeCode + 1) entries; colours beyond the list are black.
    GifBuilder& GlobalTable(int sizeCode, const std::vector<uint32_t>& colors)
    {
        bytes[10] = uint8_t(0x80 | sizeCode);
        PutTable(sizeCode, colors);
        return *this;
    }
    GifBuilder& Extension(int label, const std::vector<std::vector<uint8_t>>& blocks)
    {
        bytes.push_back('!');
        bytes.push_back(uint8_t(label));
        for (const auto& b : blocks) {
            bytes.push_back(uint8_t(b.size()));
            bytes.insert(bytes.end(), b.begin(), b.end());
        }
        bytes.push_back(0);
        return *this;
    }
    GifBuilder& Transparent(int index) { return Extension(0xF9, {{1, 0, 0, uint8_t(index)}}); }
    GifBuilder& Picture(int width, int height, int rootBits, const std::vector<int>& codes,
                        bool interlaced = false, int localSizeCode = -1,
                        const std::vector<uint32_t>& localColors = {}, bool terminate = true)
    {
        bytes.push_back(',');
        Put16(0);
        Put16(0);
        Put16(width);
        Put16(height);
        uint8_t flags = interlaced ? 0x40 : 0;
        if (localSizeCode >= 0)
            flags |= uint8_t(0x80 | localSizeCode);
        bytes.push_back(flags);
        if (localSizeCode >= 0)
            PutTable(localSizeCode, localColors);
        bytes.push_back(uint8_t(rootBits));
        std::vector<uint8_t> data = PackCodes(rootBits, codes);
        for (size_t i = 0; i < data.size(); i += 255) {
            size_t n = std::min<size_t>(255, data.size() - i);
            bytes.push_back(uint8_t(n));
            bytes.insert(bytes.end(), data.begin() + long(i), data.begin() + long(i + n));
        }
        if (terminate)
            bytes.push_back(0);
        return *this;
    }
    GifBuilder& Trailer()
    {
        bytes.push_back(';');
        return *this;
    }

    std::vector<uint8_t> bytes;

private:
    void Put16(int v)
    {
        bytes.push_back(uint8_t(v));
        bytes.push_back(uint8_t(v >> 8));
    }
    void PutTable(int sizeCode, const std::vector<uint32_t>& colors)
    {
        for (int i = 0; i < (2 << sizeCode); i++) {
            uint32_t c = size_t(i) < colors.size() ? colors[size_t(i)] : 0;
            bytes.insert(bytes.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
        }
    }
};

// Codes for literal pixels: a clear code, then each index as a root code, then the end code.
inline std::vector<int> LiteralCodes(int rootBits, const std::vector<int>& indexes, bool end = true)
{
    std::vector<int> codes = {1 << rootBits};
    codes.insert(codes.end(), indexes.begin(), indexes.end());
    if (end)
        codes.push_back((1 << rootBits) + 1);
    return codes;
}

} // namespace imagefixtures
