// The archive reader: archives are mapped whole and read with one XOR per byte; every other
// name falls through to a plain file.
#include "resources/PakInterface.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "app/Common.h"
#include "platform/Files.h"

namespace Quor {

namespace {

constexpr uint32_t PAK_MAGIC = 0xBAC04AC0;
constexpr size_t MAX_NAME = 259;  // a normalised name must fit a 260-byte buffer
const char* const INVALID_FILE = "Invalid File or Invalid Password.";
const char* const INVALID_VERSION = "Invalid Version or Invalid Password.";

std::atomic<PakInterface*> gPakInterfaceSlot{nullptr};

bool IsSep(char c) { return c == '\\' || c == '/'; }
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool ModeIsRead(const char* access) {
    if (!access) return false;
    std::string m;
    for (const char* p = access; *p; ++p) m += UpperAscii(*p);
    return m == "R" || m == "RB" || m == "RT";
}

// Length of the current folder's prefix at the start of an absolute name, 0 when the name does
// not lie below the current folder. Separators of either kind and letter case do not count.
size_t CurrentDirPrefix(const char* name) {
    bool absolute = (name[0] && name[1] == ':') || name[0] == '/';
    if (!absolute) return 0;
    std::string cwd = plat::GetCurrentDirectory();
    if (cwd.empty()) return 0;
    if (!IsSep(cwd.back())) cwd += '\\';
    size_t n = cwd.size();
    if (std::strlen(name) < n) return 0;
    for (size_t i = 0; i < n; ++i) {
        char a = name[i], b = cwd[i];
        if (IsSep(a) && IsSep(b)) continue;
        if (UpperAscii(a) != UpperAscii(b)) return 0;
    }
    return n;
}

uint32_t LoadLE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

} // namespace

struct PakFindHandle {
    bool mDiskSearch = false;                // a disk search is running
    std::vector<plat::FindData> mDiskFound;  // its results
    size_t mDiskNext = 0;                    // the next of them to hand out
    std::string mLastFind;                   // key of the last archive entry returned
    std::string mFindCriteria;               // the normalised pattern
};

PakInterface::PakInterface() {
    PakInterface* expected = nullptr;
    gPakInterfaceSlot.compare_exchange_strong(expected, this);
    mDecryptPassword = DEFAULT_PASSWORD;
}

PakInterface::~PakInterface() {
    // Nothing may reach a destroyed instance through the slot.
    PakInterface* self = this;
    gPakInterfaceSlot.compare_exchange_strong(self, nullptr);
}

const std::string& PakInterface::Key() const {
    // An empty password would leave no key to index; the default stays in force then.
    static const std::string sDefault = DEFAULT_PASSWORD;
    return mDecryptPassword.empty() ? sDefault : mDecryptPassword;
}

bool PakInterface::NormalizeName(const char* name, std::string& out) {
    out.clear();
    if (!name) return false;
    const char* p = name + CurrentDirPrefix(name);
    while (*p) {
        char c = *p;
        if (IsSep(c)) {
            while (IsSep(*p)) ++p;
            out += '\\';
            continue;
        }
        if (c == '.' && p[1] == '.' && (IsSep(p[2]) || p[2] == 0) && !out.empty() && out.back() == '\\') {
            // Step back over the last component already written (a leading '\' stays).
            size_t last = out.size() - 1;
            size_t prev = last == 0 ? std::string::npos : out.rfind('\\', last - 1);
            out.resize(prev == std::string::npos ? 0 : prev + 1);
            p += 2;
            while (IsSep(*p)) ++p;
            continue;
        }
        out += UpperAscii(c);
        ++p;
        if (out.size() > MAX_NAME) return false;
    }
    return out.size() <= MAX_NAME;
}

PakFile* PakInterface::FOpenUnsupported(const char*, const char*) { return nullptr; }

PakFile* PakInterface::FOpen(const char* fileName, const char* access) {
    if (!fileName || !access) return nullptr;
    if (ModeIsRead(access)) {
        std::string key;
        if (NormalizeName(fileName, key)) {
            auto it = mPakRecordMap.find(key);
            if (it != mPakRecordMap.end()) {
                PakFile* file = new PakFile;
                file->mRecord = &it->second;
                return file;
            }
        }
    }
    FILE* fp = plat::OpenFile(fileName, access);
    if (!fp) return nullptr;
    PakFile* file = new PakFile;
    file->mFP = fp;
    return file;
}

int PakInterface::FClose(PakFile* file) {
    if (!file) return 0;
    if (!file->mRecord && file->mFP) std::fclose(file->mFP);
    delete file;
    return 0;
}

int PakInterface::FSeek(PakFile* file, long offset, int origin) {
    if (!file->mRecord) return std::fseek(file->mFP, offset, origin);
    int64_t size = file->mRecord->mSize;
    int64_t pos = file->mPos;
    switch (origin) {
    case SEEK_SET: pos = offset; break;
    case SEEK_CUR: pos += offset; break;
    case SEEK_END: pos = size + offset; break;
    default: break;
    }
    if (pos <= 0 || size <= 0) pos = 0;
    else if (pos > size) pos = size;
    file->mPos = static_cast<int32_t>(pos);
    return 0;
}

long PakInterface::FTell(PakFile* file) {
    if (!file->mRecord) return std::ftell(file->mFP);
    return file->mPos;
}

namespace {

// A function with target clones is picked by a resolver that runs while the program is being
// relocated, before ThreadSanitizer has set itself up; such a build takes the plain version.
#if defined(__SANITIZE_THREAD__)
#define QUOR_NO_TARGET_CLONES 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QUOR_NO_TARGET_CLONES 1
#endif
#endif

// d = s XOR k over n bytes, a cache line at a time where it can.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(QUOR_NO_TARGET_CLONES)
__attribute__((target_clones("avx2", "default")))
#endif
void XorRun(uint8_t* __restrict d, const uint8_t* __restrict s, const uint8_t* __restrict k, size_t n) {
    typedef uint8_t Block __attribute__((vector_size(32), aligned(1), may_alias));
    size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        __builtin_prefetch(s + i + 1024);
        Block a0 = *reinterpret_cast<const Block*>(s + i);
        Block a1 = *reinterpret_cast<const Block*>(s + i + 32);
        Block b0 = *reinterpret_cast<const Block*>(k + i);
        Block b1 = *reinterpret_cast<const Block*>(k + i + 32);
        *reinterpret_cast<Block*>(d + i) = a0 ^ b0;
        *reinterpret_cast<Block*>(d + i + 32) = a1 ^ b1;
    }
    for (; i < n; ++i) d[i] = s[i] ^ k[i];
}

} // namespace

void PakInterface::Descramble(uint8_t* dest, const uint8_t* view, int64_t absPos, size_t count) const {
    const std::string& key = Key();
    const size_t keyLen = key.size();
    const uint8_t* src = view + absPos;
    size_t k = static_cast<size_t>(absPos % static_cast<int64_t>(keyLen));
    if (count < 256) {
        for (size_t i = 0; i < count; ++i) {
            dest[i] = src[i] ^ static_cast<uint8_t>(key[k]);
            if (++k == keyLen) k = 0;
        }
        return;
    }
    // Longer reads: the key is repeated into a stream, and the data is XORed against runs of
    // it; every run but the last is at least the stream's length less one key.
    constexpr size_t LOCAL = 16384;
    uint8_t localStream[LOCAL];
    std::vector<uint8_t> heapStream;
    uint8_t* stream = localStream;
    size_t copies = std::max<size_t>(2, std::min(count + keyLen, LOCAL) / keyLen);
    size_t streamLen = copies * keyLen;
    if (streamLen > LOCAL) {
        heapStream.resize(streamLen);
        stream = heapStream.data();
    }
    std::memcpy(stream, key.data(), keyLen);
    for (size_t filled = keyLen; filled < streamLen;) {
        size_t n = std::min(filled, streamLen - filled);
        std::memcpy(stream + filled, stream, n);
        filled += n;
    }
    size_t done = 0;
    while (done < count) {
        size_t run = std::min(count - done, streamLen - k);
        XorRun(dest + done, src + done, stream + k, run);
        done += run;
        k = (k + run) % keyLen;
    }
}

size_t PakInterface::FRead(void* ptr, size_t elemSize, size_t count, PakFile* file) {
    if (!file->mRecord) return std::fread(ptr, elemSize, count, file->mFP);
    if (elemSize == 0 || count == 0) return 0;
    const PakRecord* rec = file->mRecord;
    size_t left = static_cast<size_t>(std::max<int32_t>(rec->mSize - file->mPos, 0));
    size_t bytes;
    if (__builtin_mul_overflow(elemSize, count, &bytes)) bytes = left;
    size_t want = std::min(bytes, left);
    Descramble(static_cast<uint8_t*>(ptr), rec->mCollection->mMap.Data(),
               static_cast<int64_t>(rec->mStartPos) + file->mPos, want);
    file->mPos += static_cast<int32_t>(want);
    return want / elemSize;
}

int PakInterface::ReadByte(PakFile* file) {
    const PakRecord* rec = file->mRecord;
    if (file->mPos >= rec->mSize) return -1;
    int64_t p = static_cast<int64_t>(rec->mStartPos) + file->mPos;
    const std::string& key = Key();
    ++file->mPos;
    return rec->mCollection->mMap.Data()[p] ^ static_cast<uint8_t>(key[p % static_cast<int64_t>(key.size())]);
}

int PakInterface::FGetC(PakFile* file) {
    if (!file->mRecord) return std::fgetc(file->mFP);
    int c;
    do c = ReadByte(file);
    while (c == '\r');
    return c;
}

int PakInterface::UnGetC(int c, PakFile* file) {
    if (!file->mRecord) return std::ungetc(c, file->mFP);
    if (file->mPos > 0) --file->mPos;
    return c;
}

char* PakInterface::FGetSUnsupported(char* ptr, int, PakFile*) { return ptr; }

char* PakInterface::FGetS(char* ptr, int size, PakFile* file) {
    if (!file->mRecord) return std::fgets(ptr, size, file->mFP);
    if (size < 1) return nullptr;
    int stored = 0;
    while (stored < size - 1) {
        int c = ReadByte(file);
        if (c < 0) break;
        if (c == '\r') continue;
        ptr[stored++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    ptr[stored] = 0;
    if (stored == 0 && size > 1) return nullptr;
    return ptr;
}

int PakInterface::FEof(PakFile* file) {
    if (!file->mRecord) return std::feof(file->mFP);
    return file->mPos >= file->mRecord->mSize ? 1 : 0;
}

bool PakInterface::AddPakFile(const std::string& fileName) {
    plat::FileMap map;
    if (!map.Open(plat::NativePath(fileName))) return false;
    // Offsets and sizes of entries are signed 32-bit numbers.
    if (map.Size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return false;

    mPakCollectionList.emplace_back();
    PakCollection* collection = &mPakCollectionList.back();
    collection->mMap = std::move(map);
    const int32_t fileSize = static_cast<int32_t>(collection->mMap.Size());

    // The header and directory are read de-scrambled through the ordinary read path, over a
    // record of the whole archive that is never entered in the directory.
    PakRecord whole;
    whole.mCollection = collection;
    whole.mFileName = fileName;
    whole.mSize = fileSize;
    PakFile handle;
    handle.mRecord = &whole;

    auto fail = [&](const char* message) {
        mError = message;
        mPakCollectionList.pop_back();
        return false;
    };

    uint8_t word[8];
    if (FRead(word, 1, 4, &handle) != 4 || LoadLE32(word) != PAK_MAGIC) return fail(INVALID_FILE);
    if (FRead(word, 1, 4, &handle) != 4 || LoadLE32(word) > 0) return fail(INVALID_VERSION);

    std::vector<std::pair<std::string, PakRecord>> entries;
    int64_t running = 0;
    uint8_t flags = 0;
    bool gotFlags = FRead(&flags, 1, 1, &handle) == 1;
    while (gotFlags && !(flags & 0x80)) {
        uint8_t nameLen = 0;
        char name[256];
        uint8_t sizeBytes[4];
        uint8_t timeBytes[8];
        if (FRead(&nameLen, 1, 1, &handle) != 1 || FRead(name, 1, nameLen, &handle) != nameLen ||
            FRead(sizeBytes, 1, 4, &handle) != 4 || FRead(timeBytes, 1, 8, &handle) != 8)
            return fail(INVALID_FILE);  // the directory breaks off inside a record
        PakRecord rec;
        rec.mCollection = collection;
        rec.mFileName.assign(name, nameLen);
        rec.mSize = static_cast<int32_t>(LoadLE32(sizeBytes));
        rec.mFileTime = LoadLE32(timeBytes) | static_cast<uint64_t>(LoadLE32(timeBytes + 4)) << 32;
        if (rec.mSize < 0) return fail(INVALID_FILE);
        rec.mStartPos = static_cast<int32_t>(std::min<int64_t>(running, fileSize));
        running += rec.mSize;
        entries.emplace_back(StringToUpper(rec.mFileName), std::move(rec));
        gotFlags = FRead(&flags, 1, 1, &handle) == 1;
    }
    const int64_t dirEnd = handle.mPos;
    // Every entry must lie inside the file; a damaged directory is not used at all.
    if (dirEnd + running > fileSize) return fail(INVALID_FILE);
    for (auto& [key, rec] : entries) {
        rec.mStartPos = static_cast<int32_t>(rec.mStartPos + dirEnd);
        mPakRecordMap[key] = std::move(rec);
    }
    return true;
}

namespace {

// Whether a directory key matches a search pattern (only patterns with a '*' match archive
// entries); 'wild' receives the part of the key the '*' stands for.
bool MatchKey(const std::string& key, const std::string& pattern, std::string& wild) {
    size_t star = pattern.find('*');
    if (star == std::string::npos) return false;
    std::string_view prefix(pattern.data(), star);
    std::string_view suffix(pattern.data() + star + 1, pattern.size() - star - 1);
    if (key.compare(0, prefix.size(), prefix) != 0) return false;
    size_t rest = key.size() - prefix.size();
    if (suffix.empty() || suffix == ".*") {
        wild = key.substr(prefix.size());
        return true;
    }
    if (key.size() < suffix.size() || key.compare(key.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    wild = rest > suffix.size() ? key.substr(prefix.size(), rest - suffix.size()) : std::string();
    return true;
}

void FillFromDisk(const plat::FindData& found, PakFindData* data) {
    data->mAttributes = found.isDirectory ? PAK_FILE_ATTRIBUTE_DIRECTORY : 0;
    data->mCreationTime = data->mLastAccessTime = data->mLastWriteTime = static_cast<uint64_t>(found.writeTime);
    data->mFileSizeHigh = static_cast<uint32_t>(static_cast<uint64_t>(found.size) >> 32);
    data->mFileSizeLow = static_cast<uint32_t>(found.size);
    data->mFileName = found.name;
}

// Hands out the next disk entry of a running search.
bool NextFromDisk(PakFindHandle* search, PakFindData* data) {
    if (search->mDiskNext >= search->mDiskFound.size()) return false;
    FillFromDisk(search->mDiskFound[search->mDiskNext++], data);
    return true;
}

// Starts the disk search; whether it found a file (handed out at once).
bool StartDiskSearch(PakFindHandle* search, PakFindData* data) {
    search->mDiskFound = plat::FindFiles(search->mFindCriteria);
    search->mDiskNext = 0;
    search->mDiskSearch = !search->mDiskFound.empty();
    return search->mDiskSearch && NextFromDisk(search, data);
}

} // namespace

// The next archive entry after the last one returned that matches the pattern.
static bool PakFindNext(const PakRecordMap& map, PakFindHandle* search, PakFindData* data) {
    auto it = search->mLastFind.empty() ? map.begin() : map.upper_bound(search->mLastFind);
    std::string wild;
    for (; it != map.end(); ++it) {
        if (!MatchKey(it->first, search->mFindCriteria, wild)) continue;
        const PakRecord& rec = it->second;
        data->mAttributes = wild.find('\\') != std::string::npos ? PAK_FILE_ATTRIBUTE_DIRECTORY : 0;
        data->mCreationTime = data->mLastAccessTime = data->mLastWriteTime = rec.mFileTime;
        data->mFileSizeLow = static_cast<uint32_t>(rec.mSize);
        size_t slash = rec.mFileName.rfind('\\');
        data->mFileName = slash == std::string::npos ? rec.mFileName : rec.mFileName.substr(slash + 1);
        search->mLastFind = it->first;
        return true;
    }
    return false;
}

PakFindHandle* PakInterface::FindFirstFile(const char* pattern, PakFindData* findData) {
    PakFindHandle* search = new PakFindHandle;
    bool normalized = NormalizeName(pattern, search->mFindCriteria);
    if (normalized && PakFindNext(mPakRecordMap, search, findData)) return search;
    if (!normalized) search->mFindCriteria = pattern ? pattern : "";
    if (StartDiskSearch(search, findData)) return search;
    delete search;
    return nullptr;
}

bool PakInterface::FindNextFile(PakFindHandle* search, PakFindData* findData) {
    if (!search) return false;
    if (search->mDiskSearch) return NextFromDisk(search, findData);
    if (PakFindNext(mPakRecordMap, search, findData)) return true;
    return StartDiskSearch(search, findData);
}

bool PakInterface::FindClose(PakFindHandle* search) {
    delete search;
    return true;
}

PakInterface* GetPakInterface() {
    static PakInterface sInstance;
    return gPakInterfaceSlot.load(std::memory_order_acquire);
}

PakFile* PakFOpen(const char* fileName, const char* access) {
    if (PakInterface* pak = GetPakInterface()) return pak->FOpen(fileName, access);
    FILE* fp = plat::OpenFile(fileName, access);
    if (!fp) return nullptr;
    PakFile* file = new PakFile;
    file->mFP = fp;
    return file;
}

int PakFClose(PakFile* file) {
    if (PakInterface* pak = GetPakInterface()) return pak->FClose(file);
    int result = file->mFP ? std::fclose(file->mFP) : 0;
    delete file;
    return result;
}

int PakFSeek(PakFile* file, long offset, int origin) {
    if (PakInterface* pak = GetPakInterface()) return pak->FSeek(file, offset, origin);
    return std::fseek(file->mFP, offset, origin);
}

long PakFTell(PakFile* file) {
    if (PakInterface* pak = GetPakInterface()) return pak->FTell(file);
    return std::ftell(file->mFP);
}

size_t PakFRead(void* ptr, size_t elemSize, size_t count, PakFile* file) {
    if (PakInterface* pak = GetPakInterface()) return pak->FRead(ptr, elemSize, count, file);
    return std::fread(ptr, elemSize, count, file->mFP);
}

int PakFGetC(PakFile* file) {
    if (PakInterface* pak = GetPakInterface()) return pak->FGetC(file);
    return std::fgetc(file->mFP);
}

int PakUnGetC(int c, PakFile* file) {
    if (PakInterface* pak = GetPakInterface()) return pak->UnGetC(c, file);
    return std::ungetc(c, file->mFP);
}

int PakFEof(PakFile* file) {
    if (PakInterface* pak = GetPakInterface()) return pak->FEof(file);
    return std::feof(file->mFP);
}

} // namespace Quor
