// Benchmarks that count heap allocations link counting_allocator.cpp, which
// replaces the global operator new and delete.
#pragma once

// Every operator new since the program started.
extern long g_Allocations;
