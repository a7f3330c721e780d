// Heap allocations made by the benchmark binary: the global operator new is
// replaced (alloc_counter.cpp) with one that counts every call.
#pragma once

#include <cstdint>

namespace qxbench {

// Calls of any form of global operator new since the program started.
std::uint64_t AllocCount();

}  // namespace qxbench
