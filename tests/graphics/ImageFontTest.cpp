// Font descriptors and the image font, on a small glyph strip and descriptors made by the test.
#include "graphics/ImageFont.h"

#include "app/QuorAppBase.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ImageLib.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace Quor;
using quortest::TempDir;
using quortest::WriteFile;

namespace {

// Popups are recorded; shared images are loaded straight from the file.
class FontTestApp : public QuorAppBase {
public:
    std::vector<std::string> mPopups;
    std::vector<std::unique_ptr<MemoryImage>> mImages;

    void Popup(const std::string& text) override { mPopups.push_back(text); }
    SharedImageHandle GetSharedImage(const std::string& fileName, const std::string&,
                                     bool* created) override
    {
        if (created)
            *created = true;
        SharedImageHandle aHandle;
        std::unique_ptr<ImageLib::Image> aFile(ImageLib::GetImage(fileName, false));
        if (!aFile)
            return aHandle;
        auto anImage = std::make_unique<MemoryImage>(this);
        anImage->SetBits(aFile->GetBits(), aFile->GetWidth(), aFile->GetHeight());
        aHandle = anImage.get();
        mImages.push_back(std::move(anImage));
        return aHandle;
    }
};

// Glyphs A (4 wide), V (4), b (3) and x (2), 5 high, opaque white but for a transparent
// top-left pixel each.
void WriteGlyphStrip(const std::string& path)
{
    std::unique_ptr<ImageLib::Image> anImage(ImageLib::AllocImage(13, 5));
    const int starts[] = {0, 4, 8, 11};
    for (int y = 0; y < 5; y++)
        for (int x = 0; x < 13; x++) {
            bool corner = false;
            for (int s : starts)
                corner = corner || (x == s && y == 0);
            anImage->GetBits()[y * 13 + x] = corner ? 0u : 0xFFFFFFFFu;
        }
    ASSERT_TRUE(ImageLib::WritePNGImage(path, anImage.get()));
}

const char* const kMainLayer = R"(
Define Rects ((0 0 4 5) (4 0 4 5) (8 0 3 5) (11 0 2 5));
CreateLayer Main;
LayerSetImage Main 'glyphs.png';
LayerSetImageMap Main ('A' 'V' 'b' 'x') Rects;
LayerSetCharWidths Main ('A' 'V' 'b' 'x' ' ') (5 5 4 3 3);
LayerSetAscent Main 5;
LayerSetKerningPairs Main ('AV') (-2);
LayerSetSpacing Main 1;
SetDefaultPointSize 10;
)";

class ImageFontTest : public ::testing::Test {
protected:
    TempDir mDir;
    FontTestApp mApp;

    void SetUp() override { WriteGlyphStrip(mDir.File("glyphs.png")); }

    std::string Descriptor(const std::string& text, const std::string& name = "font.txt")
    {
        WriteFile(mDir.File(name), text);
        return mDir.File(name);
    }
    // Loads a descriptor and returns the popups it raised.
    std::vector<std::string> Load(const std::string& text, bool* loaded = nullptr)
    {
        mApp.mPopups.clear();
        FontData* aData = new FontData();
        aData->AddRef();
        aData->Load(&mApp, Descriptor(text));
        if (loaded)
            *loaded = aData->mInitialized;
        aData->Release();
        return mApp.mPopups;
    }
};

// The destination pixels as letters: '.' the blue background, R red, K black, W white.
// (The colourising blitter turns a white pixel drawn in pure red into 0xFFFD0000.)
std::string Art(MemoryImage& theImage)
{
    std::string out;
    const uint32_t* bits = theImage.GetBits();
    for (int y = 0; y < theImage.GetHeight(); y++) {
        for (int x = 0; x < theImage.GetWidth(); x++) {
            switch (bits[y * theImage.GetWidth() + x]) {
            case 0xFF0000FF: out += '.'; break;
            case 0xFFFD0000: out += 'R'; break; // white glyph pixels colourised red
            case 0xFF000000: out += 'K'; break;
            case 0xFFFFFFFF: out += 'W'; break;
            default: out += '?';
            }
        }
        out += '\n';
    }
    return out;
}

// A destination that records every blit instead of drawing.
struct BltRecord {
    Rect mSrc;
    int mX, mY;
    Color mColor;
    int mMode;
};
class RecordingImage : public Image {
public:
    std::vector<BltRecord> mBlts;
    RecordingImage()
    {
        mWidth = 100000;
        mHeight = 1000;
    }
    void Blt(Image*, int x, int y, const Rect& src, const Color& color, int mode) override
    {
        mBlts.push_back({src, x, y, color, mode});
    }
};

} // namespace

TEST_F(ImageFontTest, DescriptorErrors)
{
    const std::string head = "CreateLayer L; LayerSetImage L glyphs.png;\n";
    struct Case {
        std::string text;
        std::vector<std::string> messages; // popups, without heading and command
        bool loaded;
    } cases[] = {
        {head + "layersetascent l 3; LAYERSETHEIGHT L 7;", {}, true},
        {head + "Bogus 1;", {"Unknown Command"}, false},
        {head + "LayerSetAscent L;", {"Invalid Number of Parameters"}, false},
        {head + "LayerSetAscent Q 3;", {"Undefined Layer", "Invalid Paramater Type"}, false},
        {head + "LayerSetDrawMode L 2;", {"Invalid Paramater Type"}, false},
        {head + "LayerSetDrawMode L -1;", {"Invalid Paramater Type"}, false},
        {head + "LayerSetDrawMode L 1;", {}, true},
        {head + "Define Size 12; SetDefaultPointSize Size;", {"Invalid Paramater Type"}, false},
        {head + "Define Size 12; LayerSetOffset L (Size 1);", {}, true},
        {head + "Define 3x 12;", {"Invalid Paramater Type"}, false},
        {head + "LayerSetCharWidths L ('A' 'b') (1);", {"List Size Mismatch"}, false},
        {head + "LayerSetCharWidths L ('A' 'bc') (1 2);", {"Invalid Paramater Type"}, false},
        {head + "LayerSetImageMap L ('A' 'b') ((9 0 4 5) (0 0 1 1));", {}, true},
        {head + "LayerSetImageMap L ('A') ((10 0 4 5));", {"Image rectangle out of bounds"}, false},
        {head + "LayerSetImageMap L ('A') ((0 1 4 5));", {"Image rectangle out of bounds"}, false},
        {head + "LayerSetImageMap L ('A') ((-1 0 4 5));", {"Image rectangle out of bounds"}, false},
        {head + "LayerSetImageMap L ('A') ((5 0 -4 5));", {"Image rectangle out of bounds"}, false},
        {head + "LayerSetImageMap L ('A') ((0 0 4));", {"Invalid Paramater Type"}, false},
        {"CreateLayer L; LayerSetImageMap L ('A') ((0 0 1 1));", {"Layer image not set"}, false},
        {"CreateLayer L; LayerSetImage L missing.png;", {"Failed to Load Image"}, false},
        {"CreateLayer L; CreateLayer l; LayerSetAscent L 1;", {"Layer Already Exists"}, true},
        {head + "LayerSetColorMult L (1 0.5 0);", {"Invalid Paramater Type"}, false},
        {head + "LayerSetOffset L (1 2 3);", {"Invalid Paramater Type"}, false},
        {head + "LayerSetKerningPairs L ('AVX' 'Ab') (1 2);", {"Invalid Paramater Type"}, false},
    };
    for (const Case& c : cases) {
        bool loaded = false;
        std::vector<std::string> popups = Load(c.text, &loaded);
        EXPECT_EQ(loaded, c.loaded) << c.text;
        ASSERT_EQ(popups.size(), c.messages.size()) << c.text << (popups.empty() ? "" : popups[0]);
        for (size_t i = 0; i < popups.size(); i++)
            EXPECT_NE(popups[i].find("\r\n" + c.messages[i] + " on Line "), std::string::npos)
                << popups[i];
    }

    std::vector<std::string> popups = Load("CreateLayer L;\n\n  Bogus\n 1 ;");
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(popups[0], "Font Descriptor Error in " + mDir.File("font.txt") +
                             "\r\nUnknown Command on Line 3:\r\n\r\nBogus\n1 ");
}

TEST_F(ImageFontTest, DescriptorValues)
{
    FontData* aData = new FontData();
    aData->AddRef();
    aData->Load(&mApp, Descriptor(std::string(kMainLayer) + R"(
CreateHorzSpanRectList Spans (10 20 0 30) (5 6 7);
LayerSetKerningPairs Main ('bx') (200);
SetCharMap ('B') ('b');
LayerSetColorMult Main 0x80102030;
LayerSetColorAdd Main (1 0.5 0 0.25);
LayerRequireTags Main ('bold' 'Big');
LayerPointRange Main 12 16;
LayerSetCharOffsets Main ('x') ((1 -2));
)"));
    ASSERT_TRUE(aData->mInitialized) << (mApp.mPopups.empty() ? "" : mApp.mPopups[0]);
    EXPECT_EQ(aData->DataElementToString(aData->GetDefine("spans")),
              "((10, 20, 5, 30), (15, 20, 6, 30), (21, 20, 7, 30))");
    FontLayer* L = aData->mFontLayerMap.at("MAIN");
    EXPECT_EQ(L->mCharData['b'].mKerningOffsets['x'], -56);
    EXPECT_EQ(L->mCharData['A'].mKerningOffsets['V'], -2);
    EXPECT_EQ(aData->mCharMap['B'], 'b');
    EXPECT_EQ(L->mColorMult, Color(0x10, 0x20, 0x30, 0x80));
    EXPECT_EQ(L->mColorAdd, Color(255, 127, 0, 63));
    EXPECT_EQ(L->mRequiredTags, (StringVector{"BOLD", "BIG"}));
    EXPECT_EQ(L->mMinPointSize, 12);
    EXPECT_EQ(L->mMaxPointSize, 16);
    EXPECT_EQ(L->mCharData['x'].mImageRect, Rect(11, 0, 2, 5));
    EXPECT_EQ(L->mCharData['x'].mOffsetY, -2);
    EXPECT_EQ(L->mDefaultHeight, 5); // offsets given after the map do not change it
    EXPECT_EQ(aData->mDefaultPointSize, 10);
    aData->Release();
}

TEST_F(ImageFontTest, WidthsKerningAndLayerChoice)
{
    ImageFont aFont(&mApp, Descriptor(kMainLayer));
    EXPECT_EQ(aFont.GetPointSize(), 10);
    EXPECT_EQ(aFont.StringWidth("AV"), 5 + 5 - 2 + 1);
    EXPECT_EQ(aFont.StringWidth("Ab"), 5 + 1 + 4);
    EXPECT_EQ(aFont.CharWidth('A'), 5);
    EXPECT_EQ(aFont.CharWidthKern('V', 'A'), 4);
    EXPECT_EQ(aFont.GetAscent(), 5);
    EXPECT_EQ(aFont.GetHeight(), 5);

    ImageFont aRanged(&mApp, Descriptor(std::string(kMainLayer) + R"(
CreateLayerFrom Wide Main; LayerPointRange Wide 12 16; LayerSetCharWidths Wide ('A') (9);
CreateLayerFrom Open Main; LayerPointRange Open 20 -1; LayerSetCharWidths Open ('A') (11);
CreateLayerFrom Tagged Main; LayerRequireTags Tagged ('Bold'); LayerExcludeTags Tagged ('thin');
LayerSetCharWidths Tagged ('A') (13);
)", "ranged.txt"));
    struct Case {
        int size;
        int width;
    } cases[] = {{11, 5}, {12, 9}, {16, 9}, {17, 5}, {20, 11}, {5000, 11}};
    for (const Case& c : cases) {
        aRanged.SetPointSize(c.size);
        aRanged.SetScale(1.0);
        // Layers not tied to a size scale with the scale only; at 1.0 they are unscaled.
        EXPECT_EQ(aRanged.CharWidth('A'), c.width) << c.size;
    }
    aRanged.SetPointSize(10);
    EXPECT_TRUE(aRanged.AddTag("bold"));
    EXPECT_FALSE(aRanged.AddTag("BOLD"));
    EXPECT_TRUE(aRanged.HasTag("Bold"));
    EXPECT_EQ(aRanged.mTagVector.size(), 1u);
    EXPECT_EQ(aRanged.CharWidth('A'), 13);
    EXPECT_TRUE(aRanged.AddTag("Thin"));
    EXPECT_EQ(aRanged.CharWidth('A'), 5);
    EXPECT_TRUE(aRanged.RemoveTag("thin"));
    EXPECT_FALSE(aRanged.RemoveTag("thin"));
    EXPECT_EQ(aRanged.CharWidth('A'), 13);

    // Widths from a descriptor are outside input: sums saturate instead of overflowing.
    ImageFont aHuge(&mApp, Descriptor(std::string(kMainLayer) +
                                          "LayerSetCharWidths Main ('A') (2000000000);"
                                          "LayerSetColorMult Main (100000000000000000000.5 1 1 1);",
                                      "huge.txt"));
    EXPECT_EQ(aHuge.StringWidth("AAAA"), 2147483647);
    aHuge.SetScale(3.0);
    EXPECT_EQ(aHuge.CharWidth('A'), 2147483647);
}

TEST_F(ImageFontTest, ScaledLayers)
{
    ImageFont aFont(&mApp, Descriptor(kMainLayer));
    ActiveFontLayer& anUnscaled = aFont.mActiveLayerList.front();
    EXPECT_FALSE(anUnscaled.mOwnsImage);
    EXPECT_EQ(anUnscaled.mScaledImage, mApp.mImages[0].get());

    aFont.SetScale(2.0);
    EXPECT_EQ(aFont.StringWidth("AVb"), 10 + (10 - 2) + (8 + 2)); // kerning and spacing double too
    ActiveFontLayer& aScaled = aFont.mActiveLayerList.front();
    EXPECT_TRUE(aScaled.mOwnsImage);
    EXPECT_EQ(aScaled.mScaledCharImageRects['A'].mWidth, 8);
    EXPECT_EQ(aScaled.mScaledCharImageRects['A'].mHeight, 10);
    EXPECT_EQ(aFont.GetAscent(), 10);

    // A layer made for size 12 in a font at 18: ratio 1.5, truncated per character; drawing
    // and measuring agree on every advance.
    ImageFont aSized(&mApp, Descriptor(std::string(kMainLayer) + "LayerSetPointSize Main 12;",
                                       "sized.txt"));
    aSized.SetPointSize(18);
    const std::string text = "AVbx Ab";
    RecordingImage aDest;
    Graphics g(&aDest);
    std::vector<Rect> anAreas;
    int aWidth = -1;
    aSized.DrawStringLayered(&g, 0, 20, text, Color::White, Rect(), &anAreas, &aWidth);
    EXPECT_EQ(aWidth, aSized.StringWidth(text));
    ASSERT_EQ(anAreas.size(), text.size());
    for (size_t i = 0; i < text.size(); i++)
        EXPECT_EQ(anAreas[i].mX,
                  aSized.StringWidth(text.substr(0, i + 1)) - aSized.CharWidth(text[i]))
            << i;
    EXPECT_EQ(anAreas[0].mWidth, 6); // trunc(4 * 1.5)
    EXPECT_EQ(anAreas[0].mY, 20 - 7);

    ImageFont* aCopy = static_cast<ImageFont*>(aSized.Duplicate());
    EXPECT_EQ(aSized.mFontData->mRefCount, 2);
    EXPECT_NE(aCopy->mActiveLayerList.front().mScaledImage,
              aSized.mActiveLayerList.front().mScaledImage);
    EXPECT_EQ(aCopy->StringWidth(text), aWidth);
    delete aCopy;
    EXPECT_EQ(aSized.mFontData->mRefCount, 1);
}

TEST_F(ImageFontTest, GoldenLayeredDraw)
{
    // A black shadow one pixel down and right, drawn under the face of every character.
    ImageFont aFont(&mApp, Descriptor(std::string(kMainLayer) + R"(
CreateLayerFrom Shadow Main; LayerSetOffset Shadow (1 1); LayerSetColorMult Shadow (0 0 0 1);
LayerSetBaseOrder Shadow -1;
)"));
    MemoryImage anImage(&mApp);
    anImage.Create(16, 8);
    Graphics g(&anImage);
    g.SetColor(Color(0, 0, 255));
    g.FillRect(0, 0, 16, 8);
    g.SetColor(Color::Red);
    g.SetFont(&aFont);
    g.DrawString("Ab", 1, 6);
    EXPECT_EQ(Art(anImage), "................\n"
                            "..RRR...RR......\n"
                            ".RRRRK.RRRK.....\n"
                            ".RRRRK.RRRK.....\n"
                            ".RRRRK.RRRK.....\n"
                            ".RRRRK.RRRK.....\n"
                            "..KKKK..KKK.....\n"
                            "................\n");
    EXPECT_EQ(g.GetColor(), Color::Red);
    EXPECT_FALSE(g.GetColorizeImages());
}

TEST_F(ImageFontTest, OrderColourAndDrawMode)
{
    ImageFont aFont(&mApp, Descriptor(std::string(kMainLayer) + R"(
LayerSetCharOrders Main ('x') (-200);
CreateLayerFrom Glow Main; LayerSetDrawMode Glow 1; LayerSetColorAdd Glow (1 0 0 0);
LayerSetBaseOrder Glow 300;
)"));
    RecordingImage aDest;
    Graphics g(&aDest);
    g.SetDrawMode(Graphics::DRAWMODE_NORMAL);
    aFont.DrawStringLayered(&g, 0, 10, "AxbxA", Color(0, 10, 20, 200), Rect(), nullptr, nullptr);
    // Bucket 0: the main layer's x glyphs; 128: the other main glyphs; 255: every glow glyph,
    // the x ones included (-200 + 300 + 128 = 228 comes before 255).
    std::string order;
    for (const BltRecord& b : aDest.mBlts)
        order += b.mSrc.mX == 11 ? 'x' : b.mSrc.mX == 8 ? 'b' : 'A';
    EXPECT_EQ(order, "xxAbAxxAbA");
    EXPECT_EQ(aDest.mBlts[0].mColor, Color(0, 10, 20, 200));
    EXPECT_EQ(aDest.mBlts[0].mMode, Graphics::DRAWMODE_NORMAL);
    EXPECT_EQ(aDest.mBlts[5].mColor, Color(255, 10, 20, 200));
    EXPECT_EQ(aDest.mBlts[5].mMode, Graphics::DRAWMODE_ADDITIVE);
    EXPECT_EQ(g.GetDrawMode(), Graphics::DRAWMODE_NORMAL);

    // A string of more glyphs than the 4096 commands the pool starts with loses none.
    aDest.mBlts.clear();
    aFont.DrawString(&g, 0, 10, std::string(3000, 'b'), Color::White, Rect());
    EXPECT_EQ(aDest.mBlts.size(), 6000u);
}

TEST_F(ImageFontTest, FailedDescriptorAndOlderFormat)
{
    ImageFont aBroken(&mApp, Descriptor("CreateLayer L; Bogus;"));
    EXPECT_EQ(aBroken.GetHeight(), 0);
    EXPECT_EQ(aBroken.StringWidth("Ab"), 0);
    RecordingImage aDest;
    Graphics g(&aDest);
    int aWidth = -1;
    aBroken.DrawStringLayered(&g, 0, 0, "Ab", Color::White, Rect(), nullptr, &aWidth);
    EXPECT_EQ(aWidth, 0);
    EXPECT_TRUE(aDest.mBlts.empty());

    Image* aStrip = mApp.GetSharedImage(mDir.File("glyphs.png"), "", nullptr).GetImage();
    ASSERT_NE(aStrip, nullptr);
    WriteFile(mDir.File("widths.txt"), "3 4\na 4 v 4\nb 3 x 2\n");
    ImageFont anOld(aStrip, mDir.File("widths.txt"));
    ASSERT_TRUE(anOld.mFontData->mInitialized);
    EXPECT_EQ(anOld.GetAscent(), 4);
    EXPECT_EQ(anOld.GetHeight(), 5);
    EXPECT_EQ(anOld.StringWidth("a b"), 10);
    EXPECT_EQ(anOld.StringWidth("AB"), 7); // upper case drawn with the lower-case glyphs
    aDest.mBlts.clear();
    anOld.DrawString(&g, 0, 10, "Bx", Color::White, Rect());
    ASSERT_EQ(aDest.mBlts.size(), 2u);
    EXPECT_EQ(aDest.mBlts[0].mSrc, Rect(8, 0, 3, 5));
    EXPECT_EQ(aDest.mBlts[1].mSrc, Rect(11, 0, 2, 5));

    // Glyphs running past the image are refused.
    WriteFile(mDir.File("wide.txt"), "3 4\na 10 b 4\n");
    ImageFont aWide(aStrip, mDir.File("wide.txt"));
    EXPECT_FALSE(aWide.mFontData->mInitialized);
    ImageFont aMissing(aStrip, mDir.File("nothing.txt"));
    EXPECT_FALSE(aMissing.mFontData->mInitialized);
}
