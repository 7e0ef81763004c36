#include "platform/CameraCards.h"

#include <gio/gio.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

namespace {

bool HasDcimEntry(const std::string& root) {
  struct stat st{};
  std::string path = root;
  if (path.empty() || path.back() != '/') path += '/';
  path += "DCIM";
  return ::stat(path.c_str(), &st) == 0;
}

std::string FolderName(const std::string& root) {
  size_t end = root.find_last_not_of('/');
  if (end == std::string::npos) return root;
  size_t slash = root.find_last_of('/', end);
  return root.substr(slash == std::string::npos ? 0 : slash + 1, end - (slash == std::string::npos ? 0 : slash + 1) + 1);
}

std::vector<CAMERA_CARD> SelectCards(std::vector<CAMERA_CARD> mounts) {
  std::vector<CAMERA_CARD> cards;
  for (CAMERA_CARD& m : mounts)
    if (!m.strRoot.empty() && HasDcimEntry(m.strRoot)) cards.push_back(std::move(m));
  std::sort(cards.begin(), cards.end(),
            [](const CAMERA_CARD& a, const CAMERA_CARD& b) { return a.strRoot < b.strRoot; });
  return cards;
}

std::vector<CAMERA_CARD> Mounts(bool removableOnly) {
  std::vector<CAMERA_CARD> mounts;
  GVolumeMonitor* monitor = g_volume_monitor_get();
  if (!monitor) return mounts;
  GList* list = g_volume_monitor_get_mounts(monitor);
  for (GList* l = list; l; l = l->next) {
    GMount* mount = G_MOUNT(l->data);
    bool removable = g_mount_can_eject(mount);
    if (GDrive* drive = g_mount_get_drive(mount)) {
      removable = removable || g_drive_is_removable(drive) || g_drive_is_media_removable(drive);
      g_object_unref(drive);
    }
    if ((removable || !removableOnly) && !g_mount_is_shadowed(mount)) {
      GFile* root = g_mount_get_root(mount);
      if (char* path = root ? g_file_get_path(root) : nullptr) {
        CAMERA_CARD card;
        card.strRoot = path;
        char* name = g_mount_get_name(mount);
        card.strName = name ? name : FolderName(card.strRoot);
        g_free(name);
        g_free(path);
        mounts.push_back(std::move(card));
      }
      if (root) g_object_unref(root);
    }
  }
  g_list_free_full(list, g_object_unref);
  g_object_unref(monitor);
  return mounts;
}

}  // namespace

std::vector<CAMERA_CARD> SelectCameraCards(const std::vector<std::string>& roots) {
  std::vector<CAMERA_CARD> mounts;
  for (const std::string& r : roots) mounts.push_back({r, FolderName(r)});
  return SelectCards(std::move(mounts));
}

std::vector<CAMERA_CARD> FindCameraCards() {
  if (const char* injected = std::getenv("PICTORAVELL_CARD_ROOTS"); injected && *injected) {
    std::vector<std::string> roots;
    std::string all = injected;
    size_t start = 0;
    while (start <= all.size()) {
      size_t colon = all.find(':', start);
      if (colon == std::string::npos) colon = all.size();
      if (colon > start) roots.push_back(all.substr(start, colon - start));
      start = colon + 1;
    }
    return SelectCameraCards(roots);
  }
  return SelectCards(Mounts(true));
}

std::vector<CAMERA_CARD> FindMountedVolumes() {
  std::vector<CAMERA_CARD> mounts = Mounts(false);
  std::sort(mounts.begin(), mounts.end(),
            [](const CAMERA_CARD& a, const CAMERA_CARD& b) { return a.strRoot < b.strRoot; });
  return mounts;
}

std::vector<std::string> CameraCardRoots(const std::vector<CAMERA_CARD>& cards) {
  std::vector<std::string> roots;
  for (const CAMERA_CARD& c : cards) roots.push_back(c.strRoot);
  return roots;
}
