#pragma once
// The image clipboard. Copy puts an image on the desktop's clipboard for
// other programs as PNG and as a BMP file ("image/bmp"); the bytes are made
// only when a program asks for them. Paste takes PNG first, then BMP (any
// header size the BMP reader knows), then whatever image the toolkit can
// read. "Is there an image" is kept in a cache that an asynchronous query
// of the clipboard's formats refreshes, so menus never wait on another
// program; the exact, blocking answer is there for the commands themselves.

#include <wx/dataobj.h>

#include <cstdint>
#include <vector>

#include "imaging/RasterImage.h"

// The formats offered and taken.
wxDataFormat PngClipboardFormat();
wxDataFormat BmpClipboardFormat();

// A data object with the image as PNG and BMP, encoded on first request.
class CImageDataObject : public wxDataObject {
 public:
  explicit CImageDataObject(const CRasterImage& image);
  ~CImageDataObject() override;

  wxDataFormat GetPreferredFormat(Direction dir = Get) const override;
  size_t GetFormatCount(Direction dir = Get) const override;
  void GetAllFormats(wxDataFormat* formats, Direction dir = Get) const override;
  size_t GetDataSize(const wxDataFormat& format) const override;
  bool GetDataHere(const wxDataFormat& format, void* buffer) const override;
  bool SetData(const wxDataFormat& format, size_t len, const void* buf) override;

  // How often each encoding was made (tests: once each at most).
  int GetEncodeCount() const { return m_encodes; }

 private:
  const std::vector<uint8_t>& Bytes(const wxDataFormat& format) const;
  CRasterImage m_image;
  mutable std::vector<uint8_t> m_png, m_bmp;
  mutable int m_encodes = 0;
};

// Puts the image on the clipboard; the program owns the clipboard until
// another program takes it or it is emptied. False when the clipboard
// cannot be opened or the image is empty.
bool PutImageOnClipboard(const CRasterImage& image);
// Whether the clipboard's content is the program's own image.
bool OwnsClipboardImage();
// The image the program put on the clipboard (while it owns it), else empty.
CRasterImage GetOwnClipboardImage();
// The image on the clipboard (blocking: another program may have to answer);
// empty when there is none or it cannot be read.
CRasterImage ReadClipboardImage();
// Whether the clipboard holds an image, asked now (blocking).
bool QueryClipboardImage();
// The cached answer, for update handlers; RefreshClipboardCache asks the
// clipboard again without waiting (the answer arrives as an event).
bool IsClipboardImageCached();
void RefreshClipboardCache();
// Starts the periodic refresh of the cache (the main frame does this);
// StopClipboardWatch ends it.
void StartClipboardWatch(int periodMs = 500);
void StopClipboardWatch();
// Empties the clipboard of what the program put there. Another program's
// data cannot be taken away from it; false then.
bool EmptyOwnClipboard();
