#include "platform/FolderListing.h"

#include <dirent.h>
#include <glib.h>
#include <sys/stat.h>

#include <algorithm>
#include <utility>

namespace {

bool IsListedFolder(const std::string& parent, const dirent* entry) {
  if (entry->d_name[0] == '.') return false;
  if (entry->d_type == DT_DIR) return true;
  if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) return false;
  struct stat st {};
  return ::stat(JoinFolder(parent, entry->d_name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

template <class Visit>
void ForEachSubfolder(const std::string& folder, Visit visit) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir))
    if (IsListedFolder(folder, entry) && !visit(std::string(entry->d_name))) break;
  ::closedir(dir);
}

}  // namespace

std::string JoinFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

// The desktop's order of file names: letter case aside (also in the C
// locale), numbers by value; names equal so are ordered by their bytes.
static std::string FileNameKey(const std::string& name) {
  gchar* folded = g_utf8_validate(name.c_str(), static_cast<gssize>(name.size()), nullptr)
                      ? g_utf8_casefold(name.c_str(), static_cast<gssize>(name.size()))
                      : nullptr;
  const char* text = folded ? folded : name.c_str();
  gchar* key = g_utf8_collate_key_for_filename(text, -1);
  std::string result = key ? key : text;
  g_free(key);
  g_free(folded);
  return result;
}

std::vector<std::string> ListSubfolders(const std::string& folder) {
  std::vector<std::pair<std::string, std::string>> keyed;
  ForEachSubfolder(folder, [&](std::string name) {
    keyed.emplace_back(FileNameKey(name), std::move(name));
    return true;
  });
  std::sort(keyed.begin(), keyed.end());
  std::vector<std::string> names;
  names.reserve(keyed.size());
  for (auto& k : keyed) names.push_back(std::move(k.second));
  return names;
}

bool HasSubfolders(const std::string& folder) {
  bool any = false;
  ForEachSubfolder(folder, [&](const std::string&) {
    any = true;
    return false;
  });
  return any;
}

std::string HomeFolder() {
  const gchar* home = g_get_home_dir();
  return home ? home : "/";
}

std::string DesktopFolder() {
  const gchar* desktop = g_get_user_special_dir(G_USER_DIRECTORY_DESKTOP);
  if (!desktop) return {};
  std::string path = desktop;
  struct stat st {};
  if (path == HomeFolder() || ::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
  return path;
}
