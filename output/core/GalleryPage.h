#pragma once
// CGalleryPage: the index page of the HTML album and of web publishing - a
// table of thumbnails, each linking to its picture, in one line of HTML.
// File names reach the page safely: attributes are HTML-escaped and link
// targets percent-encoded (plain ASCII names keep their exact bytes).
//
// RunHtmlAlbum: the album job without windows - the pictures converted for
// the web into a folder with a "sm-" thumbnail of each and the index page.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/ResultCodes.h"
#include "output/core/SharingCommon.h"

struct CGalleryEntry {
  std::string m_strLink;
  std::string m_strThumbnail;
  int32_t m_nWidth = 0;
  int32_t m_nHeight = 0;
};

// '&', '<', '>', '"' and '\'' as character references.
std::string HtmlEscape(const std::string& text);
// A file name as a relative URL: bytes outside A-Z a-z 0-9 and "-._~!$'()*+,;=:@"
// become %XX (so ' ', '#', '%', '?', '&', '"', '<' and non-ASCII are encoded).
std::string PercentEncodeName(const std::string& name);
// The number of table columns for n entries: the smallest c >= 1 with c*c >= n, at most 6.
int GalleryColumns(size_t entries);
// The current local date in the user's long form (the page footer).
std::string FormatLongDate();

// The footer link.
extern const char* const kMakerWebAddress;

class CGalleryPage {
 public:
  virtual ~CGalleryPage() = default;
  void AddEntry(const char* link, const char* thumbnail, int width, int height);
  // The page; `date` replaces the current date when not empty (tests).
  void WriteHtml(std::string& out, const std::string& date = std::string()) const;
  const std::vector<CGalleryEntry>& Entries() const { return m_entries; }

 private:
  std::vector<CGalleryEntry> m_entries;
};

// "HTML Album Options".
struct HTML_ALBUM_OPTIONS {
  SHARING_FILE_OPTIONS file;
  std::string strFolder;                   // "Output Directory"
  std::string strIndexFile = "index.html"; // "Index File Name"
  int nThumbnailSize = 100;                // "Thumbnail Size" 1..200
  int nJpegQuality = 75;                   // "Jpeg Quality" 0..100
  void Read();
  void Write() const;
};
extern const char* const kHtmlAlbumSection;  // "HTML Album Options"

// Checks the options before a run: an absolute folder, a valid index name,
// the ranges. Returns the message to show, empty when they are fine.
std::string CheckHtmlAlbumOptions(const HTML_ALBUM_OPTIONS& options);

struct HTML_ALBUM_RESULT {
  int nPublished = 0;
  bool bCancelled = false;
  bool bIndexWritten = false;
  std::string strIndexPath;
  std::vector<std::string> pictures;  // the files written, in order
};

// The album job. `message` (may be empty) receives "Generating thumbnail
// images..." and "Writing index page..."; progress goes k of n+1; `cancel` is
// polled between pictures: the album then holds what was written so far.
// `date` fixes the page's date (tests). Returns false only when the options
// are refused (the reason reported as an error message).
bool RunHtmlAlbum(const std::vector<std::string>& paths, const HTML_ALBUM_OPTIONS& options,
                  HTML_ALBUM_RESULT& result, const std::function<void(const std::string&)>& message,
                  CANCELPROC cancel, PROGRESSPROC progress, const std::string& date = std::string());
