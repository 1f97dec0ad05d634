// POSIX side of the file functions: separators, case-insensitive lookup, folder search and
// whole-file replacement through a temporary file.
#include "platform/Files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {

namespace {

std::string Slashes(const std::string& path)
{
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}

bool Exists(const std::string& p)
{
    struct stat st;
    return lstat(p.c_str(), &st) == 0;
}

// The entry of 'folder' whose name equals 'name' apart from letter case; the smallest such
// name when there are several, so the answer does not depend on the folder's order.
bool FindNoCase(const std::string& folder, const std::string& name, std::string* found)
{
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return false;
    bool any = false;
    while (dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, name.c_str()) == 0) {
            if (!any || std::strcmp(entry->d_name, found->c_str()) < 0)
                *found = entry->d_name;
            any = true;
        }
    }
    closedir(dir);
    return any;
}

int64_t FileTime(const struct stat& st)
{
    const int64_t kUnixEpochIn1601 = 116444736000000000LL;
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 10000000LL + st.st_mtim.tv_nsec / 100 +
           kUnixEpochIn1601;
}

bool Glob(const char* name, const char* pat)
{
    // Iterative wildcard match with one back-track point for the last '*'.
    const char* starPat = nullptr;
    const char* starName = nullptr;
    while (*name) {
        if (*pat == '*') {
            starPat = pat++;
            starName = name;
        } else if (*pat == '?' ||
                   (*pat && std::tolower(static_cast<unsigned char>(*pat)) ==
                                std::tolower(static_cast<unsigned char>(*name)))) {
            ++pat;
            ++name;
        } else if (starPat) {
            pat = starPat + 1;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pat == '*')
        ++pat;
    return *pat == 0;
}

} // namespace

std::string NativePath(const std::string& path)
{
    std::string p = Slashes(path);
    if (p.empty() || Exists(p))
        return p;

    std::string result;
    size_t i = 0;
    if (p[0] == '/') {
        result = "/";
        i = p.find_first_not_of('/');
        if (i == std::string::npos)
            return result;
    }
    bool missing = false; // below a missing folder nothing more can be found
    while (i < p.size()) {
        size_t j = p.find('/', i);
        if (j == std::string::npos)
            j = p.size();
        std::string comp = p.substr(i, j - i);
        std::string candidate = result + comp;
        if (!missing && comp != "." && comp != ".." && !Exists(candidate)) {
            std::string found;
            if (FindNoCase(result, comp, &found))
                candidate = result + found;
            else
                missing = true;
        }
        result = candidate;
        size_t next = p.find_first_not_of('/', j);
        if (j < p.size())
            result += '/';
        i = next == std::string::npos ? p.size() : next;
    }
    return result;
}

FILE* OpenFile(const std::string& path, const char* mode)
{
    return std::fopen(NativePath(path).c_str(), mode);
}

bool FileExists(const std::string& path)
{
    struct stat st;
    return stat(NativePath(path).c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path)
{
    struct stat st;
    return stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectory(const std::string& path)
{
    return mkdir(NativePath(path).c_str(), 0755) == 0;
}

bool RemoveDirectory(const std::string& path)
{
    return rmdir(NativePath(path).c_str()) == 0;
}

bool DeleteFile(const std::string& path)
{
    std::string p = NativePath(path);
    struct stat st;
    if (lstat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    return unlink(p.c_str()) == 0;
}

bool RenameFile(const std::string& from, const std::string& to)
{
    return rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
}

bool GetFileSize(const std::string& path, int64_t* size)
{
    struct stat st;
    if (stat(NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    *size = st.st_size;
    return true;
}

bool GetFileWriteTime(const std::string& path, int64_t* time)
{
    std::string native = NativePath(path);
    struct stat st;
    if (stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || access(native.c_str(), R_OK) != 0)
        return false;
    *time = FileTime(st);
    return true;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* data)
{
    data->clear();
    FILE* f = OpenFile(path, "rb");
    if (!f)
        return false;
    uint8_t chunk[65536];
    bool ok = true;
    for (;;) {
        size_t n = std::fread(chunk, 1, sizeof(chunk), f);
        data->insert(data->end(), chunk, chunk + n);
        if (n < sizeof(chunk)) {
            ok = !std::ferror(f);
            break;
        }
    }
    std::fclose(f);
    if (!ok)
        data->clear();
    return ok;
}

bool SyncFolder(const std::string& folder)
{
    int dirfd = open(NativePath(folder).c_str(), O_RDONLY | O_DIRECTORY);
    if (dirfd < 0)
        return false;
    const bool synced = fsync(dirfd) == 0;
    close(dirfd);
    return synced;
}

namespace {

std::string Failure(const std::string& what, int err)
{
    return what + ": " + std::strerror(err);
}

void SyncFolderPath(const std::string& folder)
{
    int dirfd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirfd >= 0) {
        fsync(dirfd);
        close(dirfd);
    }
}

} // namespace

FileBatch::~FileBatch()
{
    for (Pending& p : mPending) {
        if (p.fd >= 0)
            close(p.fd);
        unlink(p.temp.c_str());
    }
}

bool FileBatch::Add(const std::string& path, const void* data, size_t size, std::string* error)
{
    Pending p;
    p.path = path;
    p.target = NativePath(path);
    size_t slash = p.target.rfind('/');
    p.folder = slash == std::string::npos ? std::string(".") : p.target.substr(0, slash);
    if (p.folder.empty())
        p.folder.assign(1, '/');
    std::string name = slash == std::string::npos ? p.target : p.target.substr(slash + 1);
    auto fail = [&](const std::string& what, int err) {
        if (p.fd >= 0) {
            close(p.fd);
            unlink(p.temp.c_str());
        }
        if (error)
            *error = Failure(what, err);
        return false;
    };
    if (name.empty())
        return fail("cannot write " + path, EISDIR);

    p.temp = p.folder + "/." + name + ".XXXXXX";
    p.fd = mkstemp(p.temp.data());
    if (p.fd < 0) {
        const int err = errno;
        return fail("cannot create a temporary file beside " + path, err);
    }

    mode_t mode = 0644;
    struct stat old;
    if (stat(p.target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        mode = old.st_mode & 07777;

    const char* bytes = static_cast<const char*>(data);
    size_t left = size;
    while (left > 0) {
        ssize_t n = write(p.fd, bytes, left);
        if (n < 0) {
            const int err = errno;
            if (err == EINTR)
                continue;
            return fail("cannot write " + path, err);
        }
        bytes += n;
        left -= static_cast<size_t>(n);
    }
    if (fchmod(p.fd, mode) != 0) {
        const int err = errno;
        return fail("cannot write " + path, err);
    }
#if defined(__linux__)
    // The bytes set off for the disk now, while the next files are written.
    sync_file_range(p.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    mPending.push_back(std::move(p));
    return true;
}

bool FileBatch::Finish(std::vector<std::string>* errors, bool syncFolders)
{
    std::vector<Pending> pending = std::move(mPending);
    mPending.clear();
    bool all = true;
    auto fail = [&](Pending& p, int err) {
        if (p.fd >= 0)
            close(p.fd);
        p.fd = -1;
        unlink(p.temp.c_str());
        p.temp.clear();
        if (errors)
            errors->push_back(Failure("cannot write " + p.path, err));
        all = false;
    };
#if defined(__linux__)
    // All bytes on the disk before the first sync: that one then records every file's new
    // size, and the later ones mostly find nothing left to record.
    for (Pending& p : pending)
        sync_file_range(p.fd, 0, 0, SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
#endif
    for (Pending& p : pending) {
        if (fsync(p.fd) != 0) {
            fail(p, errno);
            continue;
        }
        const int fd = p.fd;
        p.fd = -1;
        if (close(fd) != 0)
            fail(p, errno);
    }
    // Only complete temporary files replace their targets.
    std::vector<std::string> renamed;
    for (Pending& p : pending) {
        if (p.temp.empty())
            continue;
        if (rename(p.temp.c_str(), p.target.c_str()) != 0) {
            fail(p, errno);
            continue;
        }
        if (std::find(renamed.begin(), renamed.end(), p.folder) == renamed.end())
            renamed.push_back(p.folder);
    }
    if (syncFolders)
        for (const std::string& folder : renamed)
            SyncFolderPath(folder);
    return all;
}

bool WriteWholeFile(const std::string& path, const void* data, size_t size, std::string* error, bool syncFolder)
{
    FileBatch batch;
    if (!batch.Add(path, data, size, error))
        return false;
    std::vector<std::string> errors;
    if (batch.Finish(&errors, syncFolder))
        return true;
    if (error && !errors.empty())
        *error = errors.front();
    return false;
}

bool MatchPattern(const std::string& name, const std::string& pattern)
{
    if (pattern == "*.*")
        return true;
    if (Glob(name.c_str(), pattern.c_str()))
        return true;
    if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0)
        return Glob(name.c_str(), pattern.substr(0, pattern.size() - 2).c_str());
    return false;
}

std::vector<FindData> FindFiles(const std::string& pattern)
{
    std::vector<FindData> result;
    std::string p = Slashes(pattern);
    size_t slash = p.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
    std::string mask = slash == std::string::npos ? p : p.substr(slash + 1);
    if (mask.empty())
        return result;
    std::string native = folder.empty() ? std::string() : NativePath(folder);
    if (!native.empty() && native.back() != '/')
        native += '/';
    DIR* dir = opendir(native.empty() ? "." : native.c_str());
    if (!dir)
        return result;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == ".." || !MatchPattern(name, mask))
            continue;
        struct stat st;
        if (lstat((native + name).c_str(), &st) != 0)
            continue;
        FindData data;
        data.name = name;
        data.isLink = S_ISLNK(st.st_mode);
        if (data.isLink)
            stat((native + name).c_str(), &st); // a dangling link keeps its own record
        data.isDirectory = S_ISDIR(st.st_mode);
        data.size = data.isDirectory ? 0 : static_cast<int64_t>(st.st_size);
        data.writeTime = FileTime(st);
        result.push_back(std::move(data));
    }
    closedir(dir);
    std::sort(result.begin(), result.end(),
              [](const FindData& a, const FindData& b) { return a.name < b.name; });
    return result;
}

std::string GetCurrentDirectory()
{
    std::vector<char> buf(4096);
    while (!getcwd(buf.data(), buf.size())) {
        if (errno != ERANGE)
            return std::string();
        buf.resize(buf.size() * 2);
    }
    return buf.data();
}

bool SetCurrentDirectory(const std::string& path)
{
    return chdir(NativePath(path).c_str()) == 0;
}

} // namespace plat
