// Read-only mapping of a whole file into memory: the archive reader keeps its archives mapped
// for as long as it lives and reads them without a system call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

class FileMap {
public:
    FileMap() = default;
    ~FileMap();
    FileMap(const FileMap&) = delete;
    FileMap& operator=(const FileMap&) = delete;
    FileMap(FileMap&& other) noexcept;
    FileMap& operator=(FileMap&& other) noexcept;

    // Opens an existing file for reading and maps all of it. False when the file cannot be
    // opened, is not a regular file, is empty or cannot be mapped; nothing stays open then.
    bool Open(const std::string& path);
    void Close();

    bool IsOpen() const { return mData != nullptr; }
    const uint8_t* Data() const { return mData; }
    size_t Size() const { return mSize; }

private:
    const uint8_t* mData = nullptr;
    size_t mSize = 0;
    int mFd = -1;
};

} // namespace plat
