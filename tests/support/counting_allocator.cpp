#include "support/counting_allocator.h"

#include <cstdlib>
#include <new>

long g_Allocations = 0;

void* operator new(std::size_t size)
{
    ++g_Allocations;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}
