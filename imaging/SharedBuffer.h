#pragma once
// CSharedBuffer: a copy-on-write byte block with a plain reference count.
//
// Copies share one block; the first write access through a shared buffer
// gives the writer a private copy. The count is not atomic: images belong to
// one thread at a time. New blocks are zero-filled.
//
// CBufferArenaScope: while one lives on a thread, new blocks up to a quarter
// of its chunk size are carved one after another out of shared zero-filled
// chunks, instead of each being allocated on its own. Many images made in a
// row (the frames of an animation) then cost a few large allocations and
// page faults instead of one allocation and a page fault per 4 KB each. A
// chunk is freed with the last block carved from it.

#include <cstddef>
#include <cstdint>

class CBufferArenaScope {
 public:
  explicit CBufferArenaScope(size_t chunkBytes = size_t{16} << 20);
  ~CBufferArenaScope();
  CBufferArenaScope(const CBufferArenaScope&) = delete;
  CBufferArenaScope& operator=(const CBufferArenaScope&) = delete;

 private:
  friend class CSharedBuffer;
  struct Chunk;
  // A zero-filled block of `bytes` from the current chunk (a new one when it
  // is full); null when the block is too large for chunks or memory runs out.
  void* Carve(size_t bytes, Chunk** chunk);
  static void ReleaseChunk(Chunk* chunk);

  CBufferArenaScope* m_pPrevious;
  size_t m_nChunkBytes;
  Chunk* m_pChunk = nullptr;
  size_t m_nUsed = 0;
};

class CSharedBuffer {
 public:
  CSharedBuffer() = default;
  explicit CSharedBuffer(int32_t size);
  CSharedBuffer(const CSharedBuffer& other);
  CSharedBuffer(CSharedBuffer&& other) noexcept;
  CSharedBuffer& operator=(const CSharedBuffer& other);
  CSharedBuffer& operator=(CSharedBuffer&& other) noexcept;
  virtual ~CSharedBuffer();

  void AddRef();
  // Drops this buffer's share; frees the block when it was the last owner.
  void Release();
  void Empty() { Release(); }

  // Replaces the contents with a new private, zero-filled block of n bytes.
  // n <= 0 returns null and leaves the buffer unchanged; out of memory
  // returns null with the buffer empty.
  uint8_t* Allocate(int32_t n);

  // Writable data, copying a shared block first. Null without a block.
  // Throws std::bad_alloc when the private copy cannot be made (the buffer
  // then still shares the old block); public image algorithms catch it.
  uint8_t* GetWritableData();
  const uint8_t* GetData() const;
  int32_t GetSize() const;

  // Copies min(n, size) bytes into the writable data; returns the count.
  int32_t CopyFrom(const void* source, int32_t n);

  // Number of owners of the block (0 without one); for tests and diagnostics.
  int32_t GetRefCount() const;
  bool SharesBlockWith(const CSharedBuffer& other) const {
    return m_pBlock != nullptr && m_pBlock == other.m_pBlock;
  }

 private:
  struct Block;
  Block* m_pBlock = nullptr;
};
