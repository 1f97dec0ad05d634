// The program's own address space as the live-tuning scan sees it: the regions mapped from the
// program file and the libraries it loaded, and the protection change around a write into
// constant data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat {

struct MemoryRegion {
    uintptr_t start = 0;
    size_t length = 0;
    bool readable = false;
    bool writable = false;
    bool executable = false;
    bool image = false; // mapped from a program or library file (not heap, stack or a device)
};

// Every mapped region in address order; empty when the map cannot be read.
std::vector<MemoryRegion> QueryMemoryRegions();

// Makes the pages holding [address, address + length) writable; the previous protection is
// kept in 'previous' for RestoreProtection. False when the change is refused.
struct SavedProtection {
    uintptr_t pageStart = 0;
    size_t pageLength = 0;
    int protection = 0;
};
bool MakeWritable(void* address, size_t length, SavedProtection* previous);
void RestoreProtection(const SavedProtection& previous);

} // namespace plat
