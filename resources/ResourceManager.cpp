// ResourceManager: the records, the manifest reader, failures and the lookups. Loading of the
// records is in ResourceManagerLoad.cpp.
#include "resources/ResourceManager.h"

#include "app/Common.h"
#include "app/QuorAppBase.h"
#include "graphics/Font.h"
#include "resources/ImageLib.h"
#include "resources/XMLParser.h"
#include "sound/SoundManager.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace Quor {

namespace {

bool HasAttribute(const XMLElement& theElement, const char* theName)
{
    return theElement.mAttributes.count(theName) != 0;
}

// The attribute's value, or the empty text when it is absent.
std::string Attribute(const XMLElement& theElement, const char* theName)
{
    auto it = theElement.mAttributes.find(theName);
    return it == theElement.mAttributes.end() ? std::string() : it->second;
}

bool EqualsNoCase(const std::string& a, const char* b)
{
    return StringToUpper(a) == StringToUpper(b);
}

// A comma-separated list of integers, each read with atoi from just after the previous comma.
std::vector<int> IntList(const std::string& theText)
{
    std::vector<int> aList;
    size_t aStart = 0;
    for (;;) {
        aList.push_back(std::atoi(theText.c_str() + aStart));
        size_t aComma = theText.find(',', aStart);
        if (aComma == std::string::npos)
            break;
        aStart = aComma + 1;
    }
    return aList;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Records

void ResourceManager::ImageRes::DeleteResource()
{
    mImage.Release();
}

void ResourceManager::SoundRes::DeleteResource()
{
    if (mSoundId >= 0 && mSoundManager != nullptr)
        mSoundManager->ReleaseSound(mSoundId);
    mSoundId = -1;
    mSoundManager = nullptr;
}

ResourceManager::FontRes::~FontRes()
{
    DeleteResource();
}

void ResourceManager::FontRes::DeleteResource()
{
    delete mFont;
    mFont = nullptr;
    delete mImage;
    mImage = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Construction and failures

ResourceManager::ResourceManager(QuorAppBase* theApp) : mApp(theApp) {}

ResourceManager::~ResourceManager()
{
    delete mXMLParser;
    mXMLParser = nullptr;
    DeleteAllRecords();
}

// Sound records do not give their ids back here: the sound manager frees its sounds itself, and
// may already be gone when the records go.
void ResourceManager::DeleteAllRecords()
{
    {
        std::lock_guard<std::mutex> aLock(mStateLock);
        mLoads.clear();
    }
    mResGroupMap.clear();
    mCurResGroupList = nullptr;
    for (ResMap* aMap : {&mImageMap, &mSoundMap, &mFontMap}) {
        for (auto& [anId, aRes] : *aMap)
            delete aRes;
        aMap->clear();
    }
    mLoadedGroups.clear();
}

namespace {

// A number of the calling thread that no other thread of the run ever gets (thread ids may be
// reused once a thread has ended).
uint64_t ThreadSerial()
{
    static std::atomic<uint64_t> sLastSerial{0};
    thread_local const uint64_t tSerial = ++sLastSerial;
    return tSerial;
}

} // namespace

ResourceManager::LoadState& ResourceManager::ThreadState()
{
    return mLoads[ThreadSerial()];
}

void ResourceManager::BeginLoad(const std::string& theGroup)
{
    auto aGroup = mResGroupMap.find(theGroup);
    std::lock_guard<std::mutex> aLock(mStateLock);
    LoadState& aLoad = ThreadState();
    aLoad = LoadState();
    if (aGroup != mResGroupMap.end()) {
        aLoad.mList = &aGroup->second;
        aLoad.mNext = aLoad.mList->begin();
    }
}

bool ResourceManager::Fail(const std::string& theErrorText)
{
    std::lock_guard<std::mutex> aLock(mStateLock);
    LoadState& aState = ThreadState();
    if (aState.mFailed)
        return false;
    aState.mFailed = true;
    aState.mFailureSerial = ++mFailureCount;
    aState.mError = theErrorText;
    if (mXMLParser != nullptr && mXMLParser->GetCurrentLineNum() > 0) {
        aState.mError += StrFormat(" on Line %d", mXMLParser->GetCurrentLineNum());
        if (!mXMLParser->GetFileName().empty())
            aState.mError += " in File '" + mXMLParser->GetFileName() + "'";
    }
    return false;
}

std::string ResourceManager::GetErrorText()
{
    std::lock_guard<std::mutex> aLock(mStateLock);
    const LoadState& anOwn = ThreadState();
    if (anOwn.mFailed)
        return anOwn.mError;
    const LoadState* aNewest = nullptr;
    for (const auto& [aSerial, aState] : mLoads) {
        if (aState.mFailed && (aNewest == nullptr || aState.mFailureSerial > aNewest->mFailureSerial))
            aNewest = &aState;
    }
    return aNewest != nullptr ? aNewest->mError : std::string();
}

bool ResourceManager::HadError()
{
    std::lock_guard<std::mutex> aLock(mStateLock);
    return ThreadState().mFailed;
}

// ---------------------------------------------------------------------------------------------
// Manifests

bool ResourceManager::ParseResourcesFile(const std::string& theFilename)
{
    delete mXMLParser;
    mXMLParser = new XMLParser();
    if (!mXMLParser->OpenFile(theFilename)) {
        Fail("Resource file not found: " + theFilename);
    } else {
        XMLElement anElement;
        bool haveManifest = false;
        for (;;) {
            if (!mXMLParser->NextElement(&anElement)) {
                // A parser failure reports the parser's text; a plain end of the input before
                // any tag is a missing root.
                if (mXMLParser->HasFailed())
                    Fail(mXMLParser->GetErrorText());
                Fail("Expecting ResourceManifest tag");
                break;
            }
            if (anElement.mType == XMLElement::TYPE_START) {
                if (anElement.mValue == "ResourceManifest")
                    haveManifest = true;
                else
                    Fail("Expecting ResourceManifest tag");
                break;
            }
        }

        while (haveManifest && !HadError() && !mXMLParser->HasFailed()) {
            if (!mXMLParser->NextElement(&anElement))
                break;
            if (anElement.mType == XMLElement::TYPE_START) {
                if (anElement.mValue == "Resources") {
                    mCurResGroup = Attribute(anElement, "id");
                    mCurResGroupList = &mResGroupMap[mCurResGroup];
                    if (mCurResGroup.empty()) {
                        Fail("No id specified.");
                        break;
                    }
                    if (!ParseResources())
                        break;
                } else {
                    Fail("Invalid Section '" + anElement.mValue + "'");
                    break;
                }
            } else if (anElement.mType == XMLElement::TYPE_TEXT) {
                Fail("Element Not Expected '" + anElement.mValue + "'");
                break;
            }
        }
    }

    if (mXMLParser->HasFailed())
        Fail(mXMLParser->GetErrorText());
    delete mXMLParser;
    mXMLParser = nullptr;
    return !HadError();
}

// A section cut off by the end of the input is a failure of its own: the resources after the
// cut would otherwise be missing without a word.
bool ResourceManager::ParseResources()
{
    for (;;) {
        XMLElement anElement;
        if (!mXMLParser->NextElement(&anElement))
            return mXMLParser->HasFailed() ? false : Fail("Unexpected end of file.");
        if (anElement.mType == XMLElement::TYPE_START) {
            const std::string& aName = anElement.mValue;
            bool aResult;
            if (aName == "Image")
                aResult = ParseImageResource(anElement);
            else if (aName == "Sound")
                aResult = ParseSoundResource(anElement);
            else if (aName == "Font")
                aResult = ParseFontResource(anElement);
            else if (aName == "SetDefaults")
                aResult = ParseSetDefaults(anElement);
            else
                return Fail("Invalid Section '" + aName + "'");
            if (!aResult)
                return false;

            XMLElement anEnd;
            if (!mXMLParser->NextElement(&anEnd))
                return mXMLParser->HasFailed() ? false : Fail("Unexpected end of file.");
            if (anEnd.mType != XMLElement::TYPE_END)
                return Fail("Unexpected element found.");
        } else if (anElement.mType == XMLElement::TYPE_TEXT) {
            return Fail("Element Not Expected '" + anElement.mValue + "'");
        } else if (anElement.mType == XMLElement::TYPE_END) {
            return true;
        }
    }
}

bool ResourceManager::ParseCommonResource(XMLElement& theElement, BaseRes* theRes, ResMap& theMap)
{
    mHadAlreadyDefinedError = false;
    std::string aPath = Attribute(theElement, "path");
    if (aPath.empty())
        return Fail("No path specified.");

    theRes->mXMLAttributes = theElement.mAttributes;
    if (aPath[0] == '!') {
        theRes->mPath = aPath;
        theRes->mFromProgram = aPath == "!program";
    } else {
        theRes->mPath = mDefaultPath + aPath;
    }

    if (HasAttribute(theElement, "id"))
        theRes->mId = mDefaultIdPrefix + Attribute(theElement, "id");
    else
        theRes->mId = mDefaultIdPrefix + GetFileNameWithoutExt(theRes->mPath);

    theRes->mResGroup = mCurResGroup;
    if (!theMap.emplace(theRes->mId, theRes).second) {
        mHadAlreadyDefinedError = true;
        return Fail("Resource already defined.");
    }
    if (mCurResGroupList != nullptr)
        mCurResGroupList->push_back(theRes);
    return true;
}

template <typename T>
T* ResourceManager::FileRecord(XMLElement& theElement, ResMap& theMap)
{
    T* aRes = new T();
    if (ParseCommonResource(theElement, aRes, theMap))
        return aRes;
    if (!(mHadAlreadyDefinedError && mAllowAlreadyDefinedResources)) {
        delete aRes;
        return nullptr;
    }
    // The redefinition is allowed: the existing record takes the new path and attributes.
    {
        std::lock_guard<std::mutex> aLock(mStateLock);
        LoadState& aState = ThreadState();
        aState.mFailed = false;
        aState.mError.clear();
    }
    T* anOld = static_cast<T*>(theMap[aRes->mId]);
    anOld->mPath = aRes->mPath;
    anOld->mXMLAttributes = aRes->mXMLAttributes;
    delete aRes;
    return anOld;
}

bool ResourceManager::ParseSoundResource(XMLElement& theElement)
{
    SoundRes* aRes = FileRecord<SoundRes>(theElement, mSoundMap);
    if (aRes == nullptr)
        return false;
    aRes->mVolume = -1.0;
    aRes->mPan = 0;
    if (HasAttribute(theElement, "volume"))
        std::sscanf(Attribute(theElement, "volume").c_str(), "%lf", &aRes->mVolume);
    if (HasAttribute(theElement, "pan"))
        std::sscanf(Attribute(theElement, "pan").c_str(), "%d", &aRes->mPan);
    return true;
}

// A number of cel rows or columns: below 1 counts as 1, and no picture is more cels across than
// the largest image has pixels (an animation sets up a frame per cel).
static int CelCount(const std::string& theValue)
{
    return std::clamp(std::atoi(theValue.c_str()), 1, ImageLib::MAX_IMAGE_DIMENSION);
}

bool ResourceManager::ParseImageResource(XMLElement& theElement)
{
    ImageRes* aRes = FileRecord<ImageRes>(theElement, mImageMap);
    if (aRes == nullptr)
        return false;

    aRes->mPalletize = !HasAttribute(theElement, "nopal");
    aRes->mA4R4G4B4 = HasAttribute(theElement, "a4r4g4b4");
    aRes->mDDSurface = HasAttribute(theElement, "ddsurface");
    bool is3D = mApp != nullptr && mApp->Is3DAccelerated();
    aRes->mPurgeBits = HasAttribute(theElement, "nobits") ||
                       (is3D && HasAttribute(theElement, "nobits3d")) ||
                       (!is3D && HasAttribute(theElement, "nobits2d"));
    aRes->mA8R8G8B8 = HasAttribute(theElement, "a8r8g8b8");
    aRes->mMinimizeSubdivisions = HasAttribute(theElement, "minsubdivide");
    aRes->mAutoFindAlpha = !HasAttribute(theElement, "noalpha");

    aRes->mAlphaImage.clear();
    if (HasAttribute(theElement, "alphaimage"))
        aRes->mAlphaImage = mDefaultPath + Attribute(theElement, "alphaimage");
    aRes->mAlphaColor = 0xFFFFFF;
    if (HasAttribute(theElement, "alphacolor")) {
        unsigned int aColor = 0xFFFFFF;
        std::sscanf(Attribute(theElement, "alphacolor").c_str(), "%x", &aColor);
        aRes->mAlphaColor = aColor;
    }
    aRes->mVariant = Attribute(theElement, "variant");
    aRes->mAlphaGridImage.clear();
    if (HasAttribute(theElement, "alphagrid"))
        aRes->mAlphaGridImage = mDefaultPath + Attribute(theElement, "alphagrid");

    // A grid of no rows or columns is one cel, so that cel sizes never divide by zero.
    aRes->mRows = 1;
    if (HasAttribute(theElement, "rows"))
        aRes->mRows = CelCount(Attribute(theElement, "rows"));
    aRes->mCols = 1;
    if (HasAttribute(theElement, "cols"))
        aRes->mCols = CelCount(Attribute(theElement, "cols"));

    aRes->mAnimInfo = ImageAnimation();
    int anAnimType = ImageAnimation::AnimType_None;
    if (HasAttribute(theElement, "anim")) {
        std::string aType = Attribute(theElement, "anim");
        if (EqualsNoCase(aType, "none"))
            anAnimType = ImageAnimation::AnimType_None;
        else if (EqualsNoCase(aType, "once"))
            anAnimType = ImageAnimation::AnimType_Once;
        else if (EqualsNoCase(aType, "loop"))
            anAnimType = ImageAnimation::AnimType_Loop;
        else if (EqualsNoCase(aType, "pingpong"))
            anAnimType = ImageAnimation::AnimType_PingPong;
        else
            return Fail("Invalid animation type.");
    }
    aRes->mAnimInfo.mAnimType = anAnimType;
    if (anAnimType != ImageAnimation::AnimType_None) {
        int aNumCels = std::max(aRes->mRows, aRes->mCols);
        int aBeginDelay = 0;
        int anEndDelay = 0;
        if (HasAttribute(theElement, "framedelay"))
            aRes->mAnimInfo.mFrameDelay = std::atoi(Attribute(theElement, "framedelay").c_str());
        if (HasAttribute(theElement, "begindelay"))
            aBeginDelay = std::atoi(Attribute(theElement, "begindelay").c_str());
        if (HasAttribute(theElement, "enddelay"))
            anEndDelay = std::atoi(Attribute(theElement, "enddelay").c_str());
        if (HasAttribute(theElement, "perframedelay"))
            aRes->mAnimInfo.mPerFrameDelay = IntList(Attribute(theElement, "perframedelay"));
        if (HasAttribute(theElement, "framemap"))
            aRes->mAnimInfo.mFrameMap = IntList(Attribute(theElement, "framemap"));
        aRes->mAnimInfo.SetUp(aNumCels, aBeginDelay, anEndDelay);
    }
    return true;
}

bool ResourceManager::ParseFontResource(XMLElement& theElement)
{
    FontRes* aRes = FileRecord<FontRes>(theElement, mFontMap);
    if (aRes == nullptr)
        return false;

    aRes->mImagePath = Attribute(theElement, "image");
    aRes->mTags = Attribute(theElement, "tags");
    aRes->mSize = 0;
    if (HasAttribute(theElement, "size"))
        aRes->mSize = std::atoi(Attribute(theElement, "size").c_str());

    aRes->mBold = aRes->mItalic = aRes->mShadow = aRes->mUnderline = false;
    static const std::string kSysPrefix = "!sys:";
    if (aRes->mPath.compare(0, kSysPrefix.size(), kSysPrefix) == 0) {
        aRes->mSysFont = true;
        aRes->mPath = aRes->mPath.substr(kSysPrefix.size());
        if (!HasAttribute(theElement, "size") || aRes->mSize < 1)
            return Fail("SysFont needs point size");
        aRes->mBold = HasAttribute(theElement, "bold");
        aRes->mItalic = HasAttribute(theElement, "italic");
        aRes->mShadow = HasAttribute(theElement, "shadow");
        aRes->mUnderline = HasAttribute(theElement, "underline");
    } else {
        aRes->mSysFont = false;
    }
    return true;
}

bool ResourceManager::ParseSetDefaults(XMLElement& theElement)
{
    // An empty path means no prefix, not the root folder.
    if (HasAttribute(theElement, "path")) {
        std::string aPath = RemoveTrailingSlash(Attribute(theElement, "path"));
        mDefaultPath = aPath.empty() ? std::string() : aPath + "/";
    }
    if (HasAttribute(theElement, "idprefix"))
        mDefaultIdPrefix = RemoveTrailingSlash(Attribute(theElement, "idprefix"));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Counts and lookups

namespace {

int CountRecords(const ResourceManager::ResMap& theMap, const std::string& theGroup)
{
    if (theGroup.empty())
        return static_cast<int>(theMap.size());
    int aCount = 0;
    for (const auto& [anId, aRes] : theMap) {
        if (aRes->mResGroup == theGroup && !aRes->mFromProgram)
            ++aCount;
    }
    return aCount;
}

} // namespace

int ResourceManager::GetNumImages(const std::string& theGroup)
{
    return CountRecords(mImageMap, theGroup);
}

int ResourceManager::GetNumSounds(const std::string& theGroup)
{
    return CountRecords(mSoundMap, theGroup);
}

int ResourceManager::GetNumFonts(const std::string& theGroup)
{
    return CountRecords(mFontMap, theGroup);
}

int ResourceManager::GetNumResources(const std::string& theGroup)
{
    return GetNumImages(theGroup) + GetNumSounds(theGroup) + GetNumFonts(theGroup);
}

Font* ResourceManager::GetFont(const std::string& theId)
{
    auto it = mFontMap.find(theId);
    return it == mFontMap.end() ? nullptr : static_cast<FontRes*>(it->second)->mFont;
}

SharedImageHandle ResourceManager::GetImageThrow(const std::string& theId)
{
    auto it = mImageMap.find(theId);
    if (it != mImageMap.end()) {
        auto* aRes = static_cast<ImageRes*>(it->second);
        if (aRes->mImage.GetImage() != nullptr ||
            (mAllowMissingProgramResources && aRes->mFromProgram))
            return aRes->mImage;
    }
    Fail(StrFormat("Image resource not found: %s", theId.c_str()));
    throw ResourceManagerException(GetErrorText());
}

int ResourceManager::GetSoundThrow(const std::string& theId)
{
    auto it = mSoundMap.find(theId);
    if (it != mSoundMap.end()) {
        auto* aRes = static_cast<SoundRes*>(it->second);
        if (aRes->mSoundId != -1 || (mAllowMissingProgramResources && aRes->mFromProgram))
            return aRes->mSoundId;
    }
    Fail(StrFormat("Sound resource not found: %s", theId.c_str()));
    throw ResourceManagerException(GetErrorText());
}

Font* ResourceManager::GetFontThrow(const std::string& theId)
{
    auto it = mFontMap.find(theId);
    if (it != mFontMap.end()) {
        auto* aRes = static_cast<FontRes*>(it->second);
        if (aRes->mFont != nullptr || (mAllowMissingProgramResources && aRes->mFromProgram))
            return aRes->mFont;
    }
    Fail(StrFormat("Font resource not found: %s", theId.c_str()));
    throw ResourceManagerException(GetErrorText());
}

} // namespace Quor
