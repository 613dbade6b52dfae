#include "server/rpc/allocation_policy.h"

#include <malloc.h>

#include <stdexcept>

namespace server::rpc {

void KeepFreedMemoryForReuse() {
  if (mallopt(M_MMAP_THRESHOLD, static_cast<int>(kHeapBlockBytes)) != 1 ||
      mallopt(M_TRIM_THRESHOLD, static_cast<int>(kRetainedHeapBytes)) != 1)
    throw std::runtime_error("Não foi possível ajustar a política de memória do servidor");
}

void ReturnFreedMemory() { malloc_trim(0); }

}  // namespace server::rpc
