// The resource manager: every image, sound and font of the program known by a string id and
// gathered into named groups, read from XML resource manifests, loaded and unloaded group by
// group (whole or one resource at a time), and handed out by id.
#pragma once

#include "graphics/Image.h"
#include "graphics/SharedImage.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <list>
#include <map>
#include <mutex>
#include <set>
#include <string>

namespace Quor {

class Font;
class QuorAppBase;
class SoundManager;
class XMLElement;
class XMLParser;

// Thrown by the lookups when a resource is missing; carries the manager's error text.
class ResourceManagerException : public std::exception {
public:
    std::string mWhat;

    explicit ResourceManagerException(const std::string& theWhat) : mWhat(theWhat) {}
    const char* what() const noexcept override { return mWhat.c_str(); }
};

class ResourceManager {
public:
    enum ResType { ResType_Image = 0, ResType_Sound = 1, ResType_Font = 2 };

    // What a manifest says of one resource, and the object once it is loaded.
    class BaseRes {
    public:
        ResType mType = ResType_Image;
        std::string mId;        // with the id prefix in force
        std::string mResGroup;
        std::string mPath;      // with the default path, unless it starts with '!'
        std::map<std::string, std::string> mXMLAttributes;
        bool mFromProgram = false;  // the path was "!program": the program makes it itself

        BaseRes() = default;
        BaseRes(const BaseRes&) = delete;
        BaseRes& operator=(const BaseRes&) = delete;
        virtual ~BaseRes() = default;
        // Frees the loaded object; the record stays and can be loaded again.
        virtual void DeleteResource() {}
    };

    class ImageRes : public BaseRes {
    public:
        SharedImageHandle mImage;
        std::string mAlphaImage;      // file whose blue channel becomes the alpha
        std::string mAlphaGridImage;  // one alpha picture for every cel of the grid
        std::string mVariant;
        bool mAutoFindAlpha = true;
        bool mPalletize = true;
        bool mA4R4G4B4 = false;
        bool mA8R8G8B8 = false;
        bool mDDSurface = false;
        bool mPurgeBits = false;
        bool mMinimizeSubdivisions = false;
        int mRows = 1;
        int mCols = 1;
        uint32_t mAlphaColor = 0xFFFFFF;
        ImageAnimation mAnimInfo;

        ImageRes() { mType = ResType_Image; }
        void DeleteResource() override;
    };

    class SoundRes : public BaseRes {
    public:
        int mSoundId = -1;
        double mVolume = -1.0;  // below 0: not given
        int mPan = 0;
        SoundManager* mSoundManager = nullptr;  // the manager that holds mSoundId

        SoundRes() { mType = ResType_Sound; }
        void DeleteResource() override;
    };

    class FontRes : public BaseRes {
    public:
        Font* mFont = nullptr;    // owned
        Image* mImage = nullptr;  // owned; the picture of a font made from a width file
        std::string mImagePath;
        std::string mTags;
        bool mSysFont = false;
        bool mBold = false;
        bool mItalic = false;
        bool mUnderline = false;
        bool mShadow = false;
        int mSize = 0;

        FontRes() { mType = ResType_Font; }
        ~FontRes() override;
        void DeleteResource() override;
    };

    using ResMap = std::map<std::string, BaseRes*>;
    using ResList = std::list<BaseRes*>;
    using ResGroupMap = std::map<std::string, ResList>;

    std::set<std::string> mLoadedGroups;  // added to under the state lock
    ResMap mImageMap;  // each map owns its records; the group lists only point to them
    ResMap mSoundMap;
    ResMap mFontMap;
    XMLParser* mXMLParser = nullptr;  // only while a manifest is read
    QuorAppBase* mApp = nullptr;
    std::string mCurResGroup;  // the group whose records the manifest reader is filing
    std::string mDefaultPath;
    std::string mDefaultIdPrefix;
    bool mAllowMissingProgramResources = false;
    bool mAllowAlreadyDefinedResources = false;
    bool mHadAlreadyDefinedError = false;
    ResGroupMap mResGroupMap;
    ResList* mCurResGroupList = nullptr;  // the manifest reader's current group

    explicit ResourceManager(QuorAppBase* theApp);
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;

    // Reads one manifest; true when no failure is recorded.
    bool ParseResourcesFile(const std::string& theFilename);
    // The first failure this thread recorded since its last load began; when it recorded none,
    // the newest failure another thread still holds (a load that failed on the loading thread
    // is reported by the main thread).
    std::string GetErrorText();
    // Whether this thread recorded a failure since its last load began.
    bool HadError();

    virtual bool ParseCommonResource(XMLElement& theElement, BaseRes* theRes, ResMap& theMap);
    virtual bool ParseSoundResource(XMLElement& theElement);
    virtual bool ParseImageResource(XMLElement& theElement);
    virtual bool ParseFontResource(XMLElement& theElement);
    virtual bool ParseSetDefaults(XMLElement& theElement);
    virtual bool ParseResources();
    virtual void DeleteResources(const std::string& theGroup);
    virtual void DeleteMapResources(ResMap& theMap, const std::string& theGroup);
    virtual bool DoLoadImage(ImageRes* theRes);
    virtual bool DoLoadFont(FontRes* theRes);
    virtual bool DoLoadSound(SoundRes* theRes);
    virtual ~ResourceManager();
    // A step-by-step load belongs to the thread that starts it: LoadNextResource goes on with
    // the calling thread's load, so loads of other groups on other threads meanwhile neither
    // move it nor stop it, and its failure stops only it.
    virtual bool LoadNextResource();
    virtual void ResourceLoaded(BaseRes* theRes);
    virtual void StartLoadResources(const std::string& theGroup);
    virtual bool LoadResources(const std::string& theGroup);
    virtual SharedImageHandle GetImageThrow(const std::string& theId);
    virtual int GetSoundThrow(const std::string& theId);
    virtual Font* GetFontThrow(const std::string& theId);

    // Counts of records; with a group name only those of the group that the program does not
    // make itself.
    int GetNumImages(const std::string& theGroup);
    int GetNumSounds(const std::string& theGroup);
    int GetNumFonts(const std::string& theGroup);
    int GetNumResources(const std::string& theGroup);
    // The loaded font of the id, or null; never fails.
    Font* GetFont(const std::string& theId);

protected:
    // Records the first failure (with the manifest line and file while one is read); false.
    bool Fail(const std::string& theErrorText);
    void DeleteAllRecords();

private:
    // A new record of kind T filed through ParseCommonResource: the record to fill in (the
    // existing one when a repeated id may redefine it), or null on failure.
    template <typename T>
    T* FileRecord(XMLElement& theElement, ResMap& theMap);

    // One thread's load: where it stands in its group, and the first failure the thread
    // recorded since the load began.
    struct LoadState {
        ResList* mList = nullptr;  // null: nothing to load
        ResList::iterator mNext;
        bool mFailed = false;
        uint64_t mFailureSerial = 0;  // orders the failures of all threads
        std::string mError;
    };
    // The calling thread's state, made on first use; call with mStateLock held.
    LoadState& ThreadState();
    // Forgets the calling thread's failure and points its load at the start of the group.
    void BeginLoad(const std::string& theGroup);

    // Guards the load states and the set of loaded groups: loads run on the loading thread
    // and the main thread at once.
    std::mutex mStateLock;
    std::map<uint64_t, LoadState> mLoads;  // by thread serial
    uint64_t mFailureCount = 0;
    // Held from taking a free sound id until the sound is in it.
    std::mutex mSoundIdLock;
};

} // namespace Quor
