// Address-space regions from /proc/self/maps; protection changes with mprotect.
#include "platform/MemScan.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace plat {

namespace {

// The protection of the region holding an address, as mprotect takes it; read only when the
// map does not say.
int ProtectionAt(uintptr_t address)
{
    for (const MemoryRegion& region : QueryMemoryRegions()) {
        if (address >= region.start && address - region.start < region.length)
            return (region.readable ? PROT_READ : 0) | (region.writable ? PROT_WRITE : 0) |
                   (region.executable ? PROT_EXEC : 0);
    }
    return PROT_READ;
}

} // namespace

std::vector<MemoryRegion> QueryMemoryRegions()
{
    std::vector<MemoryRegion> regions;
    FILE* maps = std::fopen("/proc/self/maps", "r");
    if (maps == nullptr)
        return regions;
    char line[4096 + 256];
    while (std::fgets(line, sizeof(line), maps) != nullptr) {
        size_t used = std::strlen(line);
        bool whole = used > 0 && line[used - 1] == '\n';
        uintmax_t start = 0;
        uintmax_t end = 0;
        char perms[8] = {};
        uintmax_t offset = 0;
        char device[32] = {};
        uintmax_t inode = 0;
        int pathAt = 0;
        if (std::sscanf(line, "%jx-%jx %7s %jx %31s %ju %n", &start, &end, perms, &offset, device,
                        &inode, &pathAt) >= 6 &&
            end > start) {
            MemoryRegion region;
            region.start = uintptr_t(start);
            region.length = size_t(end - start);
            region.readable = perms[0] == 'r';
            region.writable = perms[1] == 'w';
            region.executable = perms[2] == 'x';
            const char* path = pathAt > 0 ? line + pathAt : "";
            // A file of the file system: not a device, not one of the kernel's own regions.
            region.image = inode != 0 && path[0] == '/' && std::strncmp(path, "/dev/", 5) != 0;
            regions.push_back(region);
        }
        // The rest of an over-long line (a very long path) is skipped.
        while (!whole && std::fgets(line, sizeof(line), maps) != nullptr) {
            used = std::strlen(line);
            whole = used > 0 && line[used - 1] == '\n';
        }
    }
    std::fclose(maps);
    return regions;
}

bool MakeWritable(void* address, size_t length, SavedProtection* previous)
{
    const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
    const uintptr_t first = reinterpret_cast<uintptr_t>(address) & ~(page - 1);
    const uintptr_t last = (reinterpret_cast<uintptr_t>(address) + length + page - 1) & ~(page - 1);
    SavedProtection saved;
    saved.pageStart = first;
    saved.pageLength = size_t(last - first);
    saved.protection = ProtectionAt(first);
    // Constant data of a program image is readable; keep it so while writing.
    if (mprotect(reinterpret_cast<void*>(first), saved.pageLength, PROT_READ | PROT_WRITE) != 0)
        return false;
    if (previous != nullptr)
        *previous = saved;
    return true;
}

void RestoreProtection(const SavedProtection& previous)
{
    if (previous.pageLength != 0)
        mprotect(reinterpret_cast<void*>(previous.pageStart), previous.pageLength,
                 previous.protection);
}

} // namespace plat
