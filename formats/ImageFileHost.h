#pragma once
// What the image file front end needs from the application: the image file
// dialog (when a request has no name), the GIF and JPEG option dialogs and
// the program-wide background colour behind flattened frames.
//
// The application installs its own host at start-up. Until then, and in
// tests, a headless host serves: dialogs count as cancelled, option records
// come from the stored settings ("GIF export", "JPEG export") and the
// background is "Image Document"/"Background Color" (black by default).

#include <string>

#include "formats/SaveOptions.h"
#include "imaging/ImageTypes.h"

class CRasterImage;

class IImageFileHost {
 public:
  virtual ~IImageFileHost() = default;
  // Asks the user for an image file to open (save false) or to save to
  // (save true). false when cancelled; else the chosen path is in `path`.
  virtual bool RunImageFileDialog(bool save, std::string& path) = 0;
  // Fills the GIF writer's options: the stored defaults, or what the options
  // dialog returns unless its "Use Default" setting skips it. false when the
  // dialog was cancelled.
  virtual bool GetGifSaveOptions(GIF_SAVE_OPTIONS& options) = 0;
  // The same for the JPEG writer; `preview` (may be null) is the image about
  // to be written, which the dialog shows compressed with the chosen options.
  virtual bool GetJpegSaveOptions(JPEG_SAVE_OPTIONS& options, const CRasterImage* preview) = 0;
  // The colour that uncovered canvas and transparent pixels become when a
  // frame is flattened for a format without transparency.
  virtual RGBQUAD GetBackgroundColor() = 0;
};

// The headless host: no dialogs, stored options, the stored background.
class CHeadlessImageFileHost : public IImageFileHost {
 public:
  bool RunImageFileDialog(bool save, std::string& path) override;
  bool GetGifSaveOptions(GIF_SAVE_OPTIONS& options) override;
  bool GetJpegSaveOptions(JPEG_SAVE_OPTIONS& options, const CRasterImage* preview) override;
  RGBQUAD GetBackgroundColor() override;
};

// The host in use (never null).
IImageFileHost& ImageFileHost();
// Installs a host (null returns to the headless one) and returns the
// previous one; the caller keeps ownership.
IImageFileHost* SetImageFileHost(IImageFileHost* host);
