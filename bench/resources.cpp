// Loading a resource group of 40 PNG pictures (sizes from 32 x 32 to 1024 x 768, a quarter of
// them with a separate alpha picture, half of them palettizable) through the resource manager,
// beside decoding the same files with libpng's simplified reader alone.
#include "BenchScratch.h"
#include "app/Common.h"
#include "app/QuorAppBase.h"
#include "display/DDImage.h"
#include "resources/ImageLib.h"
#include "resources/ResourceManager.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

struct Fixture {
    quorbench::ScratchDir mScratch{"quor_bench_resources_"};
    std::filesystem::path mDir = mScratch.Path();
    std::vector<std::string> mFiles;  // every file the group reads, alpha pictures included
    std::string mManifest;

    Fixture()
    {
        const int sizes[][2] = {{1024, 768}, {800, 600}, {640, 480}, {512, 512}, {256, 256},
                                {300, 200},  {128, 128}, {64, 64},   {200, 100}, {32, 32}};
        std::mt19937 random(99);
        std::string body;
        for (int i = 0; i < 40; i++) {
            int w = sizes[i % 10][0];
            int h = sizes[i % 10][1];
            bool photo = (i / 10) % 2 == 0;  // many colours; otherwise a few flat ones
            std::unique_ptr<Quor::ImageLib::Image> picture(Quor::ImageLib::AllocImage(w, h));
            for (int y = 0; y < h; y++) {
                for (int x = 0; x < w; x++) {
                    uint32_t p;
                    if (photo) {
                        uint32_t r = uint32_t(x * 255 / w), g = uint32_t(y * 255 / h);
                        uint32_t b = ((x / 32 + y / 32) % 2) ? 180 : 60;
                        if ((random() & 3) == 0)
                            b ^= random() & 0x1F;
                        p = 0xFF000000u | r << 16 | g << 8 | b;
                    } else {
                        static const uint32_t kColors[] = {0xFF202020, 0xFFE0C080, 0xFF4060A0, 0xFFFFFFFF};
                        p = kColors[((x / 16) + (y / 12)) % 4];
                        if (x % 97 == 0)
                            p = 0x80FF0000;
                    }
                    picture->mBits[size_t(y) * size_t(w) + size_t(x)] = p;
                }
            }
            std::string name = "pic" + std::to_string(i);
            Write(name + ".png", picture.get());
            body += "<Image id=\"" + name + "\" path=\"" + name + ".png\"";
            if (i % 4 == 1) {
                for (int y = 0; y < h; y++)
                    for (int x = 0; x < w; x++)
                        picture->mBits[size_t(y) * size_t(w) + size_t(x)] = 0xFF000000u | uint32_t((x + y) & 0xFF) * 0x010101u;
                Write(name + "_mask.png", picture.get());
                body += " alphaimage=\"" + name + "_mask.png\"";
            }
            body += "/>\n";
        }
        mManifest = (mDir / "manifest.xml").string();
        std::FILE* f = std::fopen(mManifest.c_str(), "wb");
        std::string text = "<ResourceManifest><Resources id=\"Bench\"><SetDefaults path=\"" + mDir.string() +
                           "\"/>\n" + body + "</Resources></ResourceManifest>\n";
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }

    void Write(const std::string& name, Quor::ImageLib::Image* picture)
    {
        std::string path = (mDir / name).string();
        if (!Quor::ImageLib::WritePNGImage(path, picture))
            std::abort();
        mFiles.push_back(path);
    }
};


Fixture& TheFixture()
{
    static Fixture fixture;
    return fixture;
}

void LoadGroupThroughResourceManager(benchmark::State& state)
{
    Fixture& fixture = TheFixture();
    Quor::QuorAppBase app;
    Quor::ResourceManager manager(&app);
    if (!manager.ParseResourcesFile(fixture.mManifest)) {
        state.SkipWithError(manager.GetErrorText().c_str());
        return;
    }
    for (auto _ : state) {
        if (!manager.LoadResources("Bench")) {
            state.SkipWithError(manager.GetErrorText().c_str());
            break;
        }
        state.PauseTiming();
        manager.DeleteResources("Bench");
        app.CleanSharedImages();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 40);
}
BENCHMARK(LoadGroupThroughResourceManager)->Unit(benchmark::kMillisecond);

// The same files through the image loader alone (archive-aware reading, our transforms), to
// tell decoding from the resource manager's own work.
void DecodeSameFilesThroughImageLib(benchmark::State& state)
{
    Fixture& fixture = TheFixture();
    for (auto _ : state) {
        for (const std::string& file : fixture.mFiles) {
            std::unique_ptr<Quor::ImageLib::Image> image(Quor::ImageLib::GetImage(file, false));
            if (!image)
                std::abort();
            benchmark::DoNotOptimize(image->mBits);
        }
    }
    state.SetItemsProcessed(state.iterations() * 40);
}
BENCHMARK(DecodeSameFilesThroughImageLib)->Unit(benchmark::kMillisecond);

void DecodeSameFilesWithLibpng(benchmark::State& state)
{
    Fixture& fixture = TheFixture();
    for (auto _ : state) {
        for (const std::string& file : fixture.mFiles) {
            png_image image{};
            image.version = PNG_IMAGE_VERSION;
            if (!png_image_begin_read_from_file(&image, file.c_str()))
                std::abort();
            image.format = PNG_FORMAT_BGRA;
            std::unique_ptr<uint8_t[]> pixels(new uint8_t[PNG_IMAGE_SIZE(image)]);
            if (!png_image_finish_read(&image, nullptr, pixels.get(), 0, nullptr))
                std::abort();
            benchmark::DoNotOptimize(pixels.get());
        }
    }
    state.SetItemsProcessed(state.iterations() * 40);
}
BENCHMARK(DecodeSameFilesWithLibpng)->Unit(benchmark::kMillisecond);

} // namespace
