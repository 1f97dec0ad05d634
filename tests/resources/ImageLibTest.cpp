// Image files: the loader's reader choice and alpha merge, each reader's layouts and refusals,
// the writers, and the GIF decoder.
#include "resources/ImageLib.h"

#include "resources/PakInterface.h"
#include "tests/resources/ImageFixtures.h"
#include "tests/support/TestSupport.h"
#include "tools/pak/PakFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

using namespace Quor;
using namespace imagefixtures;
using ImagePtr = std::unique_ptr<ImageLib::Image>;

namespace {

std::vector<uint32_t> PixelsOf(const ImageLib::Image& image)
{
    return std::vector<uint32_t>(image.mBits,
                                 image.mBits + size_t(image.mWidth) * size_t(image.mHeight));
}

ImagePtr Load(const std::string& name, bool alpha = true)
{
    return ImagePtr(ImageLib::GetImage(name, alpha));
}

void WriteGif(const std::string& path, const GifBuilder& gif)
{
    quortest::WriteFile(path, gif.bytes);
}

// ---------------------------------------------------------------------------------------------
// Loading by name

TEST(ImageLibTest, ReaderByExtensionAndSearchOrder)
{
    quortest::TempDir dir;
    WriteArgbPng(dir.File("ship.png"), 1, 1, {0xFF0000FF});
    WriteGif(dir.File("ship.gif"), GifBuilder("GIF89a")
                                       .GlobalTable(0, {0xFF00FF00, 0})
                                       .Picture(1, 1, 2, LiteralCodes(2, {0})));
    WriteGif(dir.File("other.gif"), GifBuilder("GIF89a")
                                        .GlobalTable(0, {0xFF00FF00, 0})
                                        .Picture(1, 1, 2, LiteralCodes(2, {0})));
    std::filesystem::create_directories(dir.Path() / "old.maps");
    TgaFixture tga;
    tga.pixels = {0x80112233};
    quortest::WriteFile(dir.File("old.maps/ship.tga"), TgaBytes(tga));
    quortest::WriteFile(dir.File("SHIP2.png"), quortest::ReadFile(dir.File("ship.png")));

    struct Case {
        const char* name;
        uint32_t pixel;  // 0 = no picture
    } cases[] = {
        {"ship", 0xFF0000FF},            // .png comes before .gif
        {"other", 0xFF00FF00},           // only the GIF exists
        {"ship.gif", 0xFF00FF00},        // the extension picks the reader
        {"SHIP2.PNG", 0xFF0000FF},       // opens SHIP2.png
        {"old.maps/ship", 0x80112233},   // the dot lies before the separator: no extension
        {"old.maps\\ship", 0x80112233},
        {"ship.bmp", 0},                 // no reader for the extension
        {"ship.jpeg", 0},
        {"absent", 0},
    };
    for (const Case& c : cases) {
        ImagePtr image = Load(dir.File(c.name), false);
        if (c.pixel == 0) {
            EXPECT_EQ(image, nullptr) << c.name;
            continue;
        }
        ASSERT_NE(image, nullptr) << c.name;
        EXPECT_EQ(image->mBits[0], c.pixel) << c.name;
    }
}

TEST(ImageLibTest, AlphaPictureMerge)
{
    quortest::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "images");
    WriteArgbPng(dir.File("images/ship.png"), 2, 1, {0xFF102030, 0x80405060});
    WriteArgbPng(dir.File("images/_ship.png"), 2, 1, {0xFF0000AA, 0xFFFFFF00});
    WriteArgbPng(dir.File("images/big.png"), 2, 1, {0xFF102030, 0x80405060});
    WriteArgbPng(dir.File("images/_big.png"), 3, 1, {0xFF0000AA, 0xFF000011, 0xFF000022});
    WriteArgbPng(dir.File("images/plain.png"), 1, 1, {0xFF010203});
    WriteArgbPng(dir.File("images/plain_.png"), 1, 1, {0xFF000077});
    WriteArgbPng(dir.File("images/_mask.png"), 2, 1, {0xFF000080, 0x00FFFF01});

    ImagePtr ship = Load(dir.File("images/ship.png"));
    ASSERT_NE(ship, nullptr);
    EXPECT_EQ(PixelsOf(*ship), (std::vector<uint32_t>{0xAA102030, 0x00405060}));
    EXPECT_FALSE(ship->mAlphaKnown);  // the merged alpha was never looked at

    ImagePtr big = Load(dir.File("images/big.png"));  // alpha picture of another size
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(PixelsOf(*big), (std::vector<uint32_t>{0xFF102030, 0x80405060}));

    ImagePtr plain = Load(dir.File("images/plain"));  // the second name: "images/plain_"
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->mBits[0], 0x77010203u);

    ImagePtr mask = Load(dir.File("images/mask"));  // alpha picture only
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(PixelsOf(*mask), (std::vector<uint32_t>{0x80FFFFFF, 0x01FFFFFF}));

    ImageLib::gAlphaComposeColor = 0x123456;
    mask = Load(dir.File("images/mask"));
    ImageLib::gAlphaComposeColor = 0xFFFFFF;
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(PixelsOf(*mask), (std::vector<uint32_t>{0x80123456, 0x01123456}));

    EXPECT_EQ(Load(dir.File("images/ship.png"), false)->mBits[0], 0xFF102030u);
}

TEST(ImageLibTest, ReadsThroughTheArchive)
{
    quortest::TempDir dir;
    WriteArgbPng(dir.File("pic.png"), 1, 1, {0xFF445566});
    TgaFixture tga;
    tga.pixels = {0xFF778899};
    std::vector<uint8_t> pak;
    std::string error;
    ASSERT_TRUE(paktool::BuildPak({{"art\\pic.png", quortest::ReadFile(dir.File("pic.png")), 0},
                                   {"art\\pic.tga", TgaBytes(tga), 0}},
                                  GetPakInterface()->mDecryptPassword, pak, error))
        << error;
    quortest::WriteFile(dir.File("test.pak"), pak);
    ASSERT_TRUE(GetPakInterface()->AddPakFile(dir.File("test.pak")));

    ImagePtr png = Load("art/pic.png", false);
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(png->mBits[0], 0xFF445566u);
    ImagePtr tgaImage = Load("art/pic", false);
    ASSERT_NE(tgaImage, nullptr);
    EXPECT_EQ(tgaImage->mBits[0], 0xFF778899u);
}

// ---------------------------------------------------------------------------------------------
// TGA

TEST(ImageLibTest, TgaLayoutsAndRefusals)
{
    quortest::TempDir dir;
    const std::vector<uint32_t> pixels = {0xFF112233, 0x00445566, 0x80778899, 0x01AABBCC,
                                          0xFFFFFFFF, 0x00000000};
    struct Case {
        const char* name;
        TgaFixture desc;
        bool loads;
    };
    auto desc = [&](auto change) {
        TgaFixture s;
        s.width = 3;
        s.height = 2;
        s.pixels = pixels;
        change(s);
        return s;
    };
    const Case cases[] = {
        {"plain", desc([](TgaFixture&) {}), true},
        {"image ID skipped", desc([](TgaFixture& s) { s.imageId = "made by hand"; }), true},
        {"colour map skipped", desc([](TgaFixture& s) { s.colorMapEntries = 5; }), true},
        {"24-bit", desc([](TgaFixture& s) { s.depth = 24; }), false},
        {"bottom-left origin", desc([](TgaFixture& s) { s.descriptor = 0x08; }), false},
        {"run-length compressed", desc([](TgaFixture& s) { s.imageType = 10; }), false},
        {"short by one byte", desc([](TgaFixture& s) { s.cutBytes = 1; }), false},
        {"header only", desc([](TgaFixture& s) { s.cutBytes = 24; }), false},
        {"zero width", desc([](TgaFixture& s) { s.width = 0; }), false},
        {"beyond the size cap",
         desc([](TgaFixture& s) {
             s.width = 20000;
             s.height = 1;
         }),
         false},
    };
    for (const Case& c : cases) {
        std::string path = dir.File(std::string(c.name) + ".tga");
        quortest::WriteFile(path, TgaBytes(c.desc));
        ImagePtr image(ImageLib::LoadTGAImage(path));
        if (!c.loads) {
            EXPECT_EQ(image, nullptr) << c.name;
            continue;
        }
        ASSERT_NE(image, nullptr) << c.name;
        EXPECT_EQ(image->mWidth, 3);
        EXPECT_EQ(image->mHeight, 2);
        EXPECT_EQ(PixelsOf(*image), pixels) << c.name;
    }
    quortest::WriteFile(dir.File("short.tga"), std::vector<uint8_t>(10, 0));
    EXPECT_EQ(ImagePtr(ImageLib::LoadTGAImage(dir.File("short.tga"))), nullptr);
}

// ---------------------------------------------------------------------------------------------
// PNG

TEST(ImageLibTest, PngLayoutsExpandToArgb)
{
    quortest::TempDir dir;
    struct Case {
        const char* name;
        PngDesc desc;
        std::vector<uint32_t> expected;
    };
    auto png = [](int w, int h, int type, int depth, std::vector<std::vector<uint8_t>> rows) {
        PngDesc s;
        s.width = w;
        s.height = h;
        s.colorType = type;
        s.bitDepth = depth;
        s.rows = std::move(rows);
        return s;
    };
    PngDesc palette = png(3, 1, PNG_COLOR_TYPE_PALETTE, 8, {{0, 1, 2}});
    palette.palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
    palette.trns = {255, 0, 128};
    PngDesc palette2 = png(4, 1, PNG_COLOR_TYPE_PALETTE, 2, {{0x1B}});  // indexes 0, 1, 2, 3
    palette2.palette = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}};

    // Interlaced 9 x 9 picture: every pixel distinct so that a misplaced pass shows.
    PngDesc interlaced = png(9, 9, PNG_COLOR_TYPE_RGB, 8, {});
    interlaced.interlaced = true;
    std::vector<uint32_t> interlacedExpected;
    for (int y = 0; y < 9; y++) {
        std::vector<uint8_t> row;
        for (int x = 0; x < 9; x++) {
            row.insert(row.end(), {uint8_t(x * 20), uint8_t(y * 20), uint8_t(x + y)});
            interlacedExpected.push_back(0xFF000000 | uint32_t(x * 20) << 16 |
                                         uint32_t(y * 20) << 8 | uint32_t(x + y));
        }
        interlaced.rows.push_back(row);
    }
    // The same with one clear pixel that an early pass brings and one translucent pixel of the
    // last pass.
    PngDesc interlacedAlpha = png(9, 9, PNG_COLOR_TYPE_RGB_ALPHA, 8, {});
    interlacedAlpha.interlaced = true;
    std::vector<uint32_t> interlacedAlphaExpected;
    for (int y = 0; y < 9; y++) {
        std::vector<uint8_t> row;
        for (int x = 0; x < 9; x++) {
            uint8_t a = x == 3 && y == 4 ? 0 : x == 2 && y == 5 ? 90 : 255;
            row.insert(row.end(), {uint8_t(x * 20), uint8_t(y * 20), uint8_t(x + y), a});
            interlacedAlphaExpected.push_back(uint32_t(a) << 24 | uint32_t(x * 20) << 16 |
                                              uint32_t(y * 20) << 8 | uint32_t(x + y));
        }
        interlacedAlpha.rows.push_back(row);
    }

    const Case cases[] = {
        {"rgba8", png(2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {{1, 2, 3, 4, 5, 6, 7, 8}}),
         {0x04010203, 0x08050607}},
        {"rgb8", png(2, 1, PNG_COLOR_TYPE_RGB, 8, {{1, 2, 3, 4, 5, 6}}), {0xFF010203, 0xFF040506}},
        {"grey8", png(2, 1, PNG_COLOR_TYPE_GRAY, 8, {{0x00, 0x9A}}), {0xFF000000, 0xFF9A9A9A}},
        {"grey1", png(3, 1, PNG_COLOR_TYPE_GRAY, 1, {{0xA0}}),
         {0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF}},
        {"grey alpha", png(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {{0x40, 0x7F}}), {0x7F404040}},
        {"palette with transparency", palette, {0xFF0A141E, 0x0028323C, 0x8046505A}},
        {"palette 2-bit", palette2, {0xFF010101, 0xFF020202, 0xFF030303, 0xFF040404}},
        {"rgba16", png(1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16, {{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xFF, 0xEE}}),
         {0xFF12569A}},
        {"grey16", png(2, 1, PNG_COLOR_TYPE_GRAY, 16, {{0xAB, 0xCD, 0x01, 0x02}}),
         {0xFFABABAB, 0xFF010101}},
        {"interlaced", interlaced, interlacedExpected},
        {"interlaced rgba", interlacedAlpha, interlacedAlphaExpected},
    };
    for (const Case& c : cases) {
        std::string path = dir.File(std::string(c.name) + ".png");
        WritePng(path, c.desc);
        ImagePtr image(ImageLib::LoadPNGImage(path));
        ASSERT_NE(image, nullptr) << c.name;
        EXPECT_EQ(image->mWidth, c.desc.width) << c.name;
        EXPECT_EQ(image->mHeight, c.desc.height) << c.name;
        EXPECT_EQ(PixelsOf(*image), c.expected) << c.name;
        // The alpha flags come with the pixels, as a look at every pixel finds them.
        bool trans = false, alpha = false;
        for (uint32_t p : c.expected) {
            trans |= p >> 24 == 0;
            alpha |= p >> 24 != 0 && p >> 24 != 255;
        }
        EXPECT_TRUE(image->mAlphaKnown) << c.name;
        EXPECT_EQ(image->mHasTrans, trans) << c.name;
        EXPECT_EQ(image->mHasAlpha, alpha) << c.name;
    }
}

TEST(ImageLibTest, BrokenPngsFail)
{
    quortest::TempDir dir;
    WriteArgbPng(dir.File("good.png"), 8, 8, std::vector<uint32_t>(64, 0xFF336699));
    std::vector<uint8_t> good = quortest::ReadFile(dir.File("good.png"));

    std::vector<uint8_t> truncated(good.begin(), good.begin() + long(good.size() / 2));
    quortest::WriteFile(dir.File("truncated.png"), truncated);
    std::vector<uint8_t> notPng = good;
    notPng[1] = 'X';
    quortest::WriteFile(dir.File("notpng.png"), notPng);
    quortest::WriteFile(dir.File("empty.png"), std::vector<uint8_t>{});
    // A header announcing a picture beyond the size cap.
    PngDesc wide;
    wide.width = 16385;
    wide.height = 1;
    wide.colorType = PNG_COLOR_TYPE_GRAY;
    wide.rows = {std::vector<uint8_t>(16385, 7)};
    WritePng(dir.File("wide.png"), wide);

    for (const char* name : {"truncated.png", "notpng.png", "empty.png", "wide.png"})
        EXPECT_EQ(ImagePtr(ImageLib::LoadPNGImage(dir.File(name))), nullptr) << name;
}

// ---------------------------------------------------------------------------------------------
// JPEG

TEST(ImageLibTest, JpegColourSpaces)
{
    quortest::TempDir dir;
    WriteJpeg(dir.File("grey.jpg"), 4, 2, JCS_GRAYSCALE, 1, {0, 50, 100, 150, 200, 250, 30, 30});
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 16; i++)
        rgb.insert(rgb.end(), {200, 40, 90});
    WriteJpeg(dir.File("rgb.jpg"), 4, 4, JCS_RGB, 3, rgb);
    // CMYK stored inverted, as in files with the Adobe marker: no ink gives white, full black
    // ink gives black.
    std::vector<uint8_t> cmyk;
    for (int i = 0; i < 8; i++)
        cmyk.insert(cmyk.end(), {255, 255, 255, 255});
    for (int i = 0; i < 8; i++)
        cmyk.insert(cmyk.end(), {255, 255, 255, 0});
    WriteJpeg(dir.File("cmyk.jpg"), 8, 2, JCS_CMYK, 4, cmyk);

    ImagePtr grey(ImageLib::LoadJPEGImage(dir.File("grey.jpg")));
    ASSERT_NE(grey, nullptr);
    for (uint32_t p : PixelsOf(*grey)) {
        EXPECT_EQ(p >> 24, 0xFFu);
        EXPECT_EQ((p >> 16) & 0xFF, p & 0xFF);
        EXPECT_EQ((p >> 8) & 0xFF, p & 0xFF);
    }
    EXPECT_NEAR(int(grey->mBits[4] & 0xFF), 200, 6);

    ImagePtr colour(ImageLib::LoadJPEGImage(dir.File("rgb.jpg")));
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(colour->mBits[5] >> 24, 0xFFu);
    EXPECT_NEAR(int((colour->mBits[5] >> 16) & 0xFF), 200, 4);
    EXPECT_NEAR(int((colour->mBits[5] >> 8) & 0xFF), 40, 4);
    EXPECT_NEAR(int(colour->mBits[5] & 0xFF), 90, 4);

    ImagePtr converted(ImageLib::LoadJPEGImage(dir.File("cmyk.jpg")));
    ASSERT_NE(converted, nullptr);
    ASSERT_EQ(converted->mWidth, 8);
    for (int x = 0; x < 8; x++) {
        uint32_t top = converted->mBits[x], bottom = converted->mBits[8 + x];
        EXPECT_GE(top & 0xFF, 0xF0u) << x;
        EXPECT_GE((top >> 16) & 0xFF, 0xF0u) << x;
        EXPECT_LE(bottom & 0xFF, 0x10u) << x;
        EXPECT_LE((bottom >> 16) & 0xFF, 0x10u) << x;
        EXPECT_EQ(bottom >> 24, 0xFFu);
    }
}

TEST(ImageLibTest, BrokenJpegs)
{
    quortest::TempDir dir;
    std::vector<uint8_t> rgb(32 * 32 * 3);
    for (size_t i = 0; i < rgb.size(); i++)
        rgb[i] = uint8_t(i * 7);
    WriteJpeg(dir.File("good.jpg"), 32, 32, JCS_RGB, 3, rgb);
    std::vector<uint8_t> good = quortest::ReadFile(dir.File("good.jpg"));

    quortest::WriteFile(dir.File("empty.jpg"), std::vector<uint8_t>{});
    quortest::WriteFile(dir.File("garbage.jpg"), std::vector<uint8_t>(100, 0x42));
    // Cut in the middle of the picture data: the rest reads as the end of the picture.
    quortest::WriteFile(dir.File("cut.jpg"),
                        std::vector<uint8_t>(good.begin(), good.begin() + long(good.size() * 3 / 4)));

    EXPECT_EQ(ImagePtr(ImageLib::LoadJPEGImage(dir.File("empty.jpg"))), nullptr);
    EXPECT_EQ(ImagePtr(ImageLib::LoadJPEGImage(dir.File("garbage.jpg"))), nullptr);
    ImagePtr cut(ImageLib::LoadJPEGImage(dir.File("cut.jpg")));
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(cut->mWidth, 32);
}

// ---------------------------------------------------------------------------------------------
// Writers

TEST(ImageLibTest, WritersRoundTripAndNeverLeaveAPartialFile)
{
    quortest::TempDir dir;
    ImageLib::Image image;
    image.mWidth = 5;
    image.mHeight = 3;
    image.mBits = new uint32_t[15];
    for (uint32_t i = 0; i < 15; i++)
        image.mBits[i] = (i * 17) << 24 | (i * 0x0A0B0C);

    ASSERT_TRUE(ImageLib::WritePNGImage(dir.File("out.png"), &image));
    ImagePtr back(ImageLib::LoadPNGImage(dir.File("out.png")));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(PixelsOf(*back), PixelsOf(image));

    for (uint32_t i = 0; i < 15; i++)
        image.mBits[i] = 0x10000000 | 0x00C08040;
    ASSERT_TRUE(ImageLib::WriteJPEGImage(dir.File("out.jpg"), &image));
    ImagePtr jpeg(ImageLib::LoadJPEGImage(dir.File("out.jpg")));
    ASSERT_NE(jpeg, nullptr);
    EXPECT_EQ(jpeg->mWidth, 5);
    EXPECT_EQ(jpeg->mBits[7] >> 24, 0xFFu);  // alpha dropped
    EXPECT_NEAR(int((jpeg->mBits[7] >> 16) & 0xFF), 0xC0, 4);
    EXPECT_NEAR(int(jpeg->mBits[7] & 0xFF), 0x40, 4);

    // Failures: no folder, a folder in the way, no pixels. Nothing is left behind, and an
    // existing file is not replaced by a failed write.
    EXPECT_FALSE(ImageLib::WritePNGImage(dir.File("missing/out.png"), &image));
    std::filesystem::create_directories(dir.Path() / "taken.png");
    quortest::WriteFile(dir.File("taken.png/inner"), std::string("x"));
    EXPECT_FALSE(ImageLib::WritePNGImage(dir.File("taken.png"), &image));
    EXPECT_FALSE(ImageLib::WriteJPEGImage(dir.File("taken.png"), &image));
    ImageLib::Image empty;
    EXPECT_FALSE(ImageLib::WritePNGImage(dir.File("out.png"), &empty));
    EXPECT_FALSE(ImageLib::WriteJPEGImage(dir.File("new.jpg"), &empty));
    EXPECT_FALSE(std::filesystem::exists(dir.File("new.jpg")));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"out.jpg", "out.png", "taken.png"}));
    ImagePtr still(ImageLib::LoadPNGImage(dir.File("out.png")));
    ASSERT_NE(still, nullptr);
    EXPECT_EQ(still->mWidth, 5);
}

// ---------------------------------------------------------------------------------------------
// JPEG-2000

uint32_t J2KFixturePixel(int x, int y, int comps)
{
    uint32_t r = uint32_t((x * 50 + y * 7) & 255);
    if (comps == 1)
        return 0xFF000000 | r << 16 | r << 8 | r;
    uint32_t g = uint32_t((y * 80 + 3) & 255), b = uint32_t((x * y * 13 + 100) & 255);
    return 0xFF000000 | r << 16 | g << 8 | b;
}

TEST(ImageLibTest, J2KNeedsTheCodecLibrary)
{
    quortest::TempDir dir;
    quortest::WriteFile(dir.File("rgb.j2k"), quortest::ReadFile(quortest::DataFile("images/rgb.j2k")));
    ImageLib::FreeJ2KCodecLibrary();
    EXPECT_EQ(Load(dir.File("rgb.j2k"), false), nullptr);
    EXPECT_EQ(Load(dir.File("rgb"), false), nullptr);

    ImageLib::LoadJ2KCodecLibrary();
    struct Case {
        const char* file;
        int width, height, comps;
    } cases[] = {{"images/rgb.j2k", 5, 3, 3}, {"images/rgba.jp2", 6, 4, 4}, {"images/grey.j2k", 7, 2, 1}};
    for (const Case& c : cases) {
        ImagePtr image = Load(quortest::DataFile(c.file), false);
        ASSERT_NE(image, nullptr) << c.file;
        ASSERT_EQ(image->mWidth, c.width);
        ASSERT_EQ(image->mHeight, c.height);
        // Lossless fixtures; the alpha byte is always opaque.
        for (int y = 0; y < c.height; y++)
            for (int x = 0; x < c.width; x++)
                EXPECT_EQ(image->mBits[y * c.width + x], J2KFixturePixel(x, y, c.comps))
                    << c.file << " " << x << "," << y;
    }
    ImagePtr byName = Load(dir.File("rgb"), false);  // found as rgb.j2k
    ASSERT_NE(byName, nullptr);

    std::vector<uint8_t> bytes = quortest::ReadFile(quortest::DataFile("images/rgb.j2k"));
    bytes.resize(bytes.size() / 2);
    quortest::WriteFile(dir.File("cut.j2k"), bytes);
    quortest::WriteFile(dir.File("junk.jp2"), std::vector<uint8_t>(64, 0x11));
    EXPECT_EQ(Load(dir.File("junk.jp2"), false), nullptr);
    ImagePtr cut = Load(dir.File("cut.j2k"), false);  // may decode partly; must not crash
    ImageLib::FreeJ2KCodecLibrary();
}

// ---------------------------------------------------------------------------------------------
// GIF

const std::vector<uint32_t> kGifColors = {0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF};

TEST(ImageLibTest, GifContainer)
{
    quortest::TempDir dir;
    const std::vector<int> codes = LiteralCodes(2, {0, 1, 2, 3, 3, 2});
    const std::vector<uint32_t> expected = {0xFF000000, 0xFFFF0000, 0xFF00FF00,
                                            0xFF0000FF, 0xFF0000FF, 0xFF00FF00};
    struct Case {
        const char* name;
        GifBuilder gif;
        std::vector<uint32_t> pixels;  // empty: refused
    };
    auto base = [&](const char* sig) { return GifBuilder(sig).GlobalTable(1, kGifColors); };
    const Case cases[] = {
        {"89a", base("GIF89a").Picture(3, 2, 2, codes).Trailer(), expected},
        {"87a", base("GIF87a").Picture(3, 2, 2, codes).Trailer(), expected},
        {"90a", base("GIF90a").Picture(3, 2, 2, codes).Trailer(), {}},
        {"comment and application extensions",
         base("GIF89a")
             .Extension(0xFE, {{'h', 'i'}})
             .Extension(0xFF, {{'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'}, {1, 0, 0}})
             .Extension(0x01, {std::vector<uint8_t>(12, 0)})
             .Picture(3, 2, 2, codes),
         expected},
        {"two pictures",
         base("GIF89a").Picture(3, 2, 2, codes).Picture(3, 2, 2, LiteralCodes(2, {1, 1, 1, 1, 1, 1})),
         expected},
        {"local table wins", base("GIF89a").Picture(3, 2, 2, codes, false, 1,
                                                    {0xFF111111, 0xFF222222, 0xFF333333, 0xFF444444}),
         {0xFF111111, 0xFF222222, 0xFF333333, 0xFF444444, 0xFF444444, 0xFF333333}},
        {"transparent index",
         base("GIF89a").Transparent(2).Picture(3, 2, 2, codes),
         {0xFF000000, 0xFFFF0000, 0, 0xFF0000FF, 0xFF0000FF, 0}},
        {"a later control block without the flag keeps the index",
         base("GIF89a").Transparent(2).Extension(0xF9, {{0, 0, 0, 1}}).Picture(3, 2, 2, codes),
         {0xFF000000, 0xFFFF0000, 0, 0xFF0000FF, 0xFF0000FF, 0}},
        {"indexes beyond the palette are transparent black",
         GifBuilder("GIF89a").GlobalTable(0, {0xFF123456, 0xFF654321}).Picture(3, 2, 2, codes),
         {0xFF123456, 0xFF654321, 0, 0, 0, 0}},
        {"no colour table at all", GifBuilder("GIF89a").Picture(3, 2, 2, codes),
         {0, 0, 0, 0, 0, 0}},
        {"trailer before a picture", base("GIF89a").Trailer(), {}},
        {"end of file before a picture", base("GIF89a").Extension(0xFE, {{'x'}}), {}},
        {"zero width", base("GIF89a").Picture(0, 2, 2, codes), {}},
        {"beyond the size cap", base("GIF89a").Picture(40000, 1, 2, codes), {}},
        {"code size 0", base("GIF89a").Picture(3, 2, 0, {}), {}},
        {"code size 12", base("GIF89a").Picture(3, 2, 12, {}), {}},
    };
    int n = 0;
    for (const Case& c : cases) {
        std::string path = dir.File("case" + std::to_string(n++) + ".gif");
        WriteGif(path, c.gif);
        ImagePtr image(ImageLib::LoadGIFImage(path));
        if (c.pixels.empty()) {
            EXPECT_EQ(image, nullptr) << c.name;
            continue;
        }
        ASSERT_NE(image, nullptr) << c.name;
        EXPECT_EQ(image->mWidth, 3) << c.name;
        EXPECT_EQ(PixelsOf(*image), c.pixels) << c.name;
    }
}

TEST(ImageLibTest, GifLzwAndInterlacing)
{
    quortest::TempDir dir;
    // Interlaced, height 3: the rows arrive as 0, 2, 1.
    WriteGif(dir.File("interlaced.gif"),
             GifBuilder().GlobalTable(1, kGifColors).Picture(2, 3, 2, LiteralCodes(2, {1, 1, 2, 2, 3, 3}), true));
    ImagePtr interlaced(ImageLib::LoadGIFImage(dir.File("interlaced.gif")));
    ASSERT_NE(interlaced, nullptr);
    EXPECT_EQ(PixelsOf(*interlaced), (std::vector<uint32_t>{0xFFFF0000, 0xFFFF0000, 0xFF0000FF,
                                                            0xFF0000FF, 0xFF00FF00, 0xFF00FF00}));

    // Table codes, including the code that is being defined (KwKwK): 1, 1 | 6 = "1 1", 7 = "1 1 1".
    WriteGif(dir.File("table.gif"),
             GifBuilder().GlobalTable(1, kGifColors).Picture(7, 1, 2, {4, 1, 6, 7, 5}));
    ImagePtr table(ImageLib::LoadGIFImage(dir.File("table.gif")));
    ASSERT_NE(table, nullptr);
    std::vector<uint32_t> red(6, 0xFFFF0000);
    red.push_back(0);
    EXPECT_EQ(PixelsOf(*table), red);

    // Data that stops after a row and a half: the decoded rows stay, the rest is clear.
    GifBuilder cut;
    cut.GlobalTable(1, kGifColors).Picture(4, 3, 2, LiteralCodes(2, {1, 1, 1, 1, 2, 2}, false));
    WriteGif(dir.File("cut.gif"), cut);
    ImagePtr partial(ImageLib::LoadGIFImage(dir.File("cut.gif")));
    ASSERT_NE(partial, nullptr);
    std::vector<uint32_t> expected(12, 0);
    for (int i = 0; i < 4; i++)
        expected[size_t(i)] = 0xFFFF0000;
    expected[4] = expected[5] = 0xFF00FF00;
    EXPECT_EQ(PixelsOf(*partial), expected);

    // Invalid codes end the decoding: a code beyond the next free one, a table code first.
    WriteGif(dir.File("beyond.gif"),
             GifBuilder().GlobalTable(1, kGifColors).Picture(3, 1, 2, {4, 3, 7, 1, 1}));
    EXPECT_EQ(PixelsOf(*ImagePtr(ImageLib::LoadGIFImage(dir.File("beyond.gif")))),
              (std::vector<uint32_t>{0xFF0000FF, 0, 0}));
    WriteGif(dir.File("tablefirst.gif"),
             GifBuilder().GlobalTable(1, kGifColors).Picture(3, 1, 2, {4, 6, 1, 1}));
    EXPECT_EQ(PixelsOf(*ImagePtr(ImageLib::LoadGIFImage(dir.File("tablefirst.gif")))),
              (std::vector<uint32_t>{0, 0, 0}));

    // Without a clear code the table fills at 4096 entries: the next code ends the decoding.
    std::vector<int> indexes(5000, 3);
    WriteGif(dir.File("full.gif"),
             GifBuilder().GlobalTable(1, kGifColors).Picture(100, 50, 2, LiteralCodes(2, indexes)));
    ImagePtr full(ImageLib::LoadGIFImage(dir.File("full.gif")));
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(full->mBits[4090], 0xFF0000FFu);
    EXPECT_EQ(full->mBits[4091], 0u);
    EXPECT_EQ(full->mBits[4999], 0u);

    // 8-bit roots, with clear codes keeping the table short.
    std::vector<int> codes;
    std::vector<uint32_t> colors(256), wide;
    for (int i = 0; i < 256; i++)
        colors[size_t(i)] = 0xFF000000 | uint32_t(i * 0x010101);
    for (int i = 0; i < 600; i++) {
        if (i % 200 == 0)
            codes.push_back(256);
        codes.push_back((i * 37) & 255);
        wide.push_back(colors[size_t((i * 37) & 255)]);
    }
    codes.push_back(257);
    WriteGif(dir.File("wide.gif"), GifBuilder().GlobalTable(7, colors).Picture(600, 1, 8, codes));
    ImagePtr wideImage(ImageLib::LoadGIFImage(dir.File("wide.gif")));
    ASSERT_NE(wideImage, nullptr);
    EXPECT_EQ(PixelsOf(*wideImage), wide);
}

} // namespace
