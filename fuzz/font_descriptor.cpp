// Runs arbitrary bytes as a font descriptor (first byte even) or as the character-width file
// of the older font format (first byte odd), then measures and lays out a string with the
// font that results.
#include "fuzz/FuzzScratch.h"
#include "graphics/Graphics.h"
#include "graphics/ImageFont.h"
#include "graphics/MemoryImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

const std::string& ScratchFile()
{
    static quorfuzz::Scratch scratch("quor_fuzz_font_", ".txt");
    return scratch.path;
}

Quor::MemoryImage* Strip()
{
    static Quor::MemoryImage* image = [] {
        auto* m = new Quor::MemoryImage();
        std::vector<uint32_t> bits(64 * 8, 0xFFFFFFFFu);
        m->SetBits(bits.data(), 64, 8);
        return m;
    }();
    return image;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    quorfuzz::WriteBytes(ScratchFile(), data + 1, size - 1);

    Quor::ImageFont* font = (data[0] & 1) == 0
                                ? new Quor::ImageFont(static_cast<Quor::QuorAppBase*>(nullptr), ScratchFile())
                                : new Quor::ImageFont(Strip(), ScratchFile());
    const std::string text = "AVa b^x\x80\xff";
    (void)font->StringWidth(text);
    font->SetPointSize(font->GetPointSize() + 3);
    font->SetScale(1.5);
    (void)font->StringWidth(text);
    Quor::Graphics g;
    std::vector<Quor::Rect> areas;
    int width = 0;
    font->DrawStringLayered(&g, 0, 10, text, Quor::Color::White, Quor::Rect(), &areas, &width);
    delete font;
    return 0;
}
