// Read-only file mapping backed by POSIX open/fstat/mmap.
#include "platform/FileMap.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace plat {

FileMap::~FileMap() { Close(); }

FileMap::FileMap(FileMap&& other) noexcept
    : mData(std::exchange(other.mData, nullptr)),
      mSize(std::exchange(other.mSize, 0)),
      mFd(std::exchange(other.mFd, -1)) {}

FileMap& FileMap::operator=(FileMap&& other) noexcept {
    if (this != &other) {
        Close();
        mData = std::exchange(other.mData, nullptr);
        mSize = std::exchange(other.mSize, 0);
        mFd = std::exchange(other.mFd, -1);
    }
    return *this;
}

bool FileMap::Open(const std::string& path) {
    Close();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) {
        ::close(fd);
        return false;
    }
    void* view = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
    if (view == MAP_FAILED) {
        ::close(fd);
        return false;
    }
    mData = static_cast<const uint8_t*>(view);
    mSize = static_cast<size_t>(st.st_size);
    mFd = fd;
    return true;
}

void FileMap::Close() {
    if (mData) ::munmap(const_cast<uint8_t*>(mData), mSize);
    if (mFd >= 0) ::close(mFd);
    mData = nullptr;
    mSize = 0;
    mFd = -1;
}

} // namespace plat
