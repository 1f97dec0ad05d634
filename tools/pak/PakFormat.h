// Writing resource archives in the format the archive reader opens: a scrambled header, a
// directory of names, sizes and file times, then the data of every entry back to back.
// Header-only, so that tests and fuzz seeds build archives exactly as the pak tool does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace paktool {

constexpr uint32_t PAK_MAGIC = 0xBAC04AC0;
constexpr uint32_t PAK_VERSION = 0;
constexpr uint8_t PAK_END_OF_DIRECTORY = 0x80;
constexpr size_t PAK_MAX_NAME = 255;

struct PakEntry {
    std::string name;           // folders separated by '\'
    std::vector<uint8_t> data;
    uint64_t fileTime = 0;      // 100-ns intervals since 1601-01-01
};

inline void PutLE32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// XOR of every byte with the password byte of its absolute offset (its own inverse).
inline void Scramble(std::vector<uint8_t>& bytes, const std::string& password) {
    if (password.empty()) return;
    for (size_t p = 0; p < bytes.size(); ++p) bytes[p] ^= static_cast<uint8_t>(password[p % password.size()]);
}

// The plain (unscrambled) bytes of an archive. False with a message when an entry cannot be
// stored: a name longer than 255 bytes, or data that would not fit signed 32-bit offsets.
inline bool BuildPlainPak(const std::vector<PakEntry>& entries, std::vector<uint8_t>& out, std::string& error) {
    out.clear();
    PutLE32(out, PAK_MAGIC);
    PutLE32(out, PAK_VERSION);
    uint64_t total = 0;
    for (const PakEntry& e : entries) {
        if (e.name.size() > PAK_MAX_NAME) {
            error = "name longer than 255 bytes: " + e.name;
            return false;
        }
        total += e.data.size();
        out.push_back(0);
        out.push_back(static_cast<uint8_t>(e.name.size()));
        out.insert(out.end(), e.name.begin(), e.name.end());
        PutLE32(out, static_cast<uint32_t>(e.data.size()));
        PutLE32(out, static_cast<uint32_t>(e.fileTime));
        PutLE32(out, static_cast<uint32_t>(e.fileTime >> 32));
    }
    out.push_back(PAK_END_OF_DIRECTORY);
    if (out.size() + total > 0x7FFFFFFFu) {
        error = "archive larger than 2 GB";
        return false;
    }
    out.reserve(out.size() + total);
    for (const PakEntry& e : entries) out.insert(out.end(), e.data.begin(), e.data.end());
    return true;
}

inline bool BuildPak(const std::vector<PakEntry>& entries, const std::string& password,
                     std::vector<uint8_t>& out, std::string& error) {
    if (!BuildPlainPak(entries, out, error)) return false;
    Scramble(out, password);
    return true;
}

} // namespace paktool
