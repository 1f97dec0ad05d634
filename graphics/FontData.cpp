// Font descriptors: the command interpreter that builds the layers of a FontData, and the
// older image plus character-width format.
#include "graphics/ImageFont.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "app/Common.h"
#include "app/QuorAppBase.h"
#include "graphics/MemoryImage.h"
#include "platform/Files.h"

namespace Quor {

namespace {

const char* const kBadType = "Invalid Paramater Type";

const std::string* Word(const DataElement* theElement)
{
    if (theElement->mIsList)
        return nullptr;
    return &static_cast<const SingleDataElement*>(theElement)->mString;
}

} // namespace

FontData::FontData()
{
    for (int i = 0; i < 256; i++)
        mCharMap[i] = static_cast<uint8_t>(i);
}

FontData::~FontData() = default;

void FontData::AddRef()
{
    mRefCount++;
}

void FontData::Release()
{
    if (--mRefCount <= 0)
        delete this;
}

bool FontData::Error(const std::string& theError)
{
    DescParser::Error(theError);
    if (mApp != nullptr) {
        std::string aText = mFontErrorHeader + theError;
        if (!mCurrentLine.empty())
            aText += StrFormat(" on Line %d:\r\n\r\n", mCurrentLineNum) + mCurrentLine;
        mApp->Popup(aText);
    }
    return false;
}

bool FontData::Load(QuorAppBase* theApp, const std::string& theFontDescFileName)
{
    if (mInitialized)
        return false;
    mApp = theApp;
    mError.clear();
    mFontErrorHeader = "Font Descriptor Error in " + theFontDescFileName + "\r\n";
    mSourceFile = theFontDescFileName;
    mInitialized = LoadDescriptor(theFontDescFileName);
    return true;
}

bool FontData::LoadImageWidthFont(Image* theImage, const std::string& theWidthFileName)
{
    if (mInitialized)
        return false;
    if (mFontLayerMap.count("") != 0)
        return false;
    mFontLayerList.emplace_back(this);
    FontLayer* aLayer = &mFontLayerList.back();
    mFontLayerMap[""] = aLayer;

    aLayer->mImage = theImage;
    const int anImageWidth = theImage != nullptr ? theImage->GetWidth() : 0;
    const int anImageHeight = theImage != nullptr ? theImage->GetHeight() : 0;
    aLayer->mDefaultHeight = anImageHeight;
    aLayer->mAscent = anImageHeight;

    FILE* aFile = plat::OpenFile(theWidthFileName, "r");
    if (aFile == nullptr)
        return false;
    mSourceFile = theWidthFileName;

    int aSpaceWidth = 0, anAscent = 0;
    if (std::fscanf(aFile, "%d%d", &aSpaceWidth, &anAscent) == 2) {
        aLayer->mCharData[static_cast<uint8_t>(' ')].mWidth = aSpaceWidth;
        aLayer->mAscent = anAscent;
    }

    int aCurX = 0;
    bool ok = true;
    for (;;) {
        char aChar[2] = {};
        int aWidth = 0;
        if (std::fscanf(aFile, "%1s%d", aChar, &aWidth) != 2)
            break;
        // Each glyph must lie within the image (the strip runs left to right).
        if (aWidth < 0 || aCurX + static_cast<int64_t>(aWidth) > anImageWidth) {
            DescParser::Error("Image rectangle out of bounds");
            ok = false;
            break;
        }
        CharData& aData = aLayer->mCharData[static_cast<uint8_t>(aChar[0])];
        aData.mImageRect = Rect(aCurX, 0, aWidth, anImageHeight);
        aData.mWidth = aWidth;
        aCurX += aWidth;
    }
    std::fclose(aFile);
    if (!ok)
        return false;

    for (int c = 'A'; c <= 'Z'; c++) {
        int aLower = c - 'A' + 'a';
        if (aLayer->mCharData[c].mWidth == 0 && aLayer->mCharData[aLower].mWidth != 0)
            mCharMap[c] = static_cast<uint8_t>(aLower);
    }
    for (int c = 'a'; c <= 'z'; c++) {
        int anUpper = c - 'a' + 'A';
        if (aLayer->mCharData[c].mWidth == 0 && aLayer->mCharData[anUpper].mWidth != 0)
            mCharMap[c] = static_cast<uint8_t>(anUpper);
    }
    mInitialized = true;
    return true;
}

bool FontData::GetName(const DataElement* theElement, std::string* theName)
{
    const std::string* aWord = Word(theElement);
    if (aWord == nullptr)
        return false;
    *theName = StringToUpper(*aWord);
    return true;
}

bool FontData::GetInt(const DataElement* theElement, int* theValue)
{
    const std::string* aWord = Word(theElement);
    return aWord != nullptr && StringToInt(*aWord, theValue);
}

bool FontData::GetLayer(const DataElement* theElement, FontLayer** theLayer)
{
    const std::string* aWord = Word(theElement);
    if (aWord == nullptr)
        return false;
    auto it = mFontLayerMap.find(StringToUpper(*aWord));
    if (it == mFontLayerMap.end()) {
        Error("Undefined Layer");
        return false;
    }
    *theLayer = it->second;
    return true;
}

bool FontData::GetColor(const DataElement* theElement, Color* theColor)
{
    if (const std::string* aWord = Word(theElement)) {
        int aValue = 0;
        if (!StringToInt(*aWord, &aValue))
            return false;
        uint32_t aPacked = static_cast<uint32_t>(aValue);
        *theColor = Color(static_cast<int>((aPacked >> 16) & 0xFF),
                          static_cast<int>((aPacked >> 8) & 0xFF), static_cast<int>(aPacked & 0xFF),
                          static_cast<int>(aPacked >> 24));
        return true;
    }
    DoubleVector aValues;
    if (!DataToDoubleVector(theElement, &aValues) || aValues.size() < 4)
        return false;
    // Toward zero; values far outside 0..1 saturate rather than overflow.
    auto aChannel = [](double v) {
        if (!(v == v))
            return 0;
        v *= 255.0;
        return v >= 2147483647.0 ? INT_MAX : v <= -2147483648.0 ? INT_MIN : static_cast<int>(v);
    };
    *theColor = Color(aChannel(aValues[0]), aChannel(aValues[1]), aChannel(aValues[2]),
                      aChannel(aValues[3]));
    return true;
}

bool FontData::HandleCommand(const ListDataElement& theParams)
{
    const std::vector<DataElement*>& p = theParams.mElementVector;
    std::string aCmd;
    if (p.empty() || !GetName(p[0], &aCmd))
        return Error("Unknown Command");
    const size_t aCount = p.size();

    struct Shape {
        const char* mName;
        size_t mCount;
    };
    static const Shape kShapes[] = {
        {"DEFINE", 3}, {"CREATEHORZSPANRECTLIST", 4}, {"SETDEFAULTPOINTSIZE", 2},
        {"SETCHARMAP", 3}, {"CREATELAYER", 2}, {"CREATELAYERFROM", 3},
        {"LAYERREQUIRETAGS", 3}, {"LAYEREXCLUDETAGS", 3}, {"LAYERPOINTRANGE", 4},
        {"LAYERSETPOINTSIZE", 3}, {"LAYERSETHEIGHT", 3}, {"LAYERSETIMAGE", 3},
        {"LAYERSETDRAWMODE", 3}, {"LAYERSETCOLORMULT", 3}, {"LAYERSETCOLORADD", 3},
        {"LAYERSETASCENT", 3}, {"LAYERSETASCENTPADDING", 3}, {"LAYERSETLINESPACINGOFFSET", 3},
        {"LAYERSETOFFSET", 3}, {"LAYERSETCHARWIDTHS", 4}, {"LAYERSETSPACING", 3},
        {"LAYERSETIMAGEMAP", 4}, {"LAYERSETCHAROFFSETS", 4}, {"LAYERSETKERNINGPAIRS", 4},
        {"LAYERSETBASEORDER", 3}, {"LAYERSETCHARORDERS", 4},
    };
    const Shape* aShape = nullptr;
    for (const Shape& s : kShapes)
        if (aCmd == s.mName)
            aShape = &s;
    if (aShape == nullptr)
        return Error("Unknown Command");
    if (aCount != aShape->mCount)
        return Error("Invalid Number of Parameters");

    if (aCmd == "DEFINE") {
        std::string aName;
        if (!GetName(p[1], &aName) || IsImmediate(aName))
            return Error(kBadType);
        DataElement* aValue = nullptr;
        if (p[2]->mIsList) {
            auto* aList = new ListDataElement();
            if (!DereferenceList(static_cast<const ListDataElement*>(p[2]), aList)) {
                delete aList;
                return false;
            }
            aValue = aList;
        } else if (DataElement* aDefine = DescParser::GetDefine(*Word(p[2]))) {
            aValue = aDefine->Duplicate();
        } else {
            aValue = p[2]->Duplicate();
        }
        auto it = mDefineMap.find(aName);
        if (it != mDefineMap.end()) {
            delete it->second;
            mDefineMap.erase(it);
        }
        mDefineMap[aName] = aValue;
        return true;
    }

    if (aCmd == "CREATEHORZSPANRECTLIST") {
        std::string aName;
        IntVector aRect, aWidths;
        if (!GetName(p[1], &aName) || !DataToIntVector(p[2], &aRect) || aRect.size() != 4 ||
            !DataToIntVector(p[3], &aWidths))
            return Error(kBadType);
        auto* aList = new ListDataElement();
        int aX = aRect[0];
        for (int aWidth : aWidths) {
            auto* anItem = new ListDataElement();
            for (int v : {aX, aRect[1], aWidth, aRect[3]})
                anItem->mElementVector.push_back(new SingleDataElement(StrFormat("%d", v)));
            aList->mElementVector.push_back(anItem);
            aX += aWidth;
        }
        auto it = mDefineMap.find(aName);
        if (it != mDefineMap.end()) {
            delete it->second;
            mDefineMap.erase(it);
        }
        mDefineMap[aName] = aList;
        return true;
    }

    if (aCmd == "SETDEFAULTPOINTSIZE") {
        if (!GetInt(p[1], &mDefaultPointSize))
            return Error(kBadType);
        return true;
    }

    if (aCmd == "SETCHARMAP") {
        StringVector aFrom, aTo;
        if (!DataToStringVector(p[1], &aFrom) || !DataToStringVector(p[2], &aTo))
            return Error(kBadType);
        if (aFrom.size() != aTo.size())
            return Error("List Size Mismatch");
        bool bad = false;
        for (size_t i = 0; i < aFrom.size(); i++) {
            if (aFrom[i].size() != 1 || aTo[i].size() != 1) {
                bad = true;
                continue;
            }
            mCharMap[static_cast<uint8_t>(aFrom[i][0])] = static_cast<uint8_t>(aTo[i][0]);
        }
        return bad ? Error(kBadType) : true;
    }

    if (aCmd == "CREATELAYER" || aCmd == "CREATELAYERFROM") {
        std::string aName;
        if (!GetName(p[1], &aName))
            return Error(kBadType);
        FontLayer* aSource = nullptr;
        if (aCmd == "CREATELAYERFROM" && !GetLayer(p[2], &aSource))
            return Error(kBadType);
        if (aSource != nullptr)
            mFontLayerList.push_back(*aSource);
        else
            mFontLayerList.emplace_back(this);
        if (mFontLayerMap.count(aName) != 0) {
            Error("Layer Already Exists");
            return true;
        }
        mFontLayerMap[aName] = &mFontLayerList.back();
        return true;
    }

    // Every remaining command works on a layer.
    FontLayer* aLayer = nullptr;
    if (!GetLayer(p[1], &aLayer))
        return Error(kBadType);

    if (aCmd == "LAYERREQUIRETAGS" || aCmd == "LAYEREXCLUDETAGS") {
        StringVector aTags;
        if (!DataToStringVector(p[2], &aTags))
            return Error(kBadType);
        StringVector& aDest = aCmd == "LAYERREQUIRETAGS" ? aLayer->mRequiredTags
                                                         : aLayer->mExcludedTags;
        for (const std::string& aTag : aTags)
            aDest.push_back(StringToUpper(aTag));
        return true;
    }

    if (aCmd == "LAYERPOINTRANGE") {
        int aMin = 0, aMax = 0;
        if (!GetInt(p[2], &aMin) || !GetInt(p[3], &aMax))
            return Error(kBadType);
        aLayer->mMinPointSize = aMin;
        aLayer->mMaxPointSize = aMax;
        return true;
    }

    struct IntField {
        const char* mName;
        int FontLayer::*mField;
    };
    static const IntField kIntFields[] = {
        {"LAYERSETPOINTSIZE", &FontLayer::mPointSize},
        {"LAYERSETHEIGHT", &FontLayer::mHeight},
        {"LAYERSETASCENT", &FontLayer::mAscent},
        {"LAYERSETASCENTPADDING", &FontLayer::mAscentPadding},
        {"LAYERSETLINESPACINGOFFSET", &FontLayer::mLineSpacingOffset},
        {"LAYERSETSPACING", &FontLayer::mSpacing},
        {"LAYERSETBASEORDER", &FontLayer::mBaseOrder},
    };
    for (const IntField& f : kIntFields) {
        if (aCmd != f.mName)
            continue;
        int aValue = 0;
        if (!GetInt(p[2], &aValue))
            return Error(kBadType);
        aLayer->*f.mField = aValue;
        return true;
    }

    if (aCmd == "LAYERSETDRAWMODE") {
        int aMode = 0;
        if (!GetInt(p[2], &aMode) || (aMode != 0 && aMode != 1))
            return Error(kBadType);
        aLayer->mDrawMode = aMode;
        return true;
    }

    if (aCmd == "LAYERSETCOLORMULT" || aCmd == "LAYERSETCOLORADD") {
        Color aColor;
        if (!GetColor(p[2], &aColor))
            return Error(kBadType);
        (aCmd == "LAYERSETCOLORMULT" ? aLayer->mColorMult : aLayer->mColorAdd) = aColor;
        return true;
    }

    if (aCmd == "LAYERSETOFFSET") {
        IntVector anOffset;
        if (!DataToIntVector(p[2], &anOffset) || anOffset.size() != 2)
            return Error(kBadType);
        aLayer->mOffsetX = anOffset[0];
        aLayer->mOffsetY = anOffset[1];
        return true;
    }

    if (aCmd == "LAYERSETIMAGE") {
        std::string aFileName;
        if (!DataToString(p[2], &aFileName))
            return Error(kBadType);
        std::string aPath = ResolveRelativePath(aFileName, GetFileDir(mSourceFile));
        bool isNew = false;
        SharedImageHandle anImage =
            mApp != nullptr ? mApp->GetSharedImage(aPath, "", &isNew) : SharedImageHandle();
        Image* anImagePtr = anImage.GetImage();
        if (anImagePtr == nullptr)
            return Error("Failed to Load Image");
        if (isNew)
            if (auto* aMemoryImage = dynamic_cast<MemoryImage*>(anImagePtr))
                aMemoryImage->Palletize();
        aLayer->mImage = anImage;
        if (anImage.mUnsharedImage != nullptr && anImage.mSharedImage == nullptr)
            aLayer->mImage = anImage.mUnsharedImage;
        return true;
    }

    // The per-character commands: a list of characters paired with a list of values.
    StringVector aChars;
    if (!DataToStringVector(p[2], &aChars))
        return Error(kBadType);
    auto CharOf = [&](size_t i, uint8_t* theChar) {
        if (aChars[i].size() != 1)
            return false;
        *theChar = static_cast<uint8_t>(aChars[i][0]);
        return true;
    };
    bool bad = false;

    if (aCmd == "LAYERSETCHARWIDTHS" || aCmd == "LAYERSETCHARORDERS") {
        IntVector aValues;
        if (!DataToIntVector(p[3], &aValues))
            return Error(kBadType);
        if (aChars.size() != aValues.size())
            return Error("List Size Mismatch");
        const bool widths = aCmd == "LAYERSETCHARWIDTHS";
        for (size_t i = 0; i < aChars.size(); i++) {
            uint8_t c = 0;
            if (!CharOf(i, &c)) {
                bad = true;
                continue;
            }
            (widths ? aLayer->mCharData[c].mWidth : aLayer->mCharData[c].mOrder) = aValues[i];
        }
        return bad ? Error(kBadType) : true;
    }

    if (aCmd == "LAYERSETKERNINGPAIRS") {
        IntVector aValues;
        if (!DataToIntVector(p[3], &aValues))
            return Error(kBadType);
        if (aChars.size() != aValues.size())
            return Error("List Size Mismatch");
        for (size_t i = 0; i < aChars.size(); i++) {
            if (aChars[i].size() != 2) {
                bad = true;
                continue;
            }
            uint8_t a = static_cast<uint8_t>(aChars[i][0]);
            uint8_t b = static_cast<uint8_t>(aChars[i][1]);
            aLayer->mCharData[a].mKerningOffsets[b] =
                static_cast<int8_t>(static_cast<uint8_t>(aValues[i] & 0xFF));
        }
        return bad ? Error(kBadType) : true;
    }

    // LAYERSETIMAGEMAP and LAYERSETCHAROFFSETS pair the characters with a list of lists.
    ListDataElement aList;
    if (!DataToList(p[3], &aList))
        return Error(kBadType);
    if (aChars.size() != aList.mElementVector.size())
        return Error("List Size Mismatch");

    if (aCmd == "LAYERSETCHAROFFSETS") {
        for (size_t i = 0; i < aChars.size(); i++) {
            uint8_t c = 0;
            IntVector anOffset;
            if (!CharOf(i, &c) || !DataToIntVector(aList.mElementVector[i], &anOffset) ||
                anOffset.size() != 2) {
                bad = true;
                continue;
            }
            aLayer->mCharData[c].mOffsetX = anOffset[0];
            aLayer->mCharData[c].mOffsetY = anOffset[1];
        }
        return bad ? Error(kBadType) : true;
    }

    // LAYERSETIMAGEMAP
    Image* anImage = aLayer->mImage.GetImage();
    if (anImage == nullptr)
        return Error("Layer image not set");
    for (size_t i = 0; i < aChars.size(); i++) {
        uint8_t c = 0;
        IntVector aRect;
        if (!CharOf(i, &c) || !DataToIntVector(aList.mElementVector[i], &aRect) ||
            aRect.size() != 4) {
            bad = true;
            continue;
        }
        const int64_t x = aRect[0], y = aRect[1], w = aRect[2], h = aRect[3];
        if (x < 0 || y < 0 || w < 0 || h < 0 || x + w > anImage->GetWidth() ||
            y + h > anImage->GetHeight())
            return Error("Image rectangle out of bounds");
        aLayer->mCharData[c].mImageRect = Rect(aRect[0], aRect[1], aRect[2], aRect[3]);
    }
    int aDefaultHeight = 0;
    for (const CharData& aData : aLayer->mCharData)
        aDefaultHeight = static_cast<int>(std::clamp<int64_t>(
            std::max<int64_t>(aDefaultHeight, int64_t(aData.mImageRect.mHeight) + aData.mOffsetY),
            0, INT_MAX));
    aLayer->mDefaultHeight = aDefaultHeight;
    return bad ? Error(kBadType) : true;
}

} // namespace Quor
