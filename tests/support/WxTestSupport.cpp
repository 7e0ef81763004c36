#include "tests/support/WxTestSupport.h"

#include <stdlib.h>

#include <filesystem>

namespace testing_support {

void UsePrivateUserFolders() {
  std::string pattern = (std::filesystem::temp_directory_path() / "pictoravell-ui-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return;
  for (const char* name : {"config", "data", "cache"}) std::filesystem::create_directories(pattern + "/" + name);
  setenv("XDG_CONFIG_HOME", (pattern + "/config").c_str(), 1);
  setenv("XDG_DATA_HOME", (pattern + "/data").c_str(), 1);
  setenv("XDG_CACHE_HOME", (pattern + "/cache").c_str(), 1);
  setenv("PICTORAVELL_CONFIG", (pattern + "/config/pictoravell/pictoravell.conf").c_str(), 1);
  setenv("PICTORAVELL_TEST_HOME", pattern.c_str(), 1);
}

void PumpFor(long ms) {
  PumpUntil([] { return false; }, ms);
}

}  // namespace testing_support
