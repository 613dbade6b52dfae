#pragma once
// The allocator policy of a server process. Every call builds its reply (a packet of
// tens of thousands of rows, its encoding) on a worker thread and frees it once sent.
// By default glibc hands such blocks back to the system at once (mmap for large ones,
// trimming of the worker's heap), so the next call faults every page in again, which
// costs more than building the reply. KeepFreedMemoryForReuse has the allocator keep
// what a call freed for the next one: blocks up to kHeapBlockBytes (the most glibc
// takes from its heaps) come from the heaps, and each heap keeps up to
// kRetainedHeapBytes free before giving memory back. Call it once, before the workers
// start.
#include <cstddef>

namespace server::rpc {

inline constexpr std::size_t kHeapBlockBytes = 32u << 20;
inline constexpr std::size_t kRetainedHeapBytes = 64u << 20;

void KeepFreedMemoryForReuse();
// Hands the free memory the heaps kept back to the system: after a connection that held
// a large reply closes, what it held is not kept for calls that may never come.
void ReturnFreedMemory();

}  // namespace server::rpc
