#pragma once
// The application base that owns the single-instance channel. main() opens
// the channel before the toolkit starts (a later instance forwards its
// command line and ends without opening a display) and hands it over here;
// the first instance publishes its main window at the end of its start-up
// and from then on answers forwarded command lines from its event loop.

#include <wx/app.h>
#include <wx/timer.h>

#include <memory>
#include <string>

class CInstanceChannel;

class CSingleInstanceApp : public wxApp {
 public:
  CSingleInstanceApp();
  ~CSingleInstanceApp() override;

  // Given by main() before the application starts; null runs without a channel.
  static void SetChannel(std::unique_ptr<CInstanceChannel> channel);
  // True without a channel (the program then runs on its own).
  bool IsFirstInstance() const;
  // Marks the main window present and the instance ready; starts answering.
  void PublishInstanceWindow();
  // Takes the main window out of the channel (the frame is being destroyed).
  void ClearInstanceWindow();

  // A command line forwarded by a later instance; the default does nothing.
  virtual void OnInstanceCommandLine(const std::string& commandLine) {}

  int OnExit() override;

 private:
  void OnInstanceTimer(wxTimerEvent& event);
  wxTimer m_instanceTimer;
};
