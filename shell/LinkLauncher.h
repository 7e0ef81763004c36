#pragma once
// Opens a web address in the desktop's default browser. The address goes to
// the browser as one argument (wxLaunchDefaultBrowser), never through a
// shell, so nothing in it is interpreted. Tests replace the browser with a
// function.

#include <functional>
#include <string>

// True when the browser was started.
bool OpenLinkInBrowser(const std::string& url);

using LinkLauncherFunction = std::function<bool(const std::string&)>;
class CLinkLauncherOverride {
 public:
  explicit CLinkLauncherOverride(LinkLauncherFunction launcher);
  ~CLinkLauncherOverride();
  CLinkLauncherOverride(const CLinkLauncherOverride&) = delete;
  CLinkLauncherOverride& operator=(const CLinkLauncherOverride&) = delete;

 private:
  LinkLauncherFunction m_previous;
};
