#include "output/core/GalleryPage.h"

#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <fstream>

#include "base/MessageReport.h"
#include "base/Profile.h"
#include "formats/AtomicFileWriter.h"
#include "formats/ImageFile.h"
#include "output/core/ImageConverter.h"
#include "platform/PathFunctions.h"

const char* const kMakerWebAddress = "https://www.pictoravell.org/";
const char* const kHtmlAlbumSection = "HTML Album Options";

std::string HtmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string PercentEncodeName(const std::string& name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    const bool plain = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') ||
                       std::string_view("-._~!$'()*+,;=:@").find(c) != std::string_view::npos;
    if (plain) {
      out += c;
    } else {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    }
  }
  return out;
}

int GalleryColumns(size_t entries) {
  int c = 1;
  while (c < 6 && static_cast<size_t>(c) * static_cast<size_t>(c) < entries) ++c;
  return c;
}

std::string FormatLongDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local {};
  localtime_r(&now, &local);
  char text[128];
  if (std::strftime(text, sizeof text, "%A, %B %d, %Y", &local) == 0) return {};
  return text;
}

void CGalleryPage::AddEntry(const char* link, const char* thumbnail, int width, int height) {
  m_entries.push_back({link ? link : "", thumbnail ? thumbnail : "", width, height});
}

void CGalleryPage::WriteHtml(std::string& out, const std::string& date) const {
  out = "<html><head><title>Photo Gallery</title></head><body><table align=\"center\">";
  const size_t n = m_entries.size();
  const size_t c = static_cast<size_t>(GalleryColumns(n));
  for (size_t k = 0; k < n; ++k) {
    const CGalleryEntry& e = m_entries[k];
    if (k % c == 0) out += "<tr>";
    out += "<td align=\"center\"><a href=\"" + HtmlEscape(PercentEncodeName(e.m_strLink)) + "\">";
    out += "<img border=\"0\" src=\"" + HtmlEscape(PercentEncodeName(e.m_strThumbnail)) + "\" width=" +
           std::to_string(e.m_nWidth) + " height=" + std::to_string(e.m_nHeight) + " alt=\"" +
           HtmlEscape(e.m_strLink) + "\"></a></td>";
    if (k % c == c - 1 || k + 1 == n) out += "</tr>";
  }
  out += "</table><p align=\"center\"><font size=\"1\">Updated ";
  out += HtmlEscape(date.empty() ? FormatLongDate() : date);
  out += " - Powered by <a href=\"";
  out += kMakerWebAddress;
  out += "\" target=\"_blank\">Pictoravell</a></font></p></body></html>";
}

void HTML_ALBUM_OPTIONS::Read() {
  file.Read(kHtmlAlbumSection);
  strFolder = GetProfileString(kHtmlAlbumSection, "Output Directory", "");
  strIndexFile = GetProfileString(kHtmlAlbumSection, "Index File Name", "index.html");
  nThumbnailSize = GetProfileInt(kHtmlAlbumSection, "Thumbnail Size", 100);
  nJpegQuality = GetProfileInt(kHtmlAlbumSection, "Jpeg Quality", 75);
}

void HTML_ALBUM_OPTIONS::Write() const {
  WriteProfileString(kHtmlAlbumSection, "Output Directory", strFolder);
  WriteProfileString(kHtmlAlbumSection, "Index File Name", strIndexFile);
  WriteProfileInt(kHtmlAlbumSection, "Thumbnail Size", nThumbnailSize);
  WriteProfileInt(kHtmlAlbumSection, "Jpeg Quality", nJpegQuality);
  file.Write(kHtmlAlbumSection);
}

std::string CheckHtmlAlbumOptions(const HTML_ALBUM_OPTIONS& options) {
  if (options.strFolder.empty() || options.strFolder[0] != '/') return "Please enter the output directory.";
  if (!IsValidTypedFileName(options.strIndexFile)) return "Invalid index file name: " + options.strIndexFile;
  if (options.nThumbnailSize < 1 || options.nThumbnailSize > 200) return "Please enter an integer between 1 and 200.";
  if (options.nJpegQuality < 0 || options.nJpegQuality > 100) return "Please enter an integer between 0 and 100.";
  if (!options.file.strPrefix.empty() && !IsValidFileTitle(options.file.strPrefix))
    return "Invalid file name: " + options.file.strPrefix;
  return {};
}

namespace {

bool IsGifFile(const std::string& path) { return FormatIndexFromFile(path) == 3; }

bool WriteTextAtomically(const std::string& path, const std::string& text) {
  CAtomicFileWriter writer(path);
  if (!writer.Begin()) return false;
  {
    std::ofstream out(writer.TempPath(), std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (!out) {
      writer.Abandon();
      return false;
    }
  }
  return writer.Commit() == ATOMIC_OK;
}

}  // namespace

bool RunHtmlAlbum(const std::vector<std::string>& paths, const HTML_ALBUM_OPTIONS& options,
                  HTML_ALBUM_RESULT& result, const std::function<void(const std::string&)>& message,
                  CANCELPROC cancel, PROGRESSPROC progress, const std::string& date) {
  result = HTML_ALBUM_RESULT();
  if (const std::string refusal = CheckHtmlAlbumOptions(options); !refusal.empty()) {
    ReportMessage(MESSAGE_ERROR, refusal);
    return false;
  }
  if (paths.empty()) return true;
  std::string folder = options.strFolder;
  if (folder.back() != '/') folder += '/';
  if (!FolderExists(folder)) ::mkdir(folder.c_str(), 0777);

  if (message) message("Generating thumbnail images...");
  const int n = static_cast<int>(paths.size());
  CImageConverter picture;
  int maxW = 0, maxH = 0;
  if (GetSizeLimit(options.file.nSizeLimit, &maxW, &maxH)) picture.SetMaxSize(maxW, maxH);
  picture.SetOutputFolder(folder.c_str());
  if (!options.file.strPrefix.empty()) picture.SetFileTitle(options.file.strPrefix.c_str(), options.file.nDigits + 1);

  CGalleryPage page;
  for (int k = 1; k <= n; ++k) {
    if (k > 1 && cancel && cancel()) {
      result.bCancelled = true;
      break;
    }
    const std::string& source = paths[static_cast<size_t>(k - 1)];
    const bool gif = IsGifFile(source);
    if (gif) {
      picture.SetOutputFormat(3);
    } else {
      picture.SetJpegOptions(options.nJpegQuality, false);
      picture.SetOutputFormat(7);
    }
    std::string output;
    if (picture.ConvertTo(source.c_str(), output, n < 2 ? -1 : k)) {
      const std::string name = GetFileNamePart(output);
      CImageConverter thumb;
      thumb.SetJpegOptions(options.nJpegQuality, false);
      thumb.SetMaxSize(options.nThumbnailSize, options.nThumbnailSize);
      thumb.SetOutputFolder(folder.c_str());
      thumb.SetFileTitle(("sm-" + GetFileTitlePart(name)).c_str(), 1);
      thumb.SetOutputFormat(gif ? 0 : 7);
      std::string thumbPath;
      int w = 0, h = 0;
      if (thumb.ProcessFile(output.c_str(), thumbPath, -1, &w, &h))
        page.AddEntry(name.c_str(), GetFileNamePart(thumbPath).c_str(), w, h);
      ++result.nPublished;
      result.pictures.push_back(output);
    }
    if (progress) progress(k, n + 1);
  }

  if (result.nPublished > 0) {
    if (message) message("Writing index page...");
    std::string html;
    page.WriteHtml(html, date);
    result.strIndexPath = folder + options.strIndexFile;
    result.bIndexWritten = WriteTextAtomically(result.strIndexPath, html);
    if (!result.bIndexWritten) ReportMessage(MESSAGE_ERROR, "Cannot write " + result.strIndexPath);
    if (progress) progress(result.nPublished + 1, n + 1);
  }
  return true;
}
