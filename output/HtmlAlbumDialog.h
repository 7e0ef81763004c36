#pragma once
// "Generate HTML Album": the file options of "Send E-mail" kept in "HTML Album
// Options", with the album's folder, index page name, thumbnail size and JPEG
// quality. The settings are written only once OK accepted them.

#include <string>
#include <vector>

#include "output/EmailDialog.h"
#include "output/core/GalleryPage.h"

class CHtmlAlbumDialog : public CEmailDialog {
 public:
  enum {
    IDC_ALBUM_FOLDER = 1431,
    IDC_ALBUM_BROWSE = 1360,
    IDC_ALBUM_INDEX = 1386,
    IDC_ALBUM_THUMBNAIL_SIZE = 1389,
    IDC_ALBUM_QUALITY = 1432,
  };
  explicit CHtmlAlbumDialog(wxWindow* parent);
  bool TransferDataToWindow() override;
  // False (with the refusal's message, nothing stored) for values out of range.
  bool TransferDataFromWindow() override;
  const HTML_ALBUM_OPTIONS& GetAlbumOptions() const { return m_album; }

 private:
  void OnBrowse();

  HTML_ALBUM_OPTIONS m_album;
  wxTextCtrl* m_folder;
  wxTextCtrl* m_index;
  wxTextCtrl* m_thumbnailSize;
  wxTextCtrl* m_quality;
};

// The "Generate HTML Album..." command over the selection: the dialog, then
// the album. False when cancelled or nothing was published.
bool GenerateHtmlAlbumCommand(wxWindow* parent, const std::vector<std::string>& paths);
