#pragma once
// Files dropped onto a folder of the folder tree: copied into it under their
// own names, never over an existing file.

#include <string>
#include <vector>

struct FOLDER_DROP_RESULT {
  int copied = 0;
  // One message per file that could not be copied: "Failed to copy 'name'
  // into 'folder'" (a folder dropped counts as such a file).
  std::vector<std::string> failures;
};

// Files already in the folder (their parent folder is the target, compared
// byte for byte after dropping a trailing '/') are skipped without a word.
FOLDER_DROP_RESULT CopyDroppedFiles(const std::vector<std::string>& files, const std::string& folder);
