// Counts the program's plain operator new calls while a test asks for it, so that a test can show
// a stretch of work allocates nothing. Everything goes to malloc and free, so the memory checkers
// see matching pairs.
#include "tests/game/world/CountingAllocator.h"

#include <cstdlib>
#include <new>

namespace worldtest {

thread_local bool tCounting = false;
thread_local long tAllocations = 0;

void StartCountingAllocations()
{
    tAllocations = 0;
    tCounting = true;
}

long StopCountingAllocations()
{
    tCounting = false;
    return tAllocations;
}

} // namespace worldtest

namespace {

void* Allocate(std::size_t size)
{
    if (worldtest::tCounting)
        ++worldtest::tAllocations;
    void* p = std::malloc(size != 0 ? size : 1);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}

void* AllocateNoThrow(std::size_t size) noexcept
{
    if (worldtest::tCounting)
        ++worldtest::tAllocations;
    return std::malloc(size != 0 ? size : 1);
}

} // namespace

void* operator new(std::size_t size)
{
    return Allocate(size);
}
void* operator new[](std::size_t size)
{
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return AllocateNoThrow(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return AllocateNoThrow(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
