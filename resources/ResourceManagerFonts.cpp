// ResourceManager: loading fonts: system fonts, image fonts from descriptors or from an image
// with a width file, references to other fonts, and their tags.
#include "resources/ResourceManager.h"

#include "app/Common.h"
#include "app/QuorAppBase.h"
#include "display/DDImage.h"
#include "graphics/Font.h"
#include "graphics/ImageFont.h"
#include "graphics/SysFont.h"

namespace Quor {

bool ResourceManager::DoLoadFont(FontRes* theRes)
{
    Font* aFont = nullptr;

    if (theRes->mSysFont) {
        bool isWin9x = IsWindows9x();
        auto* aSysFont = new SysFont(theRes->mPath, theRes->mSize, isWin9x ? false : theRes->mBold,
                                     theRes->mItalic, theRes->mUnderline);
        aSysFont->mSimulateBold = isWin9x && theRes->mBold;
        aSysFont->mDrawShadow = theRes->mShadow;
        aFont = aSysFont;
    } else {
        ImageFont* anImageFont = nullptr;
        if (theRes->mImagePath.empty()) {
            static const std::string kRefPrefix = "!ref:";
            if (theRes->mPath.compare(0, kRefPrefix.size(), kRefPrefix) == 0) {
                std::string aRefId = theRes->mPath.substr(kRefPrefix.size());
                Font* aRefFont = GetFont(aRefId);
                if (aRefFont == nullptr)
                    return Fail("Ref font not found: " + aRefId);
                aFont = aRefFont->Duplicate();
                anImageFont = dynamic_cast<ImageFont*>(aFont);
            } else {
                anImageFont = new ImageFont(mApp, theRes->mPath);
                aFont = anImageFont;
            }
        } else {
            Image* aFontImage = mApp != nullptr ? mApp->LoadImageFile(theRes->mImagePath) : nullptr;
            if (aFontImage == nullptr)
                return Fail(StrFormat("Failed to load image: %s", theRes->mImagePath.c_str()));
            delete theRes->mImage;
            theRes->mImage = aFontImage;
            anImageFont = new ImageFont(aFontImage, theRes->mPath);
            aFont = anImageFont;
        }

        if (anImageFont != nullptr) {
            if (anImageFont->mFontData == nullptr || !anImageFont->mFontData->mInitialized) {
                delete aFont;
                return Fail(StrFormat("Failed to load font: %s", theRes->mPath.c_str()));
            }
            // The tag list is split without a fixed-size buffer: any length works.
            static const char* kSeparators = ", \r\n\t";
            const std::string& aTags = theRes->mTags;
            size_t aPos = aTags.find_first_not_of(kSeparators);
            while (aPos != std::string::npos) {
                size_t anEnd = aTags.find_first_of(kSeparators, aPos);
                anImageFont->AddTag(aTags.substr(aPos, anEnd == std::string::npos ? std::string::npos : anEnd - aPos));
                aPos = anEnd == std::string::npos ? anEnd : aTags.find_first_not_of(kSeparators, anEnd);
            }
            anImageFont->Prepare();
        }
    }

    theRes->mFont = aFont;
    ResourceLoaded(theRes);
    return true;
}

} // namespace Quor
