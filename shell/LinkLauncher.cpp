#include "shell/LinkLauncher.h"

#include <wx/utils.h>

namespace {
LinkLauncherFunction g_launcher;
}

bool OpenLinkInBrowser(const std::string& url) {
  if (url.empty()) return false;
  if (g_launcher) return g_launcher(url);
  return wxLaunchDefaultBrowser(wxString::FromUTF8(url));
}

CLinkLauncherOverride::CLinkLauncherOverride(LinkLauncherFunction launcher) : m_previous(std::move(g_launcher)) {
  g_launcher = std::move(launcher);
}

CLinkLauncherOverride::~CLinkLauncherOverride() { g_launcher = std::move(m_previous); }
