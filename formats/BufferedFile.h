#pragma once
// CBufferedFile: the stream every codec reads and writes through.
//
// A file with an optional 10240-byte transfer buffer (between BeginBuffer and
// EndBuffer), little-endian 16- and 32-bit values and a sticky read-error
// flag: a read that finds no data sets it, and it stays set until
// ClearError. Write failures (a full disk, an unwritable file, a failed
// close) set a separate sticky write-error flag, which writers and the file
// front end check before they trust what was written. CMemStream
// (formats/MemStream.h) is the in-memory form.

#include <cstdint>
#include <string>

class CBufferedFile {
 public:
  enum Mode { kClosed = 0, kRead = 1, kWrite = 2 };
  enum Origin { kBegin = 1, kCurrent = 2, kEnd = 3 };
  static constexpr int kBufferSize = 10240;

  CBufferedFile() = default;
  CBufferedFile(const CBufferedFile&) = delete;
  CBufferedFile& operator=(const CBufferedFile&) = delete;
  virtual ~CBufferedFile();

  // Mode 1 opens an existing file for reading; mode 2 creates or truncates.
  // Fails (false, nothing changed) when a file is already open.
  virtual bool Open(const char* path, int mode);
  // Flushes pending output and closes; the transfer buffer stays allocated.
  virtual void Close();
  // Origin 1 start, 2 current, 3 end; returns the new logical position, or
  // -1 when the file cannot seek there.
  virtual int64_t Seek(int64_t offset, int origin);
  virtual void BeginBuffer();
  virtual void EndBuffer();
  // Read-only view of the whole file (read mode only); null for an empty
  // file, a write stream or on failure. *pSize receives the size.
  virtual const uint8_t* MapView(int* pSize);
  virtual void UnmapView();
  virtual int64_t GetSize();
  virtual uint8_t ReadByte();
  virtual uint16_t ReadWord();
  virtual uint32_t ReadDword();
  // Returns the bytes read; fewer than n only at the end of the data.
  virtual int Read(void* buffer, int n);
  virtual void WriteByte(uint8_t value);
  virtual void WriteWord(uint16_t value);
  virtual void WriteDword(uint32_t value);
  virtual void Write(const void* buffer, int n);
  virtual bool GetError() const { return m_bError; }
  virtual void ClearError() { m_bError = false; }

  bool GetWriteError() const { return m_bWriteError; }
  int GetMode() const { return m_nMode; }
  bool IsBuffered() const { return m_pBuffer != nullptr; }

 protected:
  bool m_bError = false;
  bool m_bWriteError = false;
  int m_nMode = kClosed;

 private:
  void FillBuffer();
  void FlushBuffer();
  int RawRead(void* buffer, int n);
  void RawWrite(const void* buffer, int n);

  int m_hFile = -1;
  int m_nCount = 0;       // read: unread buffered bytes; write: pending bytes
  int m_nBufferSize = 0;
  uint8_t* m_pBuffer = nullptr;
  uint8_t* m_pCursor = nullptr;
  uint8_t* m_pView = nullptr;
  size_t m_nViewSize = 0;
};
