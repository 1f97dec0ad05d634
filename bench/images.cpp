// Image decoding and derived image data, beside the reference libraries on the same files:
// a 1024 x 768 RGBA PNG through ImageLib::GetImage and through libpng's simplified reader,
// a 1024 x 768 GIF through our decoder and through giflib, and the RLAlpha and NativeAlpha
// data of a 1024 x 768 memory image.
#include "BenchScratch.h"
#include "graphics/MemoryImage.h"
#include "resources/ImageLib.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

// A picture with smooth areas, edges and some noise, so that neither coder has it easy.
std::vector<uint32_t> TestPicture()
{
    std::vector<uint32_t> pixels(size_t(kWidth) * kHeight);
    std::mt19937 random(1234);
    for (int y = 0; y < kHeight; y++) {
        for (int x = 0; x < kWidth; x++) {
            uint32_t r = uint32_t(x * 255 / kWidth);
            uint32_t g = uint32_t(y * 255 / kHeight);
            uint32_t b = ((x / 64 + y / 48) % 2) ? 200 : 40;
            uint32_t a = (x % 200 < 20) ? 0 : ((y % 150 < 10) ? 128 : 255);
            if ((random() & 7) == 0)
                b ^= random() & 0x1F;
            pixels[size_t(y) * kWidth + size_t(x)] = a << 24 | r << 16 | g << 8 | b;
        }
    }
    return pixels;
}

struct Files {
    quorbench::ScratchDir dir{"quor_bench_images_"};
    std::string png = dir.File("picture.png");
    std::string gif = dir.File("picture.gif");

    Files()
    {
        std::vector<uint32_t> pixels = TestPicture();

        Quor::ImageLib::Image image;
        image.mWidth = kWidth;
        image.mHeight = kHeight;
        image.mBits = new uint32_t[pixels.size()];
        std::copy(pixels.begin(), pixels.end(), image.mBits);
        if (!Quor::ImageLib::WritePNGImage(png, &image))
            std::abort();

        // The GIF is written by giflib itself: 256 colours, real LZW compression.
        int error = 0;
        GifFileType* out = EGifOpenFileName(gif.c_str(), false, &error);
        if (out == nullptr)
            std::abort();
        ColorMapObject* map = GifMakeMapObject(256, nullptr);
        for (int i = 0; i < 256; i++) {
            map->Colors[i].Red = GifByteType((i & 0xE0) | 0x10);
            map->Colors[i].Green = GifByteType(((i << 3) & 0xE0) | 0x10);
            map->Colors[i].Blue = GifByteType(((i << 6) & 0xC0) | 0x20);
        }
        EGifPutScreenDesc(out, kWidth, kHeight, 8, 0, map);
        EGifPutImageDesc(out, 0, 0, kWidth, kHeight, false, nullptr);
        std::vector<GifPixelType> line(kWidth);
        for (int y = 0; y < kHeight; y++) {
            for (int x = 0; x < kWidth; x++) {
                uint32_t p = pixels[size_t(y) * kWidth + size_t(x)];
                line[size_t(x)] = GifPixelType(((p >> 16) & 0xE0) | (((p >> 8) & 0xE0) >> 3) |
                                               ((p & 0xC0) >> 6));
            }
            EGifPutLine(out, line.data(), kWidth);
        }
        EGifCloseFile(out, &error);
        GifFreeMapObject(map);
    }
};

const Files& TheFiles()
{
    static Files files;
    return files;
}

// As the application loads pictures: with the look-up of a separate alpha picture.
void PngGetImage(benchmark::State& state)
{
    const std::string& file = TheFiles().png;
    for (auto _ : state) {
        std::unique_ptr<Quor::ImageLib::Image> image(Quor::ImageLib::GetImage(file, true));
        if (!image)
            std::abort();
        benchmark::DoNotOptimize(image->mBits[0]);
    }
}
BENCHMARK(PngGetImage)->Unit(benchmark::kMillisecond);

void PngLibpngSimplified(benchmark::State& state)
{
    const std::string& file = TheFiles().png;
    std::vector<uint32_t> buffer(size_t(kWidth) * kHeight);
    for (auto _ : state) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&image, file.c_str()))
            std::abort();
        image.format = PNG_FORMAT_BGRA;
        if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr))
            std::abort();
        benchmark::DoNotOptimize(buffer[0]);
    }
}
BENCHMARK(PngLibpngSimplified)->Unit(benchmark::kMillisecond);

void GifGetImage(benchmark::State& state)
{
    const std::string& file = TheFiles().gif;
    for (auto _ : state) {
        std::unique_ptr<Quor::ImageLib::Image> image(Quor::ImageLib::GetImage(file, true));
        if (!image)
            std::abort();
        benchmark::DoNotOptimize(image->mBits[0]);
    }
}
BENCHMARK(GifGetImage)->Unit(benchmark::kMillisecond);

// giflib decoding the same file to the same 32-bit pixels.
void GifGiflib(benchmark::State& state)
{
    const std::string& file = TheFiles().gif;
    std::vector<uint32_t> pixels(size_t(kWidth) * kHeight);
    for (auto _ : state) {
        int error = 0;
        GifFileType* gif = DGifOpenFileName(file.c_str(), &error);
        if (gif == nullptr || DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1)
            std::abort();
        const SavedImage& frame = gif->SavedImages[0];
        const ColorMapObject* map =
            frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
        uint32_t colors[256] = {};
        for (int i = 0; i < map->ColorCount && i < 256; i++)
            colors[i] = 0xFF000000 | uint32_t(map->Colors[i].Red) << 16 |
                        uint32_t(map->Colors[i].Green) << 8 | map->Colors[i].Blue;
        size_t count = size_t(frame.ImageDesc.Width) * size_t(frame.ImageDesc.Height);
        for (size_t i = 0; i < count; i++)
            pixels[i] = colors[frame.RasterBits[i]];
        DGifCloseFile(gif, &error);
        benchmark::DoNotOptimize(pixels[0]);
    }
}
BENCHMARK(GifGiflib)->Unit(benchmark::kMillisecond);

void BuildRLAlpha(benchmark::State& state)
{
    std::vector<uint32_t> pixels = TestPicture();
    Quor::MemoryImage image(nullptr);
    image.SetBits(pixels.data(), kWidth, kHeight);
    for (auto _ : state) {
        image.BitsChanged();
        benchmark::DoNotOptimize(image.GetRLAlphaData());
    }
}
BENCHMARK(BuildRLAlpha)->Unit(benchmark::kMillisecond);

void BuildNativeAlpha(benchmark::State& state)
{
    std::vector<uint32_t> pixels = TestPicture();
    Quor::MemoryImage image(nullptr);
    image.SetBits(pixels.data(), kWidth, kHeight);
    for (auto _ : state) {
        image.BitsChanged();
        benchmark::DoNotOptimize(image.GetNativeAlphaData(nullptr));
    }
}
BENCHMARK(BuildNativeAlpha)->Unit(benchmark::kMillisecond);

// Reference for both: one plain pass over the same pixels, classing each alpha as clear,
// opaque or translucent (the decision the run-length data records) and premultiplying each
// pixel into a second buffer (what the native alpha data holds).
void PlainPassReference(benchmark::State& state)
{
    std::vector<uint32_t> pixels = TestPicture();
    std::vector<uint8_t> classes(pixels.size());
    std::vector<uint32_t> premultiplied(pixels.size());
    for (auto _ : state) {
        for (size_t i = 0; i < pixels.size(); i++) {
            uint32_t p = pixels[i], a = p >> 24;
            classes[i] = uint8_t(a == 0 ? 0 : a == 255 ? 1 : 2);
            premultiplied[i] = (a << 24) | (((p >> 16) & 0xFF) * a / 255) << 16 |
                               (((p >> 8) & 0xFF) * a / 255) << 8 | ((p & 0xFF) * a / 255);
        }
        benchmark::DoNotOptimize(classes.data());
        benchmark::DoNotOptimize(premultiplied.data());
    }
}
BENCHMARK(PlainPassReference)->Unit(benchmark::kMillisecond);

} // namespace
