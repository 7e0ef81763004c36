#include "platform/DesktopWallpaper.h"

#include <gio/gio.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "base/MessageReport.h"

namespace {

constexpr const char* kSchema = "org.gnome.desktop.background";

std::string GetUserName() {
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name && *pw->pw_name) return pw->pw_name;
  if (const char* user = std::getenv("USER"); user && *user) return user;
  return "user";
}

GSettingsSchema* LookUpSchema() {
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  if (!source) return nullptr;
  return g_settings_schema_source_lookup(source, kSchema, TRUE);
}

}  // namespace

std::string GetWallpaperFilePath() {
  std::string data;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
    data = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || *home != '/') return std::string();
    data = std::string(home) + "/.local/share";
  }
  if (data.back() != '/') data += '/';
  const std::string folder = data + "pictoravell";
  if (g_mkdir_with_parents(folder.c_str(), 0700) != 0) return std::string();
  // A user name never leaves the folder.
  std::string user = GetUserName();
  for (char& c : user)
    if (c == '/') c = '_';
  return folder + "/PtWallpaper_" + user + ".bmp";
}

bool HasDesktopBackgroundSettings() {
  GSettingsSchema* schema = LookUpSchema();
  if (!schema) return false;
  const bool ok = g_settings_schema_has_key(schema, "picture-uri") && g_settings_schema_has_key(schema, "picture-options");
  g_settings_schema_unref(schema);
  return ok;
}

bool SetDesktopBackground(const std::string& path, bool tiled) {
  GSettingsSchema* schema = LookUpSchema();
  if (!schema || !g_settings_schema_has_key(schema, "picture-uri") ||
      !g_settings_schema_has_key(schema, "picture-options")) {
    if (schema) g_settings_schema_unref(schema);
    ReportMessage(MESSAGE_ERROR,
                  "The desktop background cannot be set: this desktop has no " + std::string(kSchema) + " settings.");
    return false;
  }
  const bool hasDark = g_settings_schema_has_key(schema, "picture-uri-dark");
  g_settings_schema_unref(schema);
  gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
  if (!uri) {
    ReportMessage(MESSAGE_ERROR, "The desktop background cannot be set to " + path + ".");
    return false;
  }
  GSettings* settings = g_settings_new(kSchema);
  bool ok = g_settings_set_string(settings, "picture-options", tiled ? "wallpaper" : "centered");
  // A desktop may ignore a value that did not change: clear it first.
  g_settings_reset(settings, "picture-uri");
  ok = g_settings_set_string(settings, "picture-uri", uri) && ok;
  if (hasDark) {
    g_settings_reset(settings, "picture-uri-dark");
    ok = g_settings_set_string(settings, "picture-uri-dark", uri) && ok;
  }
  g_settings_sync();
  g_object_unref(settings);
  g_free(uri);
  if (!ok) ReportMessage(MESSAGE_ERROR, "The desktop background cannot be set to " + path + ".");
  return ok;
}
