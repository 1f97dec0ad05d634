// The system font: measuring through the platform's text engine and drawing through the
// two-sheet method (the text rendered on white and on black gives colour and alpha).
#include "graphics/SysFont.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/Common.h"
#include "app/QuorAppBase.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/Text.h"

#if __has_include("display/DDImage.h")
#include "display/DDImage.h"
#define QUOR_HAVE_DISPLAY_IMAGE 1
#endif

namespace Quor {

namespace {

constexpr int kDotsPerInch = 96;

// Windows' MulDiv: a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c)
{
    int64_t n = static_cast<int64_t>(a) * b;
    return static_cast<int>((n + (n >= 0 ? c / 2 : -(c / 2))) / c);
}

// One sheet channel after a pass of colour v at coverage a (0..255).
inline int Over(int p, int v, int a)
{
    return (p * (255 - a) + v * a + 127) / 255;
}

void RenderPass(plat::TextFont* theFont, const std::string& theText, uint8_t* theCoverage,
                int theWidth, int theHeight, int theX, int theY)
{
    plat::RenderText(theFont, theText.data(), theText.size(), theCoverage, theWidth, theHeight,
                     theX, theY);
}

void RenderPass(plat::TextFont* theFont, const std::wstring& theText, uint8_t* theCoverage,
                int theWidth, int theHeight, int theX, int theY)
{
    plat::RenderTextW(theFont, theText.data(), theText.size(), theCoverage, theWidth, theHeight,
                      theX, theY);
}

} // namespace

SysFont::SysFont(const std::string& theFace, int thePointSize, bool bold, bool italics,
                 bool underline)
{
    Init(gQuorAppBase, theFace, thePointSize, bold, italics, underline);
}

SysFont::SysFont(QuorAppBase* theApp, const std::string& theFace, int thePointSize,
                 int theCharSet)
{
    (void)theCharSet;
    Init(theApp, theFace, thePointSize, false, false, false);
}

SysFont::SysFont(const SysFont& theSysFont) : Font(theSysFont), mApp(theSysFont.mApp)
{
    std::string aFace;
    int aCharHeight = 0;
    bool bold = false, italics = false, underline = false;
    plat::GetTextFontDesc(theSysFont.mHFont, &aFace, &aCharHeight, &bold, &italics, &underline);
    mHFont = plat::CreateTextFont(aFace, aCharHeight, bold, italics, underline);
}

SysFont::~SysFont()
{
    plat::DestroyTextFont(mHFont);
}

void SysFont::Init(QuorAppBase* theApp, const std::string& theFace, int thePointSize, bool bold,
                   bool italics, bool underline)
{
    mApp = theApp;
    mHFont = plat::CreateTextFont(theFace, MulDiv(thePointSize, kDotsPerInch, 72), bold, italics,
                                  underline);
    plat::TextFontMetrics aMetrics = plat::GetTextFontMetrics(mHFont);
    mHeight = aMetrics.mHeight;
    mAscent = aMetrics.mAscent;
    mDrawShadow = false;
    mSimulateBold = false;
}

int SysFont::StringWidth(const std::string& theString)
{
    return plat::MeasureText(mHFont, theString.data(), theString.size());
}

Font* SysFont::Duplicate()
{
    return new SysFont(*this);
}

template <typename Str>
void SysFont::DrawText(Graphics* g, int theX, int theY, const Str& theString,
                       const Color& theColor, int theWidth, const Rect& theClipRect)
{
    if (g == nullptr || g->mDestImage == nullptr || g->mDestImage == &gEmptyImage)
        return;
    const int w = theWidth;
    const int h = mHeight;
    if (w <= 0 || h <= 0)
        return;
    const size_t aCount = static_cast<size_t>(w) * static_cast<size_t>(h);

    // The passes in drawing order: the black shadow (and its doubled stroke), then the text.
    struct Pass {
        int mX, mY;
        bool mShadow;
    };
    std::vector<Pass> aPasses;
    if (mDrawShadow) {
        aPasses.push_back({1, 1, true});
        if (mSimulateBold)
            aPasses.push_back({2, 1, true});
    }
    aPasses.push_back({0, 0, false});
    if (mSimulateBold)
        aPasses.push_back({1, 0, false});

    // Sheet pixels as three channels each; white starts at 255, black at 0.
    std::vector<uint8_t> aWhite(aCount * 3, 255), aBlack(aCount * 3, 0);
    std::vector<uint8_t> aCoverage(aCount);
    for (const Pass& aPass : aPasses) {
        std::fill(aCoverage.begin(), aCoverage.end(), 0);
        RenderPass(mHFont, theString, aCoverage.data(), w, h, aPass.mX, aPass.mY);
        const int aColor[3] = {aPass.mShadow ? 0 : std::clamp(theColor.mRed, 0, 255),
                               aPass.mShadow ? 0 : std::clamp(theColor.mGreen, 0, 255),
                               aPass.mShadow ? 0 : std::clamp(theColor.mBlue, 0, 255)};
        for (size_t i = 0; i < aCount; i++) {
            const int a = aCoverage[i];
            if (a == 0)
                continue;
            for (int c = 0; c < 3; c++) {
                aWhite[i * 3 + c] = static_cast<uint8_t>(Over(aWhite[i * 3 + c], aColor[c], a));
                aBlack[i * 3 + c] = static_cast<uint8_t>(Over(aBlack[i * 3 + c], aColor[c], a));
            }
        }
    }

    std::vector<uint32_t> aBits(aCount);
    for (size_t i = 0; i < aCount; i++) {
        const uint8_t* W = &aWhite[i * 3];
        const uint8_t* K = &aBlack[i * 3];
        const uint32_t aK = (uint32_t(K[0]) << 16) | (uint32_t(K[1]) << 8) | K[2];
        const uint32_t aW = (uint32_t(W[0]) << 16) | (uint32_t(W[1]) << 8) | W[2];
        if (aW == aK) {
            aBits[i] = 0xFF000000u | aK;
        } else if (aW == 0xFFFFFF && aK == 0) {
            aBits[i] = 0;
        } else {
            int anAlpha = 255;
            uint32_t aPixel = 0;
            for (int c = 0; c < 3; c++) {
                const int a = 255 + K[c] - W[c];
                const int v = a > 0 ? std::min(255, K[c] * 255 / a) : 0;
                anAlpha = std::min(anAlpha, a);
                aPixel |= static_cast<uint32_t>(v) << (16 - 8 * c);
            }
            aBits[i] = (static_cast<uint32_t>(std::max(anAlpha, 0)) << 24) | aPixel;
        }
    }

    MemoryImage anImage(mApp);
    anImage.SetBits(aBits.data(), w, h);

#ifdef QUOR_HAVE_DISPLAY_IMAGE
    // Into a display surface the text goes straight onto the surface: one pixel lower than on
    // a memory image, cut only by the clip rectangle given, in the normal draw mode.
    auto* aDisplayImage = dynamic_cast<DDImage*>(g->mDestImage);
    if (aDisplayImage != nullptr && aDisplayImage->mSurface != nullptr) {
        Graphics aSurfaceGraphics(aDisplayImage);
        aSurfaceGraphics.SetClipRect(theClipRect.mX, theClipRect.mY, theClipRect.mWidth,
                                     theClipRect.mHeight);
        aSurfaceGraphics.DrawImage(&anImage, static_cast<int>(theX + g->mTransX),
                                   static_cast<int>(theY - mAscent + 1 + g->mTransY));
        return;
    }
#endif
    g->DrawImage(&anImage, theX, theY - mAscent);
}

void SysFont::DrawString(Graphics* g, int theX, int theY, const std::string& theString,
                         const Color& theColor, const Rect& theClipRect)
{
    DrawText(g, theX, theY, theString, theColor, StringWidth(theString), theClipRect);
}

void SysFont::DrawWideString(Graphics* g, int theX, int theY, const std::wstring& theString,
                             const Color& theColor, const Rect& theClipRect)
{
    // Measured as wide text: a narrow copy would be empty for characters above 255.
    DrawText(g, theX, theY, theString, theColor,
             plat::MeasureTextW(mHFont, theString.data(), theString.size()), theClipRect);
}

} // namespace Quor
