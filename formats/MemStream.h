#pragma once
// CMemStream: a growable block of memory behind the stream interface.
//
// Written in mode 2 (position and length move together), read after
// SetMode(1). Entering mode 2 empties the data; other mode changes keep it.
// A read that cannot be completed sets the error flag, a complete one clears
// it. Seek works in read mode only; origin 3 counts back from the end.

#include <vector>

#include "formats/BufferedFile.h"

class CMemStream : public CBufferedFile {
 public:
  CMemStream() = default;
  // A stream in read mode over a copy of the given bytes.
  CMemStream(const void* data, int size);
  ~CMemStream() override;

  bool Open(const char* path, int mode) override;
  void Close() override;
  int64_t Seek(int64_t offset, int origin) override;
  void BeginBuffer() override {}
  void EndBuffer() override {}
  const uint8_t* MapView(int* pSize) override { return nullptr; }
  void UnmapView() override {}
  int64_t GetSize() override { return m_nLength; }
  uint8_t ReadByte() override;
  uint16_t ReadWord() override;
  uint32_t ReadDword() override;
  int Read(void* buffer, int n) override;
  void WriteByte(uint8_t value) override;
  void WriteWord(uint16_t value) override;
  void WriteDword(uint32_t value) override;
  void Write(const void* buffer, int n) override;

  void SetMode(int mode);
  const uint8_t* GetData() const { return m_pData; }
  int GetLength() const { return m_nLength; }
  int GetPosition() const { return m_nPos; }
  int GetCapacity() const { return m_nCapacity; }

 private:
  // Makes room for n more bytes at the position; false (error flag set) when
  // the stream would pass 2 GiB or memory runs out.
  bool Reserve(int n);
  bool Grow(int n);
  void Put(const void* data, int n);
  bool Take(void* out, int n);

  uint8_t* m_pData = nullptr;
  int m_nLength = 0;
  int m_nPos = 0;
  int m_nCapacity = 0;
};
