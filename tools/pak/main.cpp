// pak: packs a folder into a resource archive, lists an archive and unpacks it again.
//   pak create OUT.pak DIR [--password TEXT]
//   pak list FILE.pak [--password TEXT]
//   pak extract FILE.pak DIR [--password TEXT]
// Archives are read with the program's own archive reader, so what pak writes is what the
// program reads; the default password is the reader's.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Common.h"
#include "platform/Files.h"
#include "resources/PakInterface.h"
#include "tools/pak/PakFormat.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: pak create OUT.pak DIR [--password TEXT]\n"
                 "       pak list FILE.pak [--password TEXT]\n"
                 "       pak extract FILE.pak DIR [--password TEXT]\n");
    return 2;
}

// Collects every file below a folder, names relative to 'prefix' with '\' between folders.
bool Collect(const std::string& folder, const std::string& prefix, std::vector<paktool::PakEntry>& entries) {
    for (const plat::FindData& found : plat::FindFiles(folder + "/*")) {
        std::string path = folder + "/" + found.name;
        std::string name = prefix.empty() ? found.name : prefix + "\\" + found.name;
        if (found.isDirectory) {
            if (found.isLink) {
                std::fprintf(stderr, "pak: skipping linked folder %s\n", path.c_str());
                continue;
            }
            if (!Collect(path, name, entries)) return false;
            continue;
        }
        paktool::PakEntry entry;
        entry.name = name;
        entry.fileTime = static_cast<uint64_t>(found.writeTime);
        if (!plat::ReadWholeFile(path, &entry.data)) {
            std::fprintf(stderr, "pak: cannot read %s\n", path.c_str());
            return false;
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

int Create(const std::string& out, const std::string& dir, const std::string& password) {
    if (!plat::IsDirectory(dir)) {
        std::fprintf(stderr, "pak: %s is not a folder\n", dir.c_str());
        return 1;
    }
    std::vector<paktool::PakEntry> entries;
    if (!Collect(Quor::RemoveTrailingSlash(dir), "", entries)) return 1;
    // The reader finds names without regard to letter case: two such names would hide one file.
    std::vector<std::string> keys;
    for (const paktool::PakEntry& e : entries) keys.push_back(Quor::StringToUpper(e.name));
    std::sort(keys.begin(), keys.end());
    auto same = std::adjacent_find(keys.begin(), keys.end());
    if (same != keys.end()) {
        std::fprintf(stderr, "pak: two files are named %s apart from letter case\n", same->c_str());
        return 1;
    }
    std::vector<uint8_t> bytes;
    std::string error;
    if (!paktool::BuildPak(entries, password, bytes, error)) {
        std::fprintf(stderr, "pak: %s\n", error.c_str());
        return 1;
    }
    if (!plat::WriteWholeFile(out, bytes.data(), bytes.size(), &error)) {
        std::fprintf(stderr, "pak: cannot write %s: %s\n", out.c_str(), error.c_str());
        return 1;
    }
    std::printf("%zu files, %zu bytes written to %s\n", entries.size(), bytes.size(), out.c_str());
    return 0;
}

// The entries of an opened archive in the order they are stored.
std::vector<Quor::PakRecord*> StoredOrder(Quor::PakInterface& pak) {
    std::vector<Quor::PakRecord*> records;
    for (auto& [key, record] : pak.mPakRecordMap) records.push_back(&record);
    std::stable_sort(records.begin(), records.end(), [](const Quor::PakRecord* a, const Quor::PakRecord* b) {
        return a->mStartPos < b->mStartPos || (a->mStartPos == b->mStartPos && a->mSize < b->mSize);
    });
    return records;
}

bool Open(Quor::PakInterface& pak, const std::string& file, const std::string& password) {
    pak.mDecryptPassword = password;
    if (pak.AddPakFile(file)) return true;
    std::fprintf(stderr, "pak: cannot open %s%s%s\n", file.c_str(), pak.mError.empty() ? "" : ": ",
                 pak.mError.c_str());
    return false;
}

int List(const std::string& file, const std::string& password) {
    Quor::PakInterface pak;
    if (!Open(pak, file, password)) return 1;
    for (const Quor::PakRecord* record : StoredOrder(pak))
        std::printf("%s\t%d\n", record->mFileName.c_str(), record->mSize);
    return 0;
}

// Whether an entry name stays inside the folder it is unpacked to.
bool SafeName(const std::string& name) {
    if (name.empty() || name[0] == '\\' || name[0] == '/' || (name.size() > 1 && name[1] == ':')) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string::npos) end = name.size();
        std::string part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}

int Extract(const std::string& file, const std::string& dir, const std::string& password) {
    Quor::PakInterface pak;
    if (!Open(pak, file, password)) return 1;
    int result = 0;
    size_t written = 0;
    for (Quor::PakRecord* record : StoredOrder(pak)) {
        if (!SafeName(record->mFileName)) {
            std::fprintf(stderr, "pak: skipping unsafe name %s\n", record->mFileName.c_str());
            result = 1;
            continue;
        }
        std::string relative = record->mFileName;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        std::string path = Quor::RemoveTrailingSlash(dir) + "/" + relative;
        Quor::CreateDirectories(Quor::GetFileDir(path));

        Quor::PakFile handle;
        handle.mRecord = record;
        std::vector<uint8_t> data(static_cast<size_t>(record->mSize));
        size_t got = pak.FRead(data.data(), 1, data.size(), &handle);
        std::string error;
        if (got != data.size() || !plat::WriteWholeFile(path, data.data(), data.size(), &error)) {
            std::fprintf(stderr, "pak: cannot write %s: %s\n", path.c_str(), error.c_str());
            result = 1;
            continue;
        }
        ++written;
    }
    std::printf("%zu files written to %s\n", written, dir.c_str());
    return result;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    std::string password = Quor::PakInterface::DEFAULT_PASSWORD;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--password") {
            if (i + 1 >= argc) return Usage();
            password = argv[++i];
            if (password.empty()) password = Quor::PakInterface::DEFAULT_PASSWORD;
        } else {
            args.push_back(arg);
        }
    }
    if (args.size() == 3 && args[0] == "create") return Create(args[1], args[2], password);
    if (args.size() == 2 && args[0] == "list") return List(args[1], password);
    if (args.size() == 3 && args[0] == "extract") return Extract(args[1], args[2], password);
    return Usage();
}
