#include "browser/core/FolderDrop.h"

#include <filesystem>
#include <system_error>

#include "browser/core/AddressHistory.h"

namespace fs = std::filesystem;

FOLDER_DROP_RESULT CopyDroppedFiles(const std::vector<std::string>& files, const std::string& folder) {
  FOLDER_DROP_RESULT result;
  const std::string target = CAddressHistory::NormalizePath(folder);
  for (const std::string& file : files) {
    const fs::path source(file);
    const std::string parent = CAddressHistory::NormalizePath(source.parent_path().string());
    if (parent == target) continue;
    const std::string name = source.filename().string();
    std::error_code error;
    const bool regular = fs::is_regular_file(source, error);
    // copy_file refuses an existing target: nothing is overwritten.
    if (!regular || !fs::copy_file(source, fs::path(target) / name, fs::copy_options::none, error)) {
      result.failures.push_back("Failed to copy '" + name + "' into '" + target + "'");
      continue;
    }
    ++result.copied;
  }
  return result;
}
