#include "shell/ImageClipboard.h"

#include <wx/clipbrd.h>
#include <wx/timer.h>

#include <cstring>
#include <functional>
#include <memory>

#include "formats/ImageBytes.h"

namespace {

// What the program put on the clipboard, while the clipboard still holds it
// (the toolkit destroys the data object when another program takes over or
// the clipboard is emptied).
CImageDataObject* g_owned = nullptr;
CRasterImage g_ownedImage;
bool g_cached = false;

bool AnyImageFormat(const std::function<bool(const wxDataFormat&)>& supports) {
  return supports(PngClipboardFormat()) || supports(BmpClipboardFormat()) ||
         supports(wxDataFormat("image/x-bmp")) || supports(wxDataFormat("image/x-MS-bmp")) ||
         supports(wxDataFormat(wxDF_BITMAP));
}

class CClipboardWatch : public wxEvtHandler {
 public:
  CClipboardWatch() : m_timer(this) {
    Bind(wxEVT_CLIPBOARD_CHANGED, &CClipboardWatch::OnFormats, this);
    Bind(wxEVT_TIMER, [](wxTimerEvent&) { RefreshClipboardCache(); });
  }
  void Start(int ms) { m_timer.Start(ms); }
  void Stop() { m_timer.Stop(); }
  void Ask() {
    if (!wxTheClipboard) return;
    wxTheClipboard->IsSupportedAsync(this);
  }

 private:
  void OnFormats(wxClipboardEvent& event) {
    g_cached = g_owned != nullptr || AnyImageFormat([&](const wxDataFormat& f) { return event.SupportsFormat(f); });
  }
  wxTimer m_timer;
};

CClipboardWatch& Watch() {
  static CClipboardWatch* watch = new CClipboardWatch;  // lives as long as the program
  return *watch;
}

std::vector<uint8_t> GetBytes(const wxDataFormat& format) {
  wxCustomDataObject data(format);
  if (!wxTheClipboard->IsSupported(format) || !wxTheClipboard->GetData(data)) return {};
  const auto* p = static_cast<const uint8_t*>(data.GetData());
  return std::vector<uint8_t>(p, p + data.GetSize());
}

CRasterImage ImageFromWxImage(const wxImage& image) {
  if (!image.IsOk()) return {};
  const int w = image.GetWidth(), h = image.GetHeight();
  CRasterImage out;
  if (!out.Create(w, h, 24)) return {};
  const unsigned char* data = image.GetData();
  uint8_t* bits = out.GetWritableBits();
  for (int y = 0; y < h; ++y)
    std::memcpy(bits + static_cast<int64_t>(y) * out.GetStride(), data + static_cast<int64_t>(y) * w * 3,
                static_cast<std::size_t>(w) * 3);
  if (image.HasAlpha() && out.CreateMask()) {
    uint8_t* mask = out.GetWritableMaskBits();
    for (int y = 0; y < h; ++y)
      std::memcpy(mask + static_cast<int64_t>(y) * out.GetMaskStride(), image.GetAlpha() + static_cast<int64_t>(y) * w,
                  static_cast<std::size_t>(w));
  }
  return out;
}

}  // namespace

// By MIME type: the toolkit has no id of its own for PNG here.
wxDataFormat PngClipboardFormat() { return wxDataFormat("image/png"); }
wxDataFormat BmpClipboardFormat() { return wxDataFormat("image/bmp"); }

CImageDataObject::CImageDataObject(const CRasterImage& image) : m_image(image) {}

CImageDataObject::~CImageDataObject() {
  if (g_owned == this) {
    g_owned = nullptr;
    g_ownedImage.Free();
    g_cached = false;  // the next query of the formats tells again
  }
}

wxDataFormat CImageDataObject::GetPreferredFormat(Direction) const { return PngClipboardFormat(); }

size_t CImageDataObject::GetFormatCount(Direction dir) const { return dir == Get ? 2 : 0; }

void CImageDataObject::GetAllFormats(wxDataFormat* formats, Direction dir) const {
  if (dir != Get) return;
  formats[0] = PngClipboardFormat();
  formats[1] = BmpClipboardFormat();
}

const std::vector<uint8_t>& CImageDataObject::Bytes(const wxDataFormat& format) const {
  static const std::vector<uint8_t> none;
  if (format == PngClipboardFormat()) {
    if (m_png.empty()) {
      m_png = EncodePngBytes(m_image);
      ++m_encodes;
    }
    return m_png;
  }
  if (format == BmpClipboardFormat()) {
    if (m_bmp.empty()) {
      m_bmp = EncodeBmpFileBytes(m_image);
      ++m_encodes;
    }
    return m_bmp;
  }
  return none;
}

size_t CImageDataObject::GetDataSize(const wxDataFormat& format) const { return Bytes(format).size(); }

bool CImageDataObject::GetDataHere(const wxDataFormat& format, void* buffer) const {
  const auto& bytes = Bytes(format);
  if (bytes.empty() || !buffer) return false;
  std::memcpy(buffer, bytes.data(), bytes.size());
  return true;
}

bool CImageDataObject::SetData(const wxDataFormat&, size_t, const void*) { return false; }

bool PutImageOnClipboard(const CRasterImage& image) {
  if (image.IsEmpty() || !wxTheClipboard->Open()) return false;
  auto* data = new CImageDataObject(image);
  const bool ok = wxTheClipboard->SetData(data);  // the clipboard owns the object now
  wxTheClipboard->Close();
  if (ok) {
    g_owned = data;
    g_ownedImage = image;
    g_cached = true;
  }
  return ok;
}

bool OwnsClipboardImage() { return g_owned != nullptr; }

CRasterImage GetOwnClipboardImage() { return g_owned ? g_ownedImage : CRasterImage(); }

CRasterImage ReadClipboardImage() {
  if (g_owned) return g_ownedImage;
  if (!wxTheClipboard->Open()) return {};
  CRasterImage image;
  if (const auto png = GetBytes(PngClipboardFormat()); !png.empty()) image = DecodePngBytes(png.data(), png.size());
  for (const char* bmp : {"image/bmp", "image/x-bmp", "image/x-MS-bmp"}) {
    if (!image.IsEmpty()) break;
    if (const auto bytes = GetBytes(wxDataFormat(bmp)); !bytes.empty())
      image = DecodeBmpBytes(bytes.data(), bytes.size());
  }
  if (image.IsEmpty() && wxTheClipboard->IsSupported(wxDataFormat(wxDF_BITMAP))) {
    wxBitmapDataObject data;
    if (wxTheClipboard->GetData(data) && data.GetBitmap().IsOk())
      image = ImageFromWxImage(data.GetBitmap().ConvertToImage());
  }
  wxTheClipboard->Close();
  return image;
}

bool QueryClipboardImage() {
  if (g_owned) return true;
  if (!wxTheClipboard->Open()) return false;
  const bool available = AnyImageFormat([](const wxDataFormat& f) { return wxTheClipboard->IsSupported(f); });
  wxTheClipboard->Close();
  g_cached = available;
  return available;
}

bool IsClipboardImageCached() { return g_owned != nullptr || g_cached; }

void RefreshClipboardCache() { Watch().Ask(); }

void StartClipboardWatch(int periodMs) {
  Watch().Start(periodMs);
  Watch().Ask();
}

void StopClipboardWatch() { Watch().Stop(); }

bool EmptyOwnClipboard() {
  if (!g_owned) return false;
  if (!wxTheClipboard->Open()) return false;
  wxTheClipboard->Clear();  // destroys the data object, which forgets the image
  wxTheClipboard->Close();
  g_owned = nullptr;
  g_ownedImage.Free();
  g_cached = false;
  RefreshClipboardCache();
  return true;
}
