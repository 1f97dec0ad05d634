// The bitmap font: FontData reads a font descriptor (or the older image plus character-width
// file) into layers of glyph rectangles, widths, offsets, kerning and drawing rules; ImageFont
// picks the layers for its point size, scale and tags and draws strings from them.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "graphics/Font.h"
#include "graphics/SharedImage.h"
#include "resources/DescParser.h"

namespace Quor {

class Image;
class QuorAppBase;
class FontData;

// One glyph of a layer.
class CharData {
public:
    Rect mImageRect;             // pixels of the layer image
    int mOffsetX = 0;
    int mOffsetY = 0;
    int8_t mKerningOffsets[256] = {};  // extra advance when character n follows this one
    int mWidth = 0;              // the advance
    int mOrder = 0;              // drawing order
};

class FontLayer {
public:
    FontData* mFontData;
    StringVector mRequiredTags;  // upper-case
    StringVector mExcludedTags;  // upper-case
    CharData mCharData[256];
    Color mColorMult{255, 255, 255, 255};
    Color mColorAdd{0, 0, 0, 0};
    SharedImageHandle mImage;
    int mDrawMode = -1;          // -1: the context's draw mode
    int mOffsetX = 0;
    int mOffsetY = 0;
    int mSpacing = 0;
    int mMinPointSize = -1;
    int mMaxPointSize = -1;      // -1: no upper bound
    int mPointSize = 0;          // 0: not tied to a size
    int mAscent = 0;
    int mAscentPadding = 0;
    int mHeight = 0;             // 0: use the default height
    int mDefaultHeight = 0;
    int mLineSpacingOffset = 0;
    int mBaseOrder = 0;

    explicit FontLayer(FontData* theFontData) : mFontData(theFontData) {}
    FontLayer(const FontLayer& theFontLayer) = default;
    FontLayer& operator=(const FontLayer&) = delete;
};

// The shared, reference-counted contents of a font descriptor.
class FontData : public DescParser {
public:
    bool mInitialized = false;   // loaded; a FontData loads only once
    int mRefCount = 0;
    QuorAppBase* mApp = nullptr;
    int mDefaultPointSize = 0;
    uint8_t mCharMap[256];
    std::list<FontLayer> mFontLayerList;            // in creation order
    std::map<std::string, FontLayer*> mFontLayerMap; // upper-case names
    std::string mSourceFile;
    std::string mFontErrorHeader;

    FontData();
    ~FontData() override;

    // Shows "Font Descriptor Error in <path>" with the text, line and command through the
    // application's popup; without an application nothing is shown. Returns false.
    bool Error(const std::string& theError) override;
    bool HandleCommand(const ListDataElement& theParams) override;

    // Runs the descriptor; false only when already loaded. A failed descriptor shows in
    // mInitialized staying false.
    bool Load(QuorAppBase* theApp, const std::string& theFontDescFileName);
    // The older format: the glyphs side by side in theImage (not owned), their widths in a
    // text file.
    bool LoadImageWidthFont(Image* theImage, const std::string& theWidthFileName);

    void AddRef();
    void Release();

private:
    // The layer named by a single word; reports "Undefined Layer" for an unknown name.
    bool GetLayer(const DataElement* theElement, FontLayer** theLayer);
    bool GetColor(const DataElement* theElement, Color* theColor);
    bool GetInt(const DataElement* theElement, int* theValue);
    bool GetName(const DataElement* theElement, std::string* theName);
};

// A layer taking part in an ImageFont at its current size, scale and tags.
class ActiveFontLayer {
public:
    FontLayer* mBaseFontLayer = nullptr;
    Image* mScaledImage = nullptr;
    bool mOwnsImage = false;     // mScaledImage is a scaled strip made for this layer
    Rect mScaledCharImageRects[256];

    ActiveFontLayer() = default;
    ActiveFontLayer(const ActiveFontLayer& theActiveFontLayer);
    ActiveFontLayer& operator=(const ActiveFontLayer&) = delete;
    virtual ~ActiveFontLayer();
};

class ImageFont : public Font {
public:
    FontData* mFontData;
    int mPointSize = 0;
    StringVector mTagVector;     // upper-case
    bool mActiveListValid = false;
    std::list<ActiveFontLayer> mActiveLayerList;
    double mScale = 1.0;

    ImageFont(QuorAppBase* theApp, const std::string& theFontDescFileName);
    ImageFont(Image* theFontImage, const std::string& theWidthFileName);
    ImageFont(const ImageFont& theImageFont);
    ~ImageFont() override;

    int StringWidth(const std::string& theString) override;
    int CharWidth(char theChar) override;
    int CharWidthKern(char theChar, char thePrevChar) override;
    void DrawString(Graphics* g, int theX, int theY, const std::string& theString,
                    const Color& theColor, const Rect& theClipRect) override;
    Font* Duplicate() override;

    virtual void BuildActiveLayers();
    // Draws the string layer by layer in drawing order. theDrawnAreas receives the rectangle
    // of every queued glyph, theWidth the advance of the whole string. The clip rectangle is
    // not used: the context clips.
    virtual void DrawStringLayered(Graphics* g, int theX, int theY, const std::string& theString,
                                   const Color& theColor, const Rect& theClipRect,
                                   std::vector<Rect>* theDrawnAreas, int* theWidth);
    virtual void SetPointSize(int thePointSize);
    virtual int GetPointSize();
    virtual void SetScale(double theScale);
    virtual int GetDefaultPointSize();
    virtual bool AddTag(const std::string& theTagName);
    virtual bool RemoveTag(const std::string& theTagName);
    virtual bool HasTag(const std::string& theTagName);
    virtual std::string GetDefine(const std::string& theName);
    virtual void Prepare();

private:
    // The size ratio of a layer; unscaled when the layer's own glyphs are used as they are.
    double LayerRatio(const FontLayer& theLayer, bool* unscaled) const;
};

} // namespace Quor
