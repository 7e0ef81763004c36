// The remembered FTP password in the program's settings file: scrambled,
// present only while remembered, and the file readable by its owner alone.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "base/Profile.h"
#include "output/core/WebPublish.h"
#include "shell/FileConfigProfileStore.h"
#include "tests/support/TestSupport.h"

namespace {

using testing_support::TempDir;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(WebPublishSettings, PasswordScrambledAndTheFileOwnerOnly) {
  TempDir dir;
  const std::string file = (dir / "pictoravell.conf").string();
  std::ofstream(file) << "[General]\nUsage=1\n";
  ::chmod(file.c_str(), 0644);
  auto previous = InstallProfileStore(MakeFileConfigProfileStore(file));
  WEB_PUBLISH_OPTIONS o;
  o.strServer = "ftp.example.org";
  o.strPassword = "secret";
  o.bRememberPassword = true;
  o.Write();
  Profile().Flush();
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  std::string text = ReadAll(file);
  EXPECT_NE(text.find("Password=44JDTBTKW5W4"), std::string::npos) << text;
  EXPECT_EQ(text.find("secret"), std::string::npos);
  o.bRememberPassword = false;
  o.Write();
  Profile().Flush();
  text = ReadAll(file);
  EXPECT_EQ(text.find("\nPassword="), std::string::npos) << text;
  EXPECT_NE(text.find("Remember\\ Password=0"), std::string::npos) << text;
  InstallProfileStore(std::move(previous));
}

}  // namespace
