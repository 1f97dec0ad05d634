// The system font on the installed faces: metrics, widths, coverage alpha and the effects.
#include "graphics/SysFont.h"

#include "app/QuorAppBase.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "platform/Video.h"
#include "platform/Window.h"

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>
#include <string>

using namespace Quor;

namespace {

// A destination that keeps a copy of every image blitted into it.
class CapturingImage : public MemoryImage {
public:
    std::vector<std::unique_ptr<MemoryImage>> mDrawn;
    std::vector<Point> mAt;
    CapturingImage() { Create(400, 100); }
    void Blt(Image* theImage, int x, int y, const Rect&, const Color&, int) override
    {
        mDrawn.push_back(std::make_unique<MemoryImage>(*static_cast<MemoryImage*>(theImage)));
        mAt.push_back({x, y});
    }
};

// The image the font draws for the text at baseline 25, or null when it draws none.
std::unique_ptr<MemoryImage> Draw(SysFont& theFont, const std::string& theText, const Color& c,
                                  Point* theAt = nullptr)
{
    CapturingImage aDest;
    Graphics g(&aDest);
    g.SetFont(&theFont);
    g.SetColor(c);
    g.DrawString(theText, 2, 25);
    if (aDest.mDrawn.size() != 1)
        return nullptr;
    if (theAt)
        *theAt = aDest.mAt[0];
    return std::move(aDest.mDrawn[0]);
}

struct Census {
    int mOpaque = 0, mPartial = 0, mClear = 0, mOtherColour = 0;
};
Census Count(MemoryImage& theImage, uint32_t theRgb)
{
    Census n;
    const uint32_t* bits = theImage.GetBits();
    for (int i = 0; i < theImage.GetWidth() * theImage.GetHeight(); i++) {
        uint32_t a = bits[i] >> 24;
        if (a == 0) {
            n.mClear++;
            continue;
        }
        (a == 255 ? n.mOpaque : n.mPartial)++;
        // The two sheets give the colour back exactly where opaque, and within the rounding
        // of the sheets' 8-bit channels at the antialiased edges (coarser where alpha is low).
        int aSlack = a == 255 ? 0 : 2 + 510 / static_cast<int>(a);
        for (int shift = 0; shift <= 16; shift += 8) {
            int got = (bits[i] >> shift) & 0xFF, want = (theRgb >> shift) & 0xFF;
            if (got < want - aSlack || got > want + aSlack) {
                n.mOtherColour++;
                break;
            }
        }
    }
    return n;
}

} // namespace

TEST(SysFont, FacesMetricsAndWidths)
{
    struct Case {
        const char* face;
        const char* installed;
    } cases[] = {{"Arial", "Liberation Sans"},
                 {"Tahoma", "Liberation Sans"},
                 {"Courier New", "Liberation Mono"},
                 {"Arial Unicode MS", "DejaVu Sans"}};
    for (const Case& c : cases) {
        EXPECT_EQ(plat::TextFaceFor(c.face), c.installed);
        SysFont aFont(c.face, 12);
        EXPECT_TRUE(plat::TextFontIsValid(aFont.mHFont)) << c.face;
        EXPECT_GT(aFont.GetAscent(), 0) << c.face;
        EXPECT_GT(aFont.GetHeight(), aFont.GetAscent()) << c.face;
        EXPECT_GT(aFont.StringWidth("Hello"), 0) << c.face;
        EXPECT_EQ(aFont.StringWidth(""), 0);
        EXPECT_EQ(aFont.CharWidthKern('l', 'l'), aFont.CharWidth('l'));
        EXPECT_EQ(aFont.StringWidth("ab"), aFont.CharWidth('a') + aFont.CharWidth('b'));
        EXPECT_EQ(aFont.GetAscentPadding(), 0);
    }
    // 12 points at 96 dpi are 16 pixels; the line is a little taller.
    SysFont anArial("Arial", 12);
    EXPECT_GE(anArial.GetHeight(), 16);
    EXPECT_LE(anArial.GetHeight(), 20);
    SysFont aBig("Arial", 24);
    EXPECT_GT(aBig.StringWidth("Hello"), anArial.StringWidth("Hello") * 3 / 2);
    SysFont aMono("Courier New", 12);
    EXPECT_EQ(aMono.StringWidth("iiii"), aMono.StringWidth("WWWW"));
    SysFont aBold("Arial", 12, true);
    EXPECT_GT(aBold.StringWidth("Hello world"), anArial.StringWidth("Hello world"));
    // Windows-1252: 0x80 is the euro sign, which the face has.
    EXPECT_GT(anArial.StringWidth("\x80"), 0);
}

TEST(SysFont, CoverageAlpha)
{
    SysFont aFont("Arial", 14);
    for (const Color& c : {Color::Black, Color::White, Color(200, 40, 90)}) {
        Point at;
        std::unique_ptr<MemoryImage> anImage = Draw(aFont, "Wave", c, &at);
        ASSERT_TRUE(anImage);
        EXPECT_EQ(anImage->GetWidth(), aFont.StringWidth("Wave"));
        EXPECT_EQ(anImage->GetHeight(), aFont.GetHeight());
        EXPECT_EQ(at.mX, 2);
        EXPECT_EQ(at.mY, 25 - aFont.GetAscent());
        Census n = Count(*anImage, c.ToInt() & 0xFFFFFF);
        EXPECT_GT(n.mOpaque, 10);
        EXPECT_GT(n.mPartial, 10); // antialiased edges
        EXPECT_GT(n.mClear, n.mOpaque);
        EXPECT_EQ(n.mOtherColour, 0) << c.ToInt(); // the colour everywhere, coverage in alpha
    }
    EXPECT_FALSE(Draw(aFont, "", Color::Black)); // an empty string draws nothing

    // Drawn for real into a memory image: nothing outside the text's line box.
    MemoryImage anImage;
    anImage.Create(120, 40);
    Graphics g(&anImage);
    g.SetFont(&aFont);
    g.DrawString("Wg", 2, 25);
    const uint32_t* bits = anImage.GetBits();
    int aTouched = 0;
    for (int y = 0; y < 40; y++) {
        for (int x = 0; x < 120; x++) {
            bool inside = y >= 25 - aFont.GetAscent() &&
                          y < 25 - aFont.GetAscent() + aFont.GetHeight() && x >= 2 &&
                          x < 2 + aFont.StringWidth("Wg");
            if (!inside) {
                EXPECT_EQ(bits[y * 120 + x], 0u) << x << "," << y;
            } else if (bits[y * 120 + x] != 0) {
                aTouched++;
            }
        }
    }
    EXPECT_GT(aTouched, 20);
}

TEST(SysFont, EffectsUnderlineAndDuplicate)
{
    SysFont aFont("Arial", 14);
    std::unique_ptr<MemoryImage> aPlainImage = Draw(aFont, "Hi", Color::White);
    ASSERT_TRUE(aPlainImage);
    Census aPlain = Count(*aPlainImage, 0xFFFFFF);
    aFont.mDrawShadow = true;
    std::unique_ptr<MemoryImage> aShadowed = Draw(aFont, "Hi", Color::White);
    Census aShadow = Count(*aShadowed, 0xFFFFFF);
    EXPECT_GT(aShadow.mOtherColour, 0); // black and grey shadow pixels
    EXPECT_GT(aShadow.mOpaque + aShadow.mPartial, aPlain.mOpaque + aPlain.mPartial);
    aFont.mSimulateBold = true;
    Census aDoubled = Count(*Draw(aFont, "Hi", Color::White), 0xFFFFFF);
    EXPECT_GT(aDoubled.mOpaque, aShadow.mOpaque);

    std::unique_ptr<Font> aCopy(aFont.Duplicate());
    EXPECT_FALSE(static_cast<SysFont*>(aCopy.get())->mDrawShadow);
    EXPECT_EQ(aCopy->GetAscent(), aFont.GetAscent());
    EXPECT_EQ(aCopy->StringWidth("Hi"), aFont.StringWidth("Hi"));
    Census aCopied = Count(*Draw(*static_cast<SysFont*>(aCopy.get()), "Hi", Color::White), 0xFFFFFF);
    EXPECT_EQ(aCopied.mOtherColour, 0);
    EXPECT_EQ(aCopied.mOpaque, aPlain.mOpaque);

    SysFont anUnderlined("Arial", 14, false, false, true);
    Census aLine = Count(*Draw(anUnderlined, "Hi", Color::White), 0xFFFFFF);
    EXPECT_GE(aLine.mOpaque, aPlain.mOpaque + anUnderlined.StringWidth("Hi") - 2);
}

TEST(SysFont, WideText)
{
    SysFont aFont("Arial Unicode MS", 14);
    CapturingImage aDest;
    Graphics g(&aDest);
    aFont.DrawWideString(&g, 2, 20, L"\u0416\u042F", Color::Black, Rect());
    ASSERT_EQ(aDest.mDrawn.size(), 1u); // characters above 255 still draw
    EXPECT_GT(Count(*aDest.mDrawn[0], 0).mOpaque, 5);
    Graphics aNowhere;
    aFont.DrawString(&aNowhere, 0, 10, "abc", Color::Black, Rect()); // no destination: nothing
}

namespace {

intptr_t TestWindowProc(plat::WindowId w, uint32_t m, uint32_t wp, uint32_t lp)
{
    return plat::DefWindowProc(w, m, wp, lp);
}

// The first row holding a pixel that differs from the top-left one, and the last such column.
void Extent(const uint32_t* bits, int width, int height, int* top, int* right)
{
    *top = -1;
    *right = -1;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            if (bits[y * width + x] != bits[0]) {
                if (*top < 0)
                    *top = y;
                *right = std::max(*right, x);
            }
}

} // namespace

TEST(SysFont, DisplaySurfaceStandsOnePixelLower)
{
    static bool registered = plat::RegisterWindowClass("SysFontTestWindow", TestWindowProc, 0);
    (void)registered;
    auto anApp = std::make_unique<QuorAppBase>();
    anApp->mWidth = 64;
    anApp->mHeight = 48;
    plat::WindowId aWindow = plat::CreateWindow(0, "SysFontTestWindow", "text",
                                                plat::WS_POPUP | plat::WS_VISIBLE, 100, 50, 64, 48);
    ASSERT_NE(aWindow, 0u);
    plat::VideoTestSettings aSettings;
    aSettings.refreshSet = true;
    aSettings.refreshHz = 60;
    plat::SetVideoTestSettings(&aSettings);
    {
        DDInterface aDisplay(anApp.get());
        ASSERT_EQ(aDisplay.InitDisplay(reinterpret_cast<void*>(static_cast<uintptr_t>(aWindow)),
                                       true),
                  DDInterface::RESULT_OK);
        DDImage* aScreen = aDisplay.GetScreenImage();
        ASSERT_NE(aScreen, nullptr);
        ASSERT_NE(aScreen->mSurface, nullptr);

        SysFont aFont(anApp.get(), "Arial", 14, 0);
        Graphics g(aScreen);
        g.SetColor(Color::White);
        g.SetFont(&aFont);
        g.ClipRect(0, 0, 12, 48); // the clip rectangle cuts the text on the surface too
        g.DrawString("TTTT", 2, 30);

        MemoryImage aMemory;
        aMemory.Create(64, 48);
        Graphics m(&aMemory);
        m.SetColor(Color::Black);
        m.FillRect(0, 0, 64, 48);
        m.SetColor(Color::White);
        m.SetFont(&aFont);
        m.DrawString("TTTT", 2, 30);

        int aScreenTop, aScreenRight, aMemoryTop, aMemoryRight;
        Extent(aScreen->GetBits(), 64, 48, &aScreenTop, &aScreenRight);
        Extent(aMemory.GetBits(), 64, 48, &aMemoryTop, &aMemoryRight);
        ASSERT_GE(aMemoryTop, 0);
        EXPECT_EQ(aScreenTop, aMemoryTop + 1);
        EXPECT_LT(aScreenRight, 12);
        EXPECT_GT(aMemoryRight, 20);
    }
    plat::SetVideoTestSettings(nullptr);
    plat::DestroyWindow(aWindow);
}
