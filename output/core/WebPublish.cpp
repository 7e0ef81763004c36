#include "output/core/WebPublish.h"

#include <curl/curl.h>

#include <cstdio>
#include <cstring>

#include "base/MessageReport.h"
#include "base/Profile.h"
#include "output/core/GalleryPage.h"
#include "output/core/ImageConverter.h"
#include "platform/PathFunctions.h"

const char* const kWebPublishSection = "Web Publish Options";
const char* const kPasswordKey = "Hq7#mW2!pL9vR4&kT6zN8x";
const char* const kScrambleAlphabet = "Q7MZ2KD9XTB4WJ0RHN5FLC8VP1YG3SEAU6OI";

bool ScramblePassword(std::string& text, const char* key, bool scramble) {
  const size_t keyLength = key ? std::strlen(key) : 0;
  if (keyLength == 0) return false;
  const char* a = kScrambleAlphabet;
  std::string out;
  if (scramble) {
    for (size_t i = 0; i < text.size(); ++i) {
      const auto b = static_cast<unsigned char>(text[i]);
      const auto k = static_cast<unsigned char>(key[i % keyLength]);
      out += a[(b >> 4) + (k >> 4)];
      out += a[(b & 15) + (k & 15)];
    }
    const size_t m = (2 * text.size()) % 6;
    for (size_t j = 30 + m; j >= 31 && m > 0; --j) out += a[j];
  } else {
    std::string s = text;
    while (!s.empty() && std::strchr(a + 31, s.back()) != nullptr) s.pop_back();
    if (s.size() % 2 != 0) return false;
    for (size_t i = 0; i < s.size(); i += 2) {
      const char* w = std::memchr(a, s[i], 31) ? static_cast<const char*>(std::memchr(a, s[i], 31)) : nullptr;
      const char* o = std::memchr(a, s[i + 1], 31) ? static_cast<const char*>(std::memchr(a, s[i + 1], 31)) : nullptr;
      if (!w || !o || s[i] == '\0' || s[i + 1] == '\0') return false;
      const auto k = static_cast<unsigned char>(key[(i / 2) % keyLength]);
      const int hi = static_cast<int>(w - a) - (k >> 4);
      const int lo = static_cast<int>(o - a) - (k & 15);
      if (hi < 0 || hi > 15 || lo < 0 || lo > 15) return false;
      out += static_cast<char>(hi * 16 + lo);
    }
  }
  text = out;
  return true;
}

void WEB_PUBLISH_OPTIONS::Read() {
  const char* s = kWebPublishSection;
  file.Read(s);
  strServer = GetProfileString(s, "Server Name", "");
  strDirectory = GetProfileString(s, "Server Directory", "");
  strUser = GetProfileString(s, "User Name", "");
  bRememberPassword = GetProfileInt(s, "Remember Password", 0) != 0;
  bGenerateIndex = GetProfileInt(s, "Generate Index Page", 1) != 0;
  strIndexFile = GetProfileString(s, "Index File Name", "photo_album.htm");
  strPassword.clear();
  if (bRememberPassword) {
    std::string stored = GetProfileString(s, "Password", "");
    if (ScramblePassword(stored, kPasswordKey, false)) strPassword = stored;
  }
}

void WEB_PUBLISH_OPTIONS::Write() const {
  const char* s = kWebPublishSection;
  WriteProfileString(s, "Server Name", strServer);
  WriteProfileString(s, "Server Directory", strDirectory);
  WriteProfileString(s, "User Name", strUser);
  WriteProfileInt(s, "Remember Password", bRememberPassword ? 1 : 0);
  WriteProfileInt(s, "Generate Index Page", bGenerateIndex ? 1 : 0);
  WriteProfileString(s, "Index File Name", strIndexFile);
  std::string scrambled = strPassword;
  if (bRememberPassword && ScramblePassword(scrambled, kPasswordKey, true))
    WriteProfileString(s, "Password", scrambled);
  else
    Profile().DeleteEntry(s, "Password");
  file.Write(s);
}

static bool HasControl(const std::string& text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return true;
  return false;
}

std::string CheckWebPublishOptions(const WEB_PUBLISH_OPTIONS& o) {
  if (o.strServer.empty() || HasControl(o.strServer) || o.strServer.find_first_of(" /@\\") != std::string::npos)
    return "Invalid FTP server name: " + o.strServer;
  if (HasControl(o.strDirectory)) return "Invalid server directory: " + o.strDirectory;
  if (HasControl(o.strUser) || HasControl(o.strPassword)) return "The user name or password holds a control character.";
  if (o.bGenerateIndex && !IsValidTypedFileName(o.strIndexFile)) return "Invalid index file name: " + o.strIndexFile;
  if (!o.file.strPrefix.empty() && !IsValidFileTitle(o.file.strPrefix)) return "Invalid file name: " + o.file.strPrefix;
  return {};
}

std::vector<std::string> SplitServerDirectory(const std::string& directory, bool* absolute) {
  std::string d = directory;
  for (char& c : d)
    if (c == '\\') c = '/';
  if (absolute) *absolute = !d.empty() && d[0] == '/';
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= d.size()) {
    size_t end = d.find('/', start);
    if (end == std::string::npos) end = d.size();
    if (end > start) parts.push_back(d.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// --- the FTP session ---------------------------------------------------------

struct CFtpSession::Impl {
  CURL* curl = nullptr;
  std::string lastReply;  // the server's last reply line
  char errorBuffer[CURL_ERROR_SIZE] = {};
  // upload source
  FILE* file = nullptr;
  const std::string* text = nullptr;
  size_t textPos = 0;
  PROGRESSPROC progress = nullptr;
  CANCELPROC cancel = nullptr;
  bool* cancelled = nullptr;
};

namespace {

struct CurlGlobal {
  CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* user) {
  if (type != CURLINFO_HEADER_IN) return 0;
  auto* impl = static_cast<CFtpSession::Impl*>(user);
  std::string line(data, size);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  if (line.size() >= 3 && (line[0] == '4' || line[0] == '5')) impl->lastReply = line;
  return 0;
}

size_t OnRead(char* buffer, size_t size, size_t count, void* user) {
  auto* impl = static_cast<CFtpSession::Impl*>(user);
  const size_t want = size * count;
  if (impl->file) return std::fread(buffer, 1, want, impl->file);
  if (impl->text) {
    const size_t n = std::min(want, impl->text->size() - impl->textPos);
    std::memcpy(buffer, impl->text->data() + impl->textPos, n);
    impl->textPos += n;
    return n;
  }
  return 0;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t ultotal, curl_off_t ulnow) {
  auto* impl = static_cast<CFtpSession::Impl*>(user);
  if (impl->progress && ultotal > 0) {
    // 64-bit in, per-mille out: large files cannot overflow the int pair.
    impl->progress(static_cast<int>(ulnow * 1000 / ultotal), 1000);
  }
  if (impl->cancel && impl->cancelled && !*impl->cancelled && impl->cancel()) *impl->cancelled = true;
  return 0;
}

bool IsFatal(CURLcode code) {
  switch (code) {
    case CURLE_OK:
    case CURLE_UPLOAD_FAILED:
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_QUOTE_ERROR:
    case CURLE_FTP_COULDNT_SET_TYPE:
    case CURLE_READ_ERROR:
      return false;
    default:
      return true;
  }
}

}  // namespace

CFtpSession::CFtpSession() : m(std::make_unique<Impl>()) {
  static CurlGlobal global;
  m->curl = curl_easy_init();
}

CFtpSession::~CFtpSession() {
  if (m->curl) curl_easy_cleanup(m->curl);
}

bool CFtpSession::Perform(const std::string& url, bool) {
  CURL* c = m->curl;
  m->lastReply.clear();
  m->errorBuffer[0] = '\0';
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  const CURLcode code = curl_easy_perform(c);
  if (code == CURLE_OK) {
    m_error.clear();
    m_fatal = false;
    return true;
  }
  m_fatal = IsFatal(code);
  if (!m->lastReply.empty())
    m_error = m->lastReply;
  else if (m->errorBuffer[0])
    m_error = m->errorBuffer;
  else
    m_error = curl_easy_strerror(code);
  return false;
}

bool CFtpSession::Open(const std::string& server, const std::string& user, const std::string& password) {
  if (!m->curl) {
    m_error = "Cannot start the FTP client.";
    m_fatal = true;
    return false;
  }
  CURL* c = m->curl;
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "ftp");
  curl_easy_setopt(c, CURLOPT_USERNAME, user.empty() ? "anonymous" : user.c_str());
  curl_easy_setopt(c, CURLOPT_PASSWORD, password.c_str());
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, m->errorBuffer);
  curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);  // replies reach OnDebug; nothing is printed
  curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, OnDebug);
  curl_easy_setopt(c, CURLOPT_DEBUGDATA, m.get());
  curl_easy_setopt(c, CURLOPT_READFUNCTION, OnRead);
  curl_easy_setopt(c, CURLOPT_READDATA, m.get());
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, m.get());
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 20L);
  curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, 30L);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 30L);
  curl_easy_setopt(c, CURLOPT_FTP_CREATE_MISSING_DIRS, static_cast<long>(CURLFTP_CREATE_DIR_RETRY));
  curl_easy_setopt(c, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_MULTICWD));
  m_base = "ftp://" + server + "/";
  m_parts.clear();
  m_absolute = false;
  curl_easy_setopt(c, CURLOPT_UPLOAD, 0L);
  curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
  const bool ok = Perform(m_base, true);
  if (!ok) m_fatal = true;
  return ok;
}

std::string CFtpSession::DirectoryUrl() const {
  std::string url = m_base;
  if (m_absolute) url += "%2F";
  for (size_t i = 0; i < m_parts.size(); ++i) {
    if (i > 0 || m_absolute) url += '/';
    url += PercentEncodeName(m_parts[i]);
  }
  if (m_absolute || !m_parts.empty()) url += '/';
  return url;
}

bool CFtpSession::ChangeDirectoryPath(const std::string& path) {
  bool absolute = false;
  std::vector<std::string> parts = SplitServerDirectory(path, &absolute);
  if (parts.empty() && !absolute) return true;
  if (absolute) {
    m_parts = parts;
    m_absolute = true;
  } else {
    m_parts.insert(m_parts.end(), parts.begin(), parts.end());
  }
  curl_easy_setopt(m->curl, CURLOPT_UPLOAD, 0L);
  curl_easy_setopt(m->curl, CURLOPT_NOBODY, 1L);
  return Perform(DirectoryUrl(), false);
}

bool CFtpSession::UploadFile(const std::string& localPath, const std::string& name, PROGRESSPROC progress,
                             CANCELPROC cancel) {
  FILE* f = std::fopen(localPath.c_str(), "rb");
  if (!f) {
    m_error = "Cannot read " + localPath;
    m_fatal = false;
    return false;
  }
  std::fseek(f, 0, SEEK_END);
  const long long size = std::ftell(f);
  std::fseek(f, 0, SEEK_SET);
  m->file = f;
  m->progress = progress;
  m->cancel = cancel;
  m->cancelled = &m_cancelled;
  if (progress) progress(0, 1000);
  curl_easy_setopt(m->curl, CURLOPT_NOBODY, 0L);
  curl_easy_setopt(m->curl, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(m->curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
  const bool ok = Perform(DirectoryUrl() + PercentEncodeName(name), false);
  std::fclose(f);
  m->file = nullptr;
  m->progress = nullptr;
  m->cancel = nullptr;
  return ok;
}

bool CFtpSession::UploadText(const std::string& text, const std::string& name) {
  m->text = &text;
  m->textPos = 0;
  curl_easy_setopt(m->curl, CURLOPT_NOBODY, 0L);
  curl_easy_setopt(m->curl, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(m->curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(text.size()));
  const bool ok = Perform(DirectoryUrl() + PercentEncodeName(name), false);
  m->text = nullptr;
  return ok;
}

// --- the job ---------------------------------------------------------------

bool RunWebPublish(const std::vector<std::string>& paths, const WEB_PUBLISH_OPTIONS& options,
                   WEB_PUBLISH_RESULT& result, const std::function<void(const std::string&)>& message,
                   CANCELPROC cancel, PROGRESSPROC progress, const std::string& date) {
  result = WEB_PUBLISH_RESULT();
  if (paths.empty()) return false;
  if (const std::string refusal = CheckWebPublishOptions(options); !refusal.empty()) {
    ReportMessage(MESSAGE_ERROR, refusal);
    return false;
  }
  CFtpSession ftp;
  if (!ftp.Open(options.strServer, options.strUser, options.strPassword)) {
    ReportMessage(MESSAGE_ERROR, ftp.LastError());
    return false;
  }
  if (!options.strDirectory.empty() && !ftp.ChangeDirectoryPath(options.strDirectory)) {
    ReportMessage(MESSAGE_ERROR,
                  "Could not create or change to the specified directory on the server:\n\n\t\t" + options.strDirectory);
    return false;
  }
  const std::string folder = GetSharingWorkFolder("Publish Temp");
  if (!PrepareWorkFolder(folder)) {
    ReportMessage(MESSAGE_ERROR, "Cannot create " + folder);
    return false;
  }

  CImageConverter picture;
  int maxW = 0, maxH = 0;
  if (GetSizeLimit(options.file.nSizeLimit, &maxW, &maxH)) picture.SetMaxSize(maxW, maxH);
  picture.SetOutputFolder(folder.c_str());
  if (!options.file.strPrefix.empty()) picture.SetFileTitle(options.file.strPrefix.c_str(), options.file.nDigits + 1);

  CGalleryPage page;
  const int n = static_cast<int>(paths.size());
  bool broken = false;
  for (int k = 1; k <= n && !broken; ++k) {
    if (k > 1 && (ftp.CancelRequested() || (cancel && cancel()))) {
      result.bCancelled = true;
      break;
    }
    const std::string& source = paths[static_cast<size_t>(k - 1)];
    picture.SetOutputFormat(FormatIndexFromFile(source) == 3 ? 3 : 7);
    std::string output;
    if (!picture.ConvertTo(source.c_str(), output, n < 2 ? -1 : k)) continue;
    const std::string name = GetFileNamePart(output);
    if (!IsValidTypedFileName(name)) {
      ReportMessage(MESSAGE_ERROR, "Invalid file name: " + name);
      continue;
    }
    if (message) message("Uploading " + name + "...");
    if (!ftp.UploadFile(output, name, progress, cancel)) {
      if (ftp.LastFailureIsFatal()) {
        ReportMessage(MESSAGE_ERROR, ftp.LastError());
        broken = true;
      }
      continue;
    }
    ++result.nPublished;
    result.uploaded.push_back(name);
    if (options.bGenerateIndex) {
      CImageConverter thumb;
      thumb.SetMaxSize(100, 100);
      thumb.SetOutputFolder(folder.c_str());
      thumb.SetFileTitle(("sm-" + GetFileTitlePart(name)).c_str(), 1);
      std::string thumbPath;
      int w = 0, h = 0;
      if (thumb.ProcessFile(output.c_str(), thumbPath, -1, &w, &h)) {
        const std::string thumbName = GetFileNamePart(thumbPath);
        if (message) message("Uploading thumbnail image for " + name + "...");
        if (ftp.UploadFile(thumbPath, thumbName, progress, cancel)) {
          page.AddEntry(name.c_str(), thumbName.c_str(), w, h);
        } else if (ftp.LastFailureIsFatal()) {
          ReportMessage(MESSAGE_ERROR, ftp.LastError());
          broken = true;
        }
      }
    }
  }
  if (broken) return false;  // the temporary folder stays, as after any error

  if (options.bGenerateIndex) {
    if (message) message("Writing index page...");
    std::string html;
    page.WriteHtml(html, date);
    result.bIndexWritten = ftp.UploadText(html, options.strIndexFile);
    if (!result.bIndexWritten) {
      ReportMessage(MESSAGE_ERROR, ftp.LastError());
      if (ftp.LastFailureIsFatal()) return false;
    }
  }
  EmptyFolder(folder, true);
  result.bCompleted = true;
  return true;
}
