// The resource archive reader and the archive-aware file functions that every reader of the
// program uses: names are looked up in the opened archives first, anything else is a plain file.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <list>
#include <map>
#include <string>

#include "platform/FileMap.h"

namespace Quor {

// One opened archive: the read-only view of the whole file.
struct PakCollection {
    plat::FileMap mMap;
};

// One file inside an archive.
struct PakRecord {
    PakCollection* mCollection = nullptr;
    std::string mFileName;   // as stored in the archive
    uint64_t mFileTime = 0;  // 100-ns intervals since 1601-01-01
    int32_t mStartPos = 0;   // from the first byte of the archive file
    int32_t mSize = 0;
};

using PakRecordMap = std::map<std::string, PakRecord>;

// The handle of every file opened through the archive-aware functions.
struct PakFile {
    PakRecord* mRecord = nullptr;  // null for a plain file
    int32_t mPos = 0;              // read position inside an archive file (0 .. size)
    FILE* mFP = nullptr;           // the plain file, null for an archive file
};

// What a directory search reports of one file.
struct PakFindData {
    uint32_t mAttributes = 0;
    uint64_t mCreationTime = 0;  // 100-ns intervals since 1601-01-01
    uint64_t mLastAccessTime = 0;
    uint64_t mLastWriteTime = 0;
    uint32_t mFileSizeHigh = 0;
    uint32_t mFileSizeLow = 0;
    std::string mFileName;       // without its folder
};

constexpr uint32_t PAK_FILE_ATTRIBUTE_DIRECTORY = 16;

struct PakFindHandle;  // a running search; null stands for "no search"

// The virtual file API; PakInterface is its one implementation.
class PakInterfaceBase {
public:
    virtual PakFile* FOpenUnsupported(const char* fileName, const char* access) = 0;
    virtual PakFile* FOpen(const char* fileName, const char* access) = 0;
    virtual int FClose(PakFile* file) = 0;
    virtual int FSeek(PakFile* file, long offset, int origin) = 0;
    virtual long FTell(PakFile* file) = 0;
    virtual size_t FRead(void* ptr, size_t elemSize, size_t count, PakFile* file) = 0;
    virtual int FGetC(PakFile* file) = 0;
    virtual int UnGetC(int c, PakFile* file) = 0;
    virtual char* FGetSUnsupported(char* ptr, int size, PakFile* file) = 0;
    virtual char* FGetS(char* ptr, int size, PakFile* file) = 0;
    virtual int FEof(PakFile* file) = 0;
    virtual PakFindHandle* FindFirstFile(const char* pattern, PakFindData* findData) = 0;
    virtual bool FindNextFile(PakFindHandle* search, PakFindData* findData) = 0;
    virtual bool FindClose(PakFindHandle* search) = 0;

protected:
    ~PakInterfaceBase() = default;
};

class PakInterface : public PakInterfaceBase {
public:
    static constexpr const char* DEFAULT_PASSWORD = "GrobelWintaMarshkin";

    std::list<PakCollection> mPakCollectionList;  // in opening order
    PakRecordMap mPakRecordMap;                    // keyed by upper-case name
    std::string mDecryptPassword;                  // assigned by the application before AddPakFile
    std::string mError;                            // message of the last failed archive open

    PakInterface();
    ~PakInterface();
    PakInterface(const PakInterface&) = delete;
    PakInterface& operator=(const PakInterface&) = delete;

    // Opens one archive and adds its files to the directory; a later archive wins.
    bool AddPakFile(const std::string& fileName);

    PakFile* FOpenUnsupported(const char* fileName, const char* access) override;
    PakFile* FOpen(const char* fileName, const char* access) override;
    int FClose(PakFile* file) override;
    int FSeek(PakFile* file, long offset, int origin) override;
    long FTell(PakFile* file) override;
    size_t FRead(void* ptr, size_t elemSize, size_t count, PakFile* file) override;
    int FGetC(PakFile* file) override;
    int UnGetC(int c, PakFile* file) override;
    char* FGetSUnsupported(char* ptr, int size, PakFile* file) override;
    char* FGetS(char* ptr, int size, PakFile* file) override;
    int FEof(PakFile* file) override;
    PakFindHandle* FindFirstFile(const char* pattern, PakFindData* findData) override;
    bool FindNextFile(PakFindHandle* search, PakFindData* findData) override;
    bool FindClose(PakFindHandle* search) override;

    // The directory key a name is looked up by: separators folded to one '\', leading ".."
    // steps resolved, a-z upper-cased, the current folder's prefix cut off. False when the
    // result would not fit the 259 characters a name may have.
    static bool NormalizeName(const char* name, std::string& out);

private:
    const std::string& Key() const;
    void Descramble(uint8_t* dest, const uint8_t* view, int64_t absPos, size_t count) const;
    int ReadByte(PakFile* file);
};

// The registered instance (created on first use) or null.
PakInterface* GetPakInterface();

PakFile* PakFOpen(const char* fileName, const char* access);
int PakFClose(PakFile* file);
int PakFSeek(PakFile* file, long offset, int origin);
long PakFTell(PakFile* file);
size_t PakFRead(void* ptr, size_t elemSize, size_t count, PakFile* file);
int PakFGetC(PakFile* file);
int PakUnGetC(int c, PakFile* file);
int PakFEof(PakFile* file);

} // namespace Quor
