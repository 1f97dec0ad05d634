// ResourceManager: loading groups whole or one resource at a time, the loaders of the three
// kinds, and unloading.
#include "resources/ResourceManager.h"

#include "app/Common.h"
#include "app/QuorAppBase.h"
#include "display/DDImage.h"
#include "graphics/MemoryImage.h"
#include "graphics/PixelRows.h"
#include "resources/ImageLib.h"
#include "sound/SoundManager.h"

#include <memory>

namespace Quor {

// ---------------------------------------------------------------------------------------------
// Groups

void ResourceManager::StartLoadResources(const std::string& theGroup)
{
    BeginLoad(theGroup);
}

bool ResourceManager::LoadNextResource()
{
    LoadState* aLoad = nullptr;
    {
        std::lock_guard<std::mutex> aLock(mStateLock);
        aLoad = &ThreadState();
        if (aLoad->mFailed || aLoad->mList == nullptr)
            return false;
    }
    // Only this thread moves its own load along.
    while (aLoad->mNext != aLoad->mList->end()) {
        BaseRes* aRes = *aLoad->mNext++;
        if (aRes->mFromProgram)
            continue;
        switch (aRes->mType) {
        case ResType_Image: {
            auto* anImageRes = static_cast<ImageRes*>(aRes);
            if (anImageRes->mImage.GetImage() != nullptr)
                continue;
            return DoLoadImage(anImageRes);
        }
        case ResType_Sound: {
            auto* aSoundRes = static_cast<SoundRes*>(aRes);
            if (aSoundRes->mSoundId != -1)
                continue;
            return DoLoadSound(aSoundRes);
        }
        case ResType_Font: {
            auto* aFontRes = static_cast<FontRes*>(aRes);
            if (aFontRes->mFont != nullptr)
                continue;
            return DoLoadFont(aFontRes);
        }
        }
    }
    return false;
}

void ResourceManager::ResourceLoaded(BaseRes* theRes)
{
    (void)theRes;
}

bool ResourceManager::LoadResources(const std::string& theGroup)
{
    StartLoadResources(theGroup);
    while (LoadNextResource()) {
    }
    std::lock_guard<std::mutex> aLock(mStateLock);
    if (ThreadState().mFailed)
        return false;
    mLoadedGroups.insert(theGroup);
    return true;
}

void ResourceManager::DeleteMapResources(ResMap& theMap, const std::string& theGroup)
{
    for (auto& [anId, aRes] : theMap) {
        if (theGroup.empty() || aRes->mResGroup == theGroup)
            aRes->DeleteResource();
    }
}

void ResourceManager::DeleteResources(const std::string& theGroup)
{
    DeleteMapResources(mImageMap, theGroup);
    DeleteMapResources(mSoundMap, theGroup);
    DeleteMapResources(mFontMap, theGroup);
    // The pictures came from this application's shared images: its next upkeep frees those no
    // longer held (a handle's release reaches only the application the global names).
    if (mApp != nullptr)
        mApp->mCleanSharedImages = true;
    // Every record freed: no group stays loaded.
    std::lock_guard<std::mutex> aLock(mStateLock);
    if (theGroup.empty())
        mLoadedGroups.clear();
    else
        mLoadedGroups.erase(theGroup);
}

// ---------------------------------------------------------------------------------------------
// Images

namespace {

// Each pixel of theImage takes the low byte (blue) of the matching alpha pixel as its alpha;
// theAlpha covers the cel (theX, theY, its width and height) of the image. The alpha flags of
// the merged pixels are gathered on the way when flags are given.
void MergeAlpha(uint32_t* theBits, int theStride, const ImageLib::Image& theAlpha, int theX, int theY,
                bool* hasTrans = nullptr, bool* hasAlpha = nullptr)
{
    for (int y = 0; y < theAlpha.mHeight; y++) {
        uint32_t* aRow = theBits + size_t(theY + y) * size_t(theStride) + size_t(theX);
        const uint32_t* anAlphaRow = theAlpha.mBits + size_t(y) * size_t(theAlpha.mWidth);
        for (int x = 0; x < theAlpha.mWidth; x++)
            aRow[x] = (aRow[x] & 0x00FFFFFF) | ((anAlphaRow[x] & 0xFF) << 24);
        if (hasTrans != nullptr)
            PixelRows::ScanAlpha(aRow, size_t(theAlpha.mWidth), *hasTrans, *hasAlpha);
    }
}

} // namespace

bool ResourceManager::DoLoadImage(ImageRes* theRes)
{
    // The alpha compose colour is the loading thread's own (thread-local): a load on another
    // thread at the same time keeps its colour.
    if (mApp == nullptr)
        return Fail(StrFormat("Failed to load image: %s", theRes->mPath.c_str()));
    bool isNew = false;
    ImageLib::gAlphaComposeColor = theRes->mAlphaColor;
    SharedImageHandle aHandle = mApp->GetSharedImage(theRes->mPath, theRes->mVariant, &isNew);
    ImageLib::gAlphaComposeColor = 0xFFFFFF;
    auto* anImage = dynamic_cast<MemoryImage*>(aHandle.GetImage());
    if (anImage == nullptr)
        return Fail(StrFormat("Failed to load image: %s", theRes->mPath.c_str()));

    if (isNew) {
        if (!theRes->mAlphaImage.empty()) {
            std::unique_ptr<ImageLib::Image> anAlpha(ImageLib::GetImage(theRes->mAlphaImage, true));
            if (anAlpha == nullptr)
                return Fail(StrFormat("Failed to load image: %s", theRes->mAlphaImage.c_str()));
            if (anAlpha->mWidth != anImage->mWidth || anAlpha->mHeight != anImage->mHeight)
                return Fail(StrFormat("AlphaImage size mismatch between %s and %s",
                                      theRes->mPath.c_str(), theRes->mAlphaImage.c_str()));
            uint32_t* aBits = anImage->GetBits();
            if (aBits == nullptr)
                return Fail(StrFormat("Failed to load image: %s", theRes->mPath.c_str()));
            bool hasTrans = false, hasAlpha = false;
            MergeAlpha(aBits, anImage->mWidth, *anAlpha, 0, 0, &hasTrans, &hasAlpha);
            anImage->BitsChanged();
            anImage->SetScannedAlphaFlags(hasTrans, hasAlpha);  // every pixel was merged
        }

        if (!theRes->mAlphaGridImage.empty()) {
            std::unique_ptr<ImageLib::Image> aGrid(ImageLib::GetImage(theRes->mAlphaGridImage, true));
            if (aGrid == nullptr)
                return Fail(StrFormat("Failed to load image: %s", theRes->mAlphaGridImage.c_str()));
            // Rows and columns are at least 1 (the manifest reader sees to it).
            int aCelWidth = anImage->mWidth / theRes->mCols;
            int aCelHeight = anImage->mHeight / theRes->mRows;
            if (aGrid->mWidth != aCelWidth || aGrid->mHeight != aCelHeight)
                return Fail(StrFormat("GridAlphaImage size mismatch between %s and %s",
                                      theRes->mPath.c_str(), theRes->mAlphaGridImage.c_str()));
            uint32_t* aBits = anImage->GetBits();
            if (aBits == nullptr)
                return Fail(StrFormat("Failed to load image: %s", theRes->mPath.c_str()));
            for (int aRow = 0; aRow < theRes->mRows; aRow++) {
                for (int aCol = 0; aCol < theRes->mCols; aCol++)
                    MergeAlpha(aBits, anImage->mWidth, *aGrid, aCol * aCelWidth, aRow * aCelHeight);
            }
            anImage->BitsChanged();
        }
    }

    anImage->RescanAlphaFlags();
    theRes->mImage = aHandle;
    auto* aDisplayImage = dynamic_cast<DDImage*>(anImage);

    anImage->mPurgeBits = theRes->mPurgeBits;
    if (theRes->mDDSurface) {
        anImage->RescanAlphaFlags();
        if (!anImage->mHasAlpha) {
            if (aDisplayImage != nullptr)
                aDisplayImage->mWantDDSurface = true;
            anImage->mPurgeBits = true;
        }
    }

    if (theRes->mPalletize) {
        if (aDisplayImage == nullptr || aDisplayImage->mSurface == nullptr)
            anImage->Palletize();
        else
            anImage->mWantPalette = true;
    }

    if (theRes->mA4R4G4B4)
        anImage->mTextureFlags |= TextureFlag_UseA4R4G4B4;
    if (theRes->mA8R8G8B8)
        anImage->mTextureFlags |= TextureFlag_UseA8R8G8B8;
    if (theRes->mMinimizeSubdivisions)
        anImage->mTextureFlags |= TextureFlag_MinimizeNumSubdivisions;

    if (theRes->mAnimInfo.mAnimType != ImageAnimation::AnimType_None) {
        delete anImage->mAnimInfo;
        anImage->mAnimInfo = new ImageAnimation(theRes->mAnimInfo);
    }
    anImage->mNumRows = theRes->mRows;
    anImage->mNumCols = theRes->mCols;

    if (anImage->mPurgeBits)
        anImage->PurgeBits();

    ResourceLoaded(theRes);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Sounds

bool ResourceManager::DoLoadSound(SoundRes* theRes)
{
    SoundManager* aManager = mApp != nullptr ? mApp->mSoundManager : nullptr;
    int anId = -1;
    {
        // A load of another group on another thread must not be handed the same free id
        // before this one fills it.
        std::lock_guard<std::mutex> aLock(mSoundIdLock);
        anId = aManager != nullptr ? aManager->GetFreeSoundId() : -1;
        if (anId >= 0 && !aManager->LoadSoundToId(anId, theRes->mPath))
            return Fail(StrFormat("Failed to load sound: %s", theRes->mPath.c_str()));
    }
    if (anId < 0)
        return Fail("Out of free sound ids");

    if (theRes->mVolume >= 0.0)
        aManager->SetBaseVolume(anId, theRes->mVolume);
    if (theRes->mPan != 0)
        aManager->SetBasePan(anId, theRes->mPan);
    theRes->mSoundId = anId;
    theRes->mSoundManager = aManager;
    ResourceLoaded(theRes);
    return true;
}

} // namespace Quor
