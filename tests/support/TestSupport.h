// Helpers shared by the test programs: a fresh temporary folder per test and file shortcuts.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quortest {

// A temporary folder that is removed with everything in it when the object goes away.
class TempDir {
public:
    TempDir();
    // A fresh folder inside parent (the system's temporary folder when none is given).
    explicit TempDir(const std::filesystem::path& parent);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return mPath; }
    std::string File(const std::string& name) const { return (mPath / name).string(); }

private:
    std::filesystem::path mPath;
};

// Changes the current folder for one test and restores it.
class CurrentDir {
public:
    explicit CurrentDir(const std::string& dir);
    ~CurrentDir();
    CurrentDir(const CurrentDir&) = delete;
    CurrentDir& operator=(const CurrentDir&) = delete;

private:
    std::string mSaved;
};

// Whole-file helpers for fixtures; they throw std::runtime_error on failure.
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteFile(const std::string& path, const std::string& text);
std::vector<uint8_t> ReadFile(const std::string& path);

// Path of a file under tests/data.
std::string DataFile(const std::string& name);

// The per-run scratch folder that TestMain points the XDG folders at.
const std::filesystem::path& RunDir();

// Waits up to 30 s for the condition, looking every millisecond; its last answer.
bool Eventually(const std::function<bool()>& condition);

} // namespace quortest
