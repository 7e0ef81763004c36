// Batch scripts in the program's settings file: names that the file's group
// paths would resolve ("..", '/') never reach another section, and the
// stored scripts are listed from the file.

#include <gtest/gtest.h>

#include "base/Profile.h"
#include "output/core/BatchScript.h"
#include "shell/FileConfigProfileStore.h"
#include "tests/support/TestSupport.h"

namespace {

using testing_support::TempDir;

TEST(BatchScriptFileStore, HostileNamesLeaveOtherSectionsAlone) {
  TempDir dir;
  const std::string file = (dir / "pictoravell.conf").string();
  {
    auto previous = InstallProfileStore(MakeFileConfigProfileStore(file));
    WriteProfileInt("General", "Usage", 7);
    WriteProfileString("Favorite Folder List", "Folder0", "/home/u/Pictures");
    CBatchScript kept;
    kept.m_strName = "Kept";
    kept.m_nScale = 50;
    ASSERT_TRUE(kept.Save());
    for (const char* name : {"", "..", "a/../General", "/", "../General", "a\\..\\..\\General", ".."}) {
      CBatchScript s;
      s.m_strName = name;
      s.m_nScale = 1;
      EXPECT_FALSE(s.Save()) << name;
      EXPECT_FALSE(DeleteBatchScript(name)) << name;
    }
    Profile().Flush();
    InstallProfileStore(std::move(previous));
  }
  // A fresh store over the same file sees everything as it was.
  auto previous = InstallProfileStore(MakeFileConfigProfileStore(file));
  EXPECT_EQ(GetProfileInt("General", "Usage", 0), 7);
  EXPECT_EQ(GetProfileInt("General", "Scale", -1), -1);
  EXPECT_EQ(GetProfileString("Favorite Folder List", "Folder0", ""), "/home/u/Pictures");
  EXPECT_EQ(ListBatchScripts(), std::vector<std::string>{"Kept"});
  CBatchScript loaded;
  ASSERT_TRUE(loaded.Load("Kept"));
  EXPECT_EQ(loaded.m_nScale, 50);
  InstallProfileStore(std::move(previous));
}

TEST(BatchScriptFileStore, ScriptsListedWithoutRegardToCase) {
  TempDir dir;
  auto previous = InstallProfileStore(MakeFileConfigProfileStore((dir / "p.conf").string()));
  for (const char* name : {"web", "Archive", "Thumbs", "big pictures"}) {
    CBatchScript s;
    s.m_strName = name;
    ASSERT_TRUE(s.Save());
  }
  EXPECT_EQ(ListBatchScripts(), (std::vector<std::string>{"Archive", "big pictures", "Thumbs", "web"}));
  EXPECT_TRUE(DeleteBatchScript("Thumbs"));
  EXPECT_EQ(ListBatchScripts(), (std::vector<std::string>{"Archive", "big pictures", "web"}));
  InstallProfileStore(std::move(previous));
}

}  // namespace
