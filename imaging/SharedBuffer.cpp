#include "imaging/SharedBuffer.h"

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

// The block: count, size and the arena chunk it was carved from (null for a
// block of its own), then the data 16 bytes in (malloc's alignment).
struct CSharedBuffer::Block {
  int32_t refCount;
  int32_t size;
  CBufferArenaScope::Chunk* chunk;
  uint8_t data[16];
  static constexpr size_t kHeaderBytes = 16;
};

struct CBufferArenaScope::Chunk {
  int64_t refCount;  // the scope while it carves from the chunk, and each block in it
  int64_t pad;
  // The blocks follow, 16-byte aligned.
};

namespace {
thread_local CBufferArenaScope* g_currentArena = nullptr;
void AdviseLargeFill(void* data, size_t bytes);
}  // namespace

CBufferArenaScope::CBufferArenaScope(size_t chunkBytes)
    : m_pPrevious(g_currentArena), m_nChunkBytes(chunkBytes < 4096 ? 4096 : chunkBytes) {
  g_currentArena = this;
}

CBufferArenaScope::~CBufferArenaScope() {
  g_currentArena = m_pPrevious;
  if (m_pChunk) ReleaseChunk(m_pChunk);
}

void CBufferArenaScope::ReleaseChunk(Chunk* chunk) {
  if (--chunk->refCount == 0) std::free(chunk);
}

void* CBufferArenaScope::Carve(size_t bytes, Chunk** chunk) {
  bytes = (bytes + 15) & ~size_t{15};
  if (bytes > m_nChunkBytes / 4) return nullptr;
  if (!m_pChunk || m_nUsed + bytes > m_nChunkBytes) {
    auto* fresh = static_cast<Chunk*>(std::calloc(1, sizeof(Chunk) + m_nChunkBytes));
    if (!fresh) return nullptr;
    AdviseLargeFill(fresh, sizeof(Chunk) + m_nChunkBytes);
    fresh->refCount = 1;
    if (m_pChunk) ReleaseChunk(m_pChunk);
    m_pChunk = fresh;
    m_nUsed = 0;
  }
  void* block = reinterpret_cast<uint8_t*>(m_pChunk + 1) + m_nUsed;
  m_nUsed += bytes;
  ++m_pChunk->refCount;
  *chunk = m_pChunk;
  return block;
}

CSharedBuffer::CSharedBuffer(int32_t size) {
  if (size > 0) Allocate(size);
}

CSharedBuffer::CSharedBuffer(const CSharedBuffer& other) : m_pBlock(other.m_pBlock) { AddRef(); }

CSharedBuffer::CSharedBuffer(CSharedBuffer&& other) noexcept : m_pBlock(other.m_pBlock) {
  other.m_pBlock = nullptr;
}

CSharedBuffer& CSharedBuffer::operator=(const CSharedBuffer& other) {
  if (this == &other || m_pBlock == other.m_pBlock) return *this;
  Release();
  m_pBlock = other.m_pBlock;
  AddRef();
  return *this;
}

CSharedBuffer& CSharedBuffer::operator=(CSharedBuffer&& other) noexcept {
  if (this == &other) return *this;
  if (m_pBlock == other.m_pBlock) {
    other.Release();
    return *this;
  }
  Release();
  m_pBlock = other.m_pBlock;
  other.m_pBlock = nullptr;
  return *this;
}

CSharedBuffer::~CSharedBuffer() { Release(); }

void CSharedBuffer::AddRef() {
  if (m_pBlock) ++m_pBlock->refCount;
}

void CSharedBuffer::Release() {
  if (!m_pBlock) return;
  if (m_pBlock->refCount <= 1) {
    if (m_pBlock->chunk)
      CBufferArenaScope::ReleaseChunk(m_pBlock->chunk);
    else
      std::free(m_pBlock);
  } else {
    --m_pBlock->refCount;
  }
  m_pBlock = nullptr;
}

namespace {

// Free memory in blocks of 2 MB or more (orders 9 and up of the buddy
// allocator, all zones), in bytes; -1 when that cannot be read.
int64_t FreeHugeBytes() {
  std::FILE* f = std::fopen("/proc/buddyinfo", "r");
  if (!f) return -1;
  int64_t total = 0;
  char line[512];
  while (std::fgets(line, sizeof line, f)) {
    // "Node 0, zone   Normal  c0 c1 ... c10": the counts follow the zone name.
    const char* p = std::strstr(line, "zone");
    if (!p) continue;
    p += 4;
    while (*p == ' ') ++p;
    while (*p && *p != ' ') ++p;  // the zone name
    for (int order = 0; *p; ++order) {
      char* next = nullptr;
      const long long count = std::strtoll(p, &next, 10);
      if (next == p) break;
      if (order >= 9) total += count * (int64_t{4096} << order);
      p = next;
    }
  }
  std::fclose(f);
  return total;
}

// A large new block is about to be filled: ask for huge pages, so that the
// first touch of an image of tens or hundreds of megabytes costs a few
// hundred page faults instead of one per 4 KB (on a 162 MB result, 4 KB
// pages made the first touch cost twice the resampling itself). Only where
// the system has that much free in 2 MB blocks already: otherwise the first
// touch would wait while it compacts memory to make them, and the block
// keeps small pages. Only advice; ignored where not offered.
void AdviseLargeFill(void* data, size_t bytes) {
  constexpr uintptr_t kHuge = uintptr_t{2} << 20;
  if (bytes < 4 * kHuge) return;
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHuge - 1);
  if (end <= begin) return;
  const int64_t free = FreeHugeBytes();
  // Half of what is free at most, leaving room for others asking too.
  if (free >= 0 && static_cast<int64_t>(end - begin) > free / 2) return;
  madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace

uint8_t* CSharedBuffer::Allocate(int32_t n) {
  if (n <= 0) return nullptr;
  static_assert(offsetof(Block, data) == Block::kHeaderBytes);
  Release();
  const size_t bytes = Block::kHeaderBytes + static_cast<size_t>(n);
  CBufferArenaScope::Chunk* chunk = nullptr;
  auto* block = g_currentArena ? static_cast<Block*>(g_currentArena->Carve(bytes, &chunk)) : nullptr;
  if (!block) {
    block = static_cast<Block*>(std::calloc(1, bytes));
    if (!block) return nullptr;
    AdviseLargeFill(block, bytes);
  }
  block->chunk = chunk;
  block->refCount = 1;
  block->size = n;
  m_pBlock = block;
  return block->data;
}

uint8_t* CSharedBuffer::GetWritableData() {
  if (!m_pBlock) return nullptr;
  if (m_pBlock->refCount < 2) return m_pBlock->data;
  // Allocate the private copy before giving up the shared block, so that a
  // failure leaves this buffer as it was.
  const size_t bytes = Block::kHeaderBytes + static_cast<size_t>(m_pBlock->size);
  auto* copy = static_cast<Block*>(std::malloc(bytes));
  if (!copy) throw std::bad_alloc();
  AdviseLargeFill(copy, bytes);
  std::memcpy(copy, m_pBlock, bytes);
  copy->refCount = 1;
  copy->chunk = nullptr;  // a block of its own
  --m_pBlock->refCount;
  m_pBlock = copy;
  return copy->data;
}

const uint8_t* CSharedBuffer::GetData() const { return m_pBlock ? m_pBlock->data : nullptr; }

int32_t CSharedBuffer::GetSize() const { return m_pBlock ? m_pBlock->size : 0; }

int32_t CSharedBuffer::GetRefCount() const { return m_pBlock ? m_pBlock->refCount : 0; }

int32_t CSharedBuffer::CopyFrom(const void* source, int32_t n) {
  if (!m_pBlock || n <= 0) return 0;
  if (n > m_pBlock->size) n = m_pBlock->size;
  std::memcpy(GetWritableData(), source, static_cast<size_t>(n));
  return n;
}
