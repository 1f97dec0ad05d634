// Memory image: pixel forms, palette, derived run data, alpha flags, change count, copies.
#include "graphics/MemoryImage.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Quor;

namespace {

std::vector<uint32_t> Pixels(const std::vector<uint32_t>& alphas)
{
    std::vector<uint32_t> out;
    for (uint32_t a : alphas)
        out.push_back(a << 24 | 0x00406080);
    return out;
}

std::vector<uint8_t> Bytes(const uint8_t* data, size_t n)
{
    return std::vector<uint8_t>(data, data + n);
}

TEST(MemoryImageTest, RLAlphaRuns)
{
    struct Case {
        const char* name;
        int width, height;
        std::vector<uint32_t> alphas;
        std::vector<uint8_t> expected;
    };
    std::vector<uint8_t> long300(46, 255);
    for (int i = 254; i >= 1; i--)
        long300.push_back(static_cast<uint8_t>(i));
    const Case cases[] = {
        {"opaque then clear", 3, 1, {255, 255, 0}, {2, 1, 1}},
        {"all clear", 3, 1, {0, 0, 0}, {3, 2, 1}},
        {"three classes", 5, 1, {0, 128, 1, 255, 254}, {1, 2, 1, 1, 1}},
        {"runs stop at the row end", 3, 2, {255, 255, 0, 0, 128, 255}, {2, 1, 1, 1, 1, 1}},
        {"one pixel wide", 1, 4, {0, 0, 255, 255}, {1, 1, 1, 1}},
        {"capped at 255", 300, 1, std::vector<uint32_t>(300, 255), long300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryImage image(nullptr);
        std::vector<uint32_t> pixels = Pixels(c.alphas);
        image.SetBits(pixels.data(), c.width, c.height);
        const uint8_t* runs = image.GetRLAlphaData();
        ASSERT_NE(runs, nullptr);
        EXPECT_EQ(Bytes(runs, c.expected.size()), c.expected);
    }
}

TEST(MemoryImageTest, RLAlphaIsTheSameFromEveryPixelForm)
{
    std::vector<uint32_t> pixels = Pixels({0, 0, 255, 128, 128, 255});
    MemoryImage fromBits(nullptr);
    fromBits.SetBits(pixels.data(), 6, 1);
    std::vector<uint8_t> expected = Bytes(fromBits.GetRLAlphaData(), 6);

    MemoryImage fromPalette(nullptr);
    fromPalette.SetBits(pixels.data(), 6, 1);
    ASSERT_TRUE(fromPalette.Palletize());
    EXPECT_EQ(Bytes(fromPalette.GetRLAlphaData(), 6), expected);
    EXPECT_EQ(fromPalette.mBits, nullptr);

    MemoryImage fromNative(nullptr);
    fromNative.SetBits(pixels.data(), 6, 1);
    fromNative.PurgeBits();
    ASSERT_EQ(fromNative.mBits, nullptr);
    ASSERT_NE(fromNative.mNativeAlphaData, nullptr);
    EXPECT_EQ(Bytes(fromNative.GetRLAlphaData(), 6), expected);
    EXPECT_EQ(fromNative.mBits, nullptr);
}

TEST(MemoryImageTest, RLAdditiveRuns)
{
    // A fully transparent pixel is premultiplied to black whatever its colour bits.
    std::vector<uint32_t> pixels = {0xFF000000, 0x00FFFFFF, 0xFF010000, 0x80FFFFFF, 0xFFFFFFFF};
    MemoryImage image(nullptr);
    image.SetBits(pixels.data(), 5, 1);
    EXPECT_EQ(Bytes(image.GetRLAdditiveData(nullptr), 5), (std::vector<uint8_t>{2, 1, 3, 2, 1}));

    MemoryImage palette(nullptr);
    palette.SetBits(pixels.data(), 5, 1);
    ASSERT_TRUE(palette.Palletize());
    EXPECT_EQ(Bytes(palette.GetRLAdditiveData(nullptr), 5), (std::vector<uint8_t>{2, 1, 3, 2, 1}));

    MemoryImage column(nullptr);
    std::vector<uint32_t> col = {0xFF000000, 0xFF000000, 0xFFFFFFFF};
    column.SetBits(col.data(), 1, 3);
    EXPECT_EQ(Bytes(column.GetRLAdditiveData(nullptr), 3), (std::vector<uint8_t>{1, 1, 1}));

    MemoryImage wide(nullptr);
    std::vector<uint32_t> row(256, 0xFF102030);
    wide.SetBits(row.data(), 256, 1);
    const uint8_t* runs = wide.GetRLAdditiveData(nullptr);
    EXPECT_EQ(runs[0], 255);
    EXPECT_EQ(runs[1], 255);
    EXPECT_EQ(runs[2], 254);
    EXPECT_EQ(runs[255], 1);
}

TEST(MemoryImageTest, NativeAlphaPremultipliesAndGetBitsUndoesIt)
{
    std::vector<uint32_t> pixels = {0xFF123456, 0x00FFFFFF, 0x80FF8040};
    MemoryImage image(nullptr);
    image.SetBits(pixels.data(), 3, 1);
    const uint32_t* native = image.GetNativeAlphaData(nullptr);
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(native[0], 0xFF123456u);  // opaque: unchanged
    EXPECT_EQ(native[1], 0x00000000u);  // transparent: black
    EXPECT_EQ(native[2], 0x80804020u);  // channels times 129 / 256
    EXPECT_EQ(image.GetNativeAlphaData(nullptr), native);  // cached

    // Rebuilding the pixels from NativeAlpha alone: exact for opaque pixels, approximate else.
    image.PurgeBits();
    ASSERT_EQ(image.mBits, nullptr);
    const uint32_t* bits = image.GetBits();
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(bits[0], 0xFF123456u);
    EXPECT_EQ(bits[1], 0x00000000u);
    EXPECT_EQ(bits[2] >> 24, 0x80u);
    EXPECT_NEAR(static_cast<int>((bits[2] >> 16) & 0xFF), 0xFF, 2);
    EXPECT_NEAR(static_cast<int>((bits[2] >> 8) & 0xFF), 0x80, 2);
    EXPECT_NEAR(static_cast<int>(bits[2] & 0xFF), 0x40, 2);
    EXPECT_EQ(bits[3], MEMORYIMAGE_SENTINEL);
    EXPECT_NE(image.mNativeAlphaData, nullptr);  // NativeAlpha stays
}

TEST(MemoryImageTest, PalletizeKeepsAtMost256Colours)
{
    std::vector<uint32_t> pixels;
    for (uint32_t i = 0; i < 256; i++)
        pixels.push_back(0xFF000000 | ((255 - i) * 0x010101));  // descending values
    pixels.push_back(pixels[7]);

    MemoryImage image(nullptr);
    image.SetBits(pixels.data(), 257, 1);
    ASSERT_TRUE(image.Palletize());
    EXPECT_TRUE(image.mWantPalette);
    EXPECT_EQ(image.mBits, nullptr);
    ASSERT_NE(image.mPaletteColors, nullptr);
    // Colours in order of first appearance; pixel 0 has index 0.
    for (int i = 0; i < 256; i++) {
        EXPECT_EQ(image.mPaletteColors[i], pixels[static_cast<size_t>(i)]);
        EXPECT_EQ(image.mPaletteIndices[i], i);
    }
    EXPECT_EQ(image.mPaletteIndices[256], 7);

    uint32_t* table = image.mPaletteColors;
    EXPECT_TRUE(image.Palletize());  // already palletized: unchanged
    EXPECT_EQ(image.mPaletteColors, table);

    // Back to 32-bit pixels: the table look-ups, and the palette form is gone.
    const uint32_t* bits = image.GetBits();
    EXPECT_EQ(std::vector<uint32_t>(bits, bits + 257), pixels);
    EXPECT_EQ(bits[257], MEMORYIMAGE_SENTINEL);
    EXPECT_EQ(image.mPaletteColors, nullptr);
    EXPECT_EQ(image.mPaletteIndices, nullptr);

    pixels.push_back(0xFF000001);  // a 257th distinct value
    MemoryImage tooMany(nullptr);
    tooMany.SetBits(pixels.data(), 258, 1);
    tooMany.mWantPalette = true;
    EXPECT_FALSE(tooMany.Palletize());
    EXPECT_FALSE(tooMany.mWantPalette);
    EXPECT_EQ(tooMany.mPaletteColors, nullptr);
    ASSERT_NE(tooMany.mBits, nullptr);
    EXPECT_EQ(tooMany.mBits[257], 0xFF000001u);
}

TEST(MemoryImageTest, AlphaFlags)
{
    struct Case {
        std::vector<uint32_t> alphas;
        bool trans, alpha;
    };
    const Case cases[] = {
        {{255, 255}, false, false}, {{0, 255}, true, false}, {{1, 255}, false, true},
        {{0, 254}, true, true},
    };
    for (const Case& c : cases) {
        MemoryImage image(nullptr);
        std::vector<uint32_t> pixels = Pixels(c.alphas);
        image.SetBits(pixels.data(), 2, 1, true);
        EXPECT_EQ(image.mHasTrans, c.trans);
        EXPECT_EQ(image.mHasAlpha, c.alpha);
        EXPECT_FALSE(image.mBitsChangedSinceScan);
    }

    // Forced flags survive a rescan.
    MemoryImage forced(nullptr);
    std::vector<uint32_t> pixels = Pixels({0, 128});
    forced.SetBits(pixels.data(), 2, 1, false);
    forced.SetAlphaFlags(false, false);
    forced.RescanAlphaFlags();
    EXPECT_FALSE(forced.mHasTrans);
    EXPECT_FALSE(forced.mHasAlpha);

    // No pixel form at all: transparent, not translucent.
    MemoryImage empty(nullptr);
    empty.mHasAlpha = true;
    empty.BitsChanged();
    empty.RescanAlphaFlags();
    EXPECT_TRUE(empty.mHasTrans);
    EXPECT_FALSE(empty.mHasAlpha);
}

TEST(MemoryImageTest, SetBitsCreateClearAndTheChangeCount)
{
    MemoryImage image(nullptr);
    std::vector<uint32_t> pixels = {1, 2, 3, 4, 5, 6};
    image.SetBits(pixels.data(), 3, 2);
    EXPECT_EQ(image.mWidth, 3);
    EXPECT_EQ(image.mHeight, 2);
    EXPECT_EQ(image.mBits[6], MEMORYIMAGE_SENTINEL);
    int count = image.mChangeCount;
    image.GetRLAlphaData();

    image.SetBits(image.mBits, 3, 2);  // its own buffer: nothing at all
    EXPECT_EQ(image.mChangeCount, count);
    EXPECT_NE(image.mRLAlphaData, nullptr);

    image.BitsChanged();
    EXPECT_EQ(image.mChangeCount, count + 1);
    EXPECT_EQ(image.mRLAlphaData, nullptr);

    image.Create(4, 5);
    EXPECT_TRUE(image.mHasTrans);
    EXPECT_TRUE(image.mHasAlpha);
    EXPECT_EQ(image.mBits, nullptr);
    const uint32_t* bits = image.GetBits();
    ASSERT_NE(bits, nullptr);
    for (int i = 0; i < 20; i++)
        EXPECT_EQ(bits[i], 0u);
    EXPECT_EQ(bits[20], MEMORYIMAGE_SENTINEL);

    image.mBits[3] = 0xFFFFFFFF;
    count = image.mChangeCount;
    image.Clear();
    EXPECT_EQ(image.mBits[3], 0u);
    EXPECT_EQ(image.mChangeCount, count + 1);
}

TEST(MemoryImageTest, CreateDropsAPaletteOfAnotherSize)
{
    std::vector<uint32_t> pixels = {0xFF0000FF, 0xFF00FF00};
    MemoryImage image(nullptr);
    image.SetBits(pixels.data(), 2, 1);
    ASSERT_TRUE(image.Palletize());
    image.Create(64, 64);
    EXPECT_EQ(image.mPaletteColors, nullptr);
    const uint32_t* bits = image.GetBits();
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(bits[64 * 64 - 1], 0u);
    EXPECT_EQ(bits[64 * 64], MEMORYIMAGE_SENTINEL);

    // Same size: the palette form stays and gives the pixels.
    MemoryImage same(nullptr);
    same.SetBits(pixels.data(), 2, 1);
    ASSERT_TRUE(same.Palletize());
    same.Create(2, 1);
    EXPECT_EQ(same.GetBits()[1], 0xFF00FF00u);
}

TEST(MemoryImageTest, CopiesOwnTheirBuffersAndLeaveTheSourceAsItWas)
{
    std::vector<uint32_t> pixels = {0xFF112233, 0x80445566, 0x00000000, 0xFFFFFFFF};
    MemoryImage source(nullptr);
    source.SetBits(pixels.data(), 2, 2);
    source.PurgeBits();  // NativeAlpha only
    ASSERT_EQ(source.mBits, nullptr);
    uint32_t* native = source.mNativeAlphaData;

    MemoryImage copy(source);
    EXPECT_EQ(source.mBits, nullptr);
    EXPECT_EQ(source.mNativeAlphaData, native);
    ASSERT_NE(copy.mBits, nullptr);
    EXPECT_EQ(copy.mBits[0], 0xFF112233u);
    EXPECT_EQ(copy.mBits[4], MEMORYIMAGE_SENTINEL);
    ASSERT_NE(copy.mNativeAlphaData, nullptr);
    EXPECT_NE(copy.mNativeAlphaData, native);
    EXPECT_EQ(copy.mWidth, 2);
    EXPECT_TRUE(copy.mPurgeBits);

    MemoryImage palette(nullptr);
    palette.SetBits(pixels.data(), 2, 2);
    ASSERT_TRUE(palette.Palletize());
    palette.GetNativeAlphaData(nullptr);  // the converted colour table
    MemoryImage paletteCopy(palette);
    EXPECT_EQ(paletteCopy.mBits, nullptr);
    ASSERT_NE(paletteCopy.mPaletteColors, nullptr);
    EXPECT_EQ(paletteCopy.GetBits()[1], 0x80445566u);
}

TEST(MemoryImageTest, DerivedDataIsDroppedOnRequest)
{
    std::vector<uint32_t> pixels = {0xFF112233, 0x80445566};
    MemoryImage image(nullptr);
    image.SetBits(pixels.data(), 2, 1);
    image.GetRLAlphaData();
    image.GetRLAdditiveData(nullptr);
    image.DeleteNativeAndAdditiveData();
    EXPECT_EQ(image.mNativeAlphaData, nullptr);
    EXPECT_EQ(image.mRLAdditiveData, nullptr);
    EXPECT_NE(image.mRLAlphaData, nullptr);

    // With only NativeAlpha left, dropping derived data first rebuilds the pixels.
    image.PurgeBits();
    ASSERT_EQ(image.mBits, nullptr);
    image.DeleteDerivedData();
    EXPECT_EQ(image.mNativeAlphaData, nullptr);
    EXPECT_EQ(image.mRLAlphaData, nullptr);
    ASSERT_NE(image.mBits, nullptr);
    EXPECT_EQ(image.mBits[0], 0xFF112233u);
}

TEST(MemoryImageTest, LoadOptionsPalletizeThenPurge)
{
    std::vector<uint32_t> pixels = {0xFF112233, 0xFF445566, 0xFF112233};
    MemoryImage image(nullptr);
    image.SetBits(pixels.data(), 3, 1);
    image.mWantPalette = true;
    image.mPurgeBits = true;
    image.ApplyLoadOptions();
    EXPECT_EQ(image.mBits, nullptr);
    ASSERT_NE(image.mPaletteColors, nullptr);
    ASSERT_NE(image.mNativeAlphaData, nullptr);  // the converted colour table
    EXPECT_EQ(image.mNativeAlphaData[1], 0xFF445566u);
    EXPECT_EQ(image.GetBits()[2], 0xFF112233u);
}

} // namespace

#include "app/QuorAppBase.h"

namespace {

TEST(MemoryImageTest, RegistersWithItsApplication)
{
    QuorAppBase app;
    ASSERT_EQ(gQuorAppBase, &app);
    size_t before = app.mMemoryImageSet.size();
    {
        MemoryImage forApp(&app);
        MemoryImage forProgram;  // the program-wide application
        MemoryImage copy(forApp);
        EXPECT_EQ(forProgram.mApp, &app);
        EXPECT_EQ(copy.mApp, &app);
        EXPECT_EQ(app.mMemoryImageSet.size(), before + 3);
        EXPECT_EQ(app.mMemoryImageSet.count(&copy), 1u);
    }
    EXPECT_EQ(app.mMemoryImageSet.size(), before);
}

} // namespace
