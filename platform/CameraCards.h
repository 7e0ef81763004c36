#pragma once
// Memory cards: removable mounted volumes with a "DCIM" entry at their root.

#include <string>
#include <vector>

struct CAMERA_CARD {
  std::string strRoot;  // the mount folder
  std::string strName;  // the volume's display name (the folder name when unknown)
};

// The roots among `roots` that hold "DCIM" (a folder, or a file, which then
// gives a card without photos), ordered by path.
std::vector<CAMERA_CARD> SelectCameraCards(const std::vector<std::string>& roots);

// The cards found now: the mounts GIO reports as ejectable or on removable
// drives. When PICTORAVELL_CARD_ROOTS is set (folders separated by ':'),
// those folders are taken as the mounts instead.
std::vector<CAMERA_CARD> FindCameraCards();

// The roots of the cards, as the browser's camera mode takes them.
std::vector<std::string> CameraCardRoots(const std::vector<CAMERA_CARD>& cards);

// Every mounted volume GIO reports with a local folder (removable or not),
// ordered by path; the tree shows them as roots.
std::vector<CAMERA_CARD> FindMountedVolumes();
