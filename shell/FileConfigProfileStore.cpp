#include "shell/FileConfigProfileStore.h"

#include <sys/stat.h>

#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include <algorithm>
#include <cstdlib>

namespace {

// wxFileConfig treats '/' as the group separator and would read a key with
// one as a path; keys never contain one, sections use '\' for nesting.
wxString GroupPath(const std::string& section) {
  wxString path = "/" + wxString::FromUTF8(section);
  path.Replace("\\", "/");
  return path;
}

wxString EntryPath(const std::string& section, const std::string& key) {
  wxString k = wxString::FromUTF8(key);
  k.Replace("/", "_");
  return GroupPath(section) + "/" + k;
}

class CFileConfigProfileStore : public IProfileStore {
 public:
  explicit CFileConfigProfileStore(const std::string& path) {
    wxFileName file(wxString::FromUTF8(path));
    file.Mkdir(wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    m_config = std::make_unique<wxFileConfig>(wxEmptyString, wxEmptyString, file.GetFullPath(), wxEmptyString,
                                              wxCONFIG_USE_LOCAL_FILE);
    m_config->SetExpandEnvVars(false);
    // The file may hold a remembered (only scrambled) FTP password: owner only.
    m_config->SetUmask(077);
    m_path = path;
    ::chmod(m_path.c_str(), 0600);
  }
  ~CFileConfigProfileStore() override { Flush(); }

  int GetInt(const std::string& section, const std::string& key, int defaultValue) override {
    long value = defaultValue;
    m_config->Read(EntryPath(section, key), &value, static_cast<long>(defaultValue));
    return static_cast<int>(value);
  }
  bool WriteInt(const std::string& section, const std::string& key, int value) override {
    return m_config->Write(EntryPath(section, key), static_cast<long>(value));
  }
  std::string GetString(const std::string& section, const std::string& key, const std::string& defaultValue) override {
    wxString value;
    if (!m_config->Read(EntryPath(section, key), &value)) return defaultValue;
    return value.utf8_string();
  }
  bool WriteString(const std::string& section, const std::string& key, const std::string& value) override {
    return m_config->Write(EntryPath(section, key), wxString::FromUTF8(value));
  }
  bool GetBinary(const std::string& section, const std::string& key, std::vector<uint8_t>& value) override {
    value.clear();
    wxMemoryBuffer buffer;
    if (!m_config->Read(EntryPath(section, key), &buffer)) return false;
    const auto* data = static_cast<const uint8_t*>(buffer.GetData());
    value.assign(data, data + buffer.GetDataLen());
    return true;
  }
  bool WriteBinary(const std::string& section, const std::string& key, const std::vector<uint8_t>& value) override {
    wxMemoryBuffer buffer;
    buffer.AppendData(value.data(), value.size());
    return m_config->Write(EntryPath(section, key), buffer);
  }
  bool DeleteEntry(const std::string& section, const std::string& key) override {
    return m_config->DeleteEntry(EntryPath(section, key), false);
  }
  bool DeleteSection(const std::string& section) override { return m_config->DeleteGroup(GroupPath(section)); }
  std::vector<std::string> GetSubsectionNames(const std::string& section) override {
    std::vector<std::string> names;
    const wxString oldPath = m_config->GetPath();
    if (m_config->HasGroup(GroupPath(section))) {
      m_config->SetPath(GroupPath(section));
      wxString name;
      long cookie = 0;
      for (bool more = m_config->GetFirstGroup(name, cookie); more; more = m_config->GetNextGroup(name, cookie))
        names.push_back(name.utf8_string());
      m_config->SetPath(oldPath);
    }
    // The registry listed keys in this order.
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
      return wxString::FromUTF8(a).CmpNoCase(wxString::FromUTF8(b)) < 0;
    });
    return names;
  }
  void Flush() override {
    m_config->Flush();
    ::chmod(m_path.c_str(), 0600);  // an older file keeps its mode through wxFileConfig's rewrite
  }

 private:
  std::unique_ptr<wxFileConfig> m_config;
  std::string m_path;
};

}  // namespace

std::string GetSettingsFilePath() {
  if (const char* path = std::getenv("PICTORAVELL_CONFIG"); path && *path) return path;
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
    base = xdg;
  else
    base = wxGetHomeDir().utf8_string() + "/.config";
  return base + "/pictoravell/pictoravell.conf";
}

std::unique_ptr<IProfileStore> MakeFileConfigProfileStore(const std::string& path) {
  return std::make_unique<CFileConfigProfileStore>(path);
}
