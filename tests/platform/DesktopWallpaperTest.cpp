#include <gio/gio.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/DesktopWallpaper.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testing_support::RecordingMessageSink;
using testing_support::TempDir;

std::string ReadKey(const char* key) {
  GSettings* settings = g_settings_new("org.gnome.desktop.background");
  gchar* value = g_settings_get_string(settings, key);
  std::string text = value ? value : "";
  g_free(value);
  g_object_unref(settings);
  return text;
}

// GLib reads its environment once per process; ctest runs each test alone.
TEST(DesktopWallpaper, FilePathIsInTheUsersDataFolder) {
  TempDir dir;
  setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  const std::string path = GetWallpaperFilePath();
  EXPECT_EQ(path.rfind((dir / "data/pictoravell/PtWallpaper_").string(), 0), 0u) << path;
  EXPECT_EQ(path.substr(path.size() - 4), ".bmp");
  EXPECT_TRUE(fs::is_directory(dir / "data/pictoravell"));
}

TEST(DesktopWallpaper, SetsPictureAndPlacementThroughGSettings) {
  setenv("GSETTINGS_BACKEND", "memory", 1);
  if (!HasDesktopBackgroundSettings()) GTEST_SKIP() << "org.gnome.desktop.background is not installed";
  RecordingMessageSink sink;
  ASSERT_TRUE(SetDesktopBackground("/tmp/walls/PtWallpaper_me.bmp", true));
  EXPECT_EQ(ReadKey("picture-uri"), "file:///tmp/walls/PtWallpaper_me.bmp");
  EXPECT_EQ(ReadKey("picture-options"), "wallpaper");
  ASSERT_TRUE(SetDesktopBackground("/tmp/walls/a b.bmp", false));
  EXPECT_EQ(ReadKey("picture-uri"), "file:///tmp/walls/a%20b.bmp");
  EXPECT_EQ(ReadKey("picture-options"), "centered");
  GSettingsSchema* schema =
      g_settings_schema_source_lookup(g_settings_schema_source_get_default(), "org.gnome.desktop.background", TRUE);
  if (g_settings_schema_has_key(schema, "picture-uri-dark")) {
    EXPECT_EQ(ReadKey("picture-uri-dark"), "file:///tmp/walls/a%20b.bmp");
  }
  g_settings_schema_unref(schema);
  EXPECT_TRUE(sink.messages.empty());
}

TEST(DesktopWallpaper, WithoutTheSchemaAnswersFalseWithAMessage) {
  TempDir dir;
  fs::create_directories(dir / "schemas");
  setenv("GSETTINGS_BACKEND", "memory", 1);
  setenv("GSETTINGS_SCHEMA_DIR", (dir / "schemas").c_str(), 1);
  setenv("XDG_DATA_DIRS", (dir / "none").c_str(), 1);
  setenv("XDG_DATA_HOME", (dir / "none2").c_str(), 1);
  RecordingMessageSink sink;
  EXPECT_FALSE(HasDesktopBackgroundSettings());
  EXPECT_FALSE(SetDesktopBackground("/tmp/w.bmp", false));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_NE(sink.messages[0].second.find("desktop background cannot be set"), std::string::npos);
}

}  // namespace
