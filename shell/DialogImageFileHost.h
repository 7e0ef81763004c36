#pragma once
// The image file front end's host in the running program: the image file
// dialog when a request has no name, and the GIF and JPEG export dialogs
// (unless their "Use Default" value skips them) before a file is written.

#include "formats/ImageFileHost.h"

class CDialogImageFileHost : public CHeadlessImageFileHost {
 public:
  bool RunImageFileDialog(bool save, std::string& path) override;
  bool GetGifSaveOptions(GIF_SAVE_OPTIONS& options) override;
  bool GetJpegSaveOptions(JPEG_SAVE_OPTIONS& options, const CRasterImage* preview) override;
};

// Installs a dialog host for the lifetime of the object (the application, tests).
class CScopedDialogImageFileHost {
 public:
  CScopedDialogImageFileHost() : m_previous(SetImageFileHost(&m_host)) {}
  ~CScopedDialogImageFileHost() { SetImageFileHost(m_previous); }
  CScopedDialogImageFileHost(const CScopedDialogImageFileHost&) = delete;
  CScopedDialogImageFileHost& operator=(const CScopedDialogImageFileHost&) = delete;

 private:
  CDialogImageFileHost m_host;
  IImageFileHost* m_previous;
};
