// Files and folders on disk for the rest of the program. Paths may use '\' or '/' as the
// separator, and a name that does not exist as written is looked up without regard to letter
// case, so the Windows-style names used throughout the program find their files here.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace plat {

// The path as the disk knows it: every '\' becomes '/', and each component that does not exist
// as written is replaced by the entry of its folder that differs from it only in letter case,
// when there is one. Components that match nothing are kept as written (so a file about to be
// created keeps the name it was given).
std::string NativePath(const std::string& path);

// fopen on the native path.
FILE* OpenFile(const std::string& path, const char* mode);

bool FileExists(const std::string& path);   // a file or a folder
bool IsDirectory(const std::string& path);
bool MakeDirectory(const std::string& path);   // false when it exists or cannot be made
bool RemoveDirectory(const std::string& path); // an empty folder only
bool DeleteFile(const std::string& path);      // a file, not a folder
bool RenameFile(const std::string& from, const std::string& to); // replaces an existing 'to'
bool GetFileSize(const std::string& path, int64_t* size);
// Last write of a file that can be opened for reading, in 100-ns units since 1601-01-01 00:00
// UTC; false for a folder, a missing or an unreadable file.
bool GetFileWriteTime(const std::string& path, int64_t* time);

// Reads a whole file; false (and an empty vector) when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* data);

// Replaces a file as a whole: the bytes go to a temporary file in the same folder, which is
// flushed to disk and then renamed over the old file; the folder is then synced too, so the
// rename itself lasts, unless the caller syncs it once after several files (SyncFolder). On
// failure the old file is left as it was, the temporary file is removed and *error (when
// given) says what went wrong.
bool WriteWholeFile(const std::string& path, const void* data, size_t size,
                    std::string* error = nullptr, bool syncFolder = true);
// Replaces several files, each as WriteWholeFile does, with fewer waits for the disk: each
// file's bytes go to a temporary file beside it when it is added; Finish flushes all of them
// together, then renames each over its file and syncs each folder once after the last rename
// (unless the caller does it). After a crash each file holds either its old or its new bytes.
class FileBatch {
public:
    FileBatch() = default;
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;
    // A batch that is not finished removes its temporary files: no file changes.
    ~FileBatch();

    // False when the temporary file cannot be written (*error, when given, says why): that file
    // keeps its old contents and is no part of the batch.
    bool Add(const std::string& path, const void* data, size_t size, std::string* error = nullptr);
    // True when every added file was replaced; each one that failed keeps its old contents,
    // leaves no temporary file and adds what went wrong to *errors (when given).
    bool Finish(std::vector<std::string>* errors = nullptr, bool syncFolders = true);

private:
    struct Pending {
        std::string path;   // as the caller gave it
        std::string target; // native path
        std::string folder;
        std::string temp;
        int fd = -1;
    };
    std::vector<Pending> mPending;
};

// Flushes a folder's entries (renames, new and removed names) to disk; false when it cannot.
bool SyncFolder(const std::string& folder);

// One entry found by FindFiles.
struct FindData {
    std::string name;      // the entry's name as it is on disk, without its folder
    bool isDirectory = false; // a folder, or a link to one
    bool isLink = false;      // a symbolic link (removing it leaves its target alone)
    int64_t size = 0;      // bytes (0 for folders)
    int64_t writeTime = 0; // last write, in 100-ns units since 1601-01-01 00:00 UTC
};

// The entries of a folder whose names match the last component of the pattern: '*' stands for
// any run of characters and '?' for one, letters match in either case, "*.*" matches every
// name and a pattern ending in ".*" also matches the name without any extension. "." and ".."
// are not listed. Sorted by name. Empty when the folder does not exist or nothing matches.
std::vector<FindData> FindFiles(const std::string& pattern);

// Whether a name matches a pattern by the rules of FindFiles.
bool MatchPattern(const std::string& name, const std::string& pattern);

std::string GetCurrentDirectory();
bool SetCurrentDirectory(const std::string& path);

} // namespace plat
