#pragma once
// The full-screen window of the slide show and of the animation player.
//
// The window is thin: what is shown when, the timers' meaning, the fade's busy
// phase and the deferred close live in CSlideShowModel (output/core); the
// pictures are composed and blended there too. The window runs the one-shot
// timer, paints the composed picture centred on black, puts the fade's frames
// on the screen and ends its modal loop when the model closes it.

#include <wx/bitmap.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/AnimFrame.h"
#include "output/core/FramePlayer.h"
#include "output/core/SlideReadAhead.h"
#include "output/core/SlideShowModel.h"

class wxGUIEventLoop;

class CSlideShowWnd : public wxFrame, public ISlideShowHost, public CProgressSink, public IPlayerScreen {
 public:
  // A window over the whole screen, above every other window.
  CSlideShowWnd();
  ~CSlideShowWnd() override;

  // A slide show: the files in this order.
  void SetFileList(const std::vector<SLIDE_SHOW_ITEM>& items);
  void SetInterval(int seconds) { m_model.SetInterval(seconds); }
  void SetTransition(bool transition) { m_model.SetTransition(transition); }
  void NextSlide() { m_model.NextSlide(); }
  // The animation player: frames on their canvas (copies sharing the pixels).
  void SetFrames(std::vector<CAnimFrame> frames, int32_t width, int32_t height, uint16_t loopCount);

  // Runs the window's modal loop until the window is closed.
  void RunModalLoop();
  // The model closed the window (it is hidden; the caller deletes it).
  bool IsGone() const { return m_bGone; }

  CSlideShowModel& GetModel() { return m_model; }
  bool IsTimerRunning() const { return m_timer.IsRunning(); }
  // Called with the frame each time the shown picture changes (tests
  // record the timing here).
  void SetPictureObserver(std::function<void(int frame)> observer) { m_observer = std::move(observer); }
  // How often a composed picture has been painted (tests wait for it).
  int GetPicturePaintCount() const { return m_nPicturePaints; }
  CSlideReadAhead* GetReadAhead() { return m_readAhead.get(); }
  // How the last fade went.
  const PLAYER_STATS& GetLastFadeStats() const { return m_fadeStats; }
  // Time from a slide timer firing to the first frame of the new picture on
  // the screen, the last time a picture changed (milliseconds).
  int64_t GetLastChangeGapMs() const { return m_nLastGapMs; }

  // ISlideShowHost
  void StartTimer(int id, int milliseconds) override;
  void StopTimer() override;
  void GetClientSize(int32_t* width, int32_t* height) override;
  void Invalidate(bool erase) override;
  bool PlayFade(const FADE_PAIR& pair) override;
  void DestroyWindow() override;
  void Report(int level, const std::string& text) override;
  // CProgressSink
  void BeginBusy(int) override {}
  void EndBusy() override {}
  bool PumpMessages() override;
  // IPlayerScreen
  bool DrawFrame(const CPlayerFrame& frame) override;

 private:
  void OnPaint(wxPaintEvent& event);
  void OnTimer(wxTimerEvent& event);
  void OnKeyOrClick(wxEvent& event);
  void DrawPicture(wxDC& dc);

  CSlideShowModel m_model;
  std::unique_ptr<CSlideReadAhead> m_readAhead;
  wxWindow* m_canvas = nullptr;
  wxTimer m_timer;
  int m_nTimerId = 0;
  int32_t m_nClientWidth, m_nClientHeight;
  bool m_bGone = false;
  bool m_bActivated = false;
  int m_nPicturePaints = 0;
  std::function<void(int)> m_observer;
  wxGUIEventLoop* m_pLoop = nullptr;
  // The fade frame on the screen while a fade plays.
  wxBitmap m_fadeBitmap;
  bool m_bFading = false;
  PLAYER_STATS m_fadeStats;
  int64_t m_nTimerFiredMs = -1;
  int64_t m_nLastGapMs = -1;
};

// The window of the running show or player, null when none runs.
extern CSlideShowWnd* g_pSlideShowWnd;

// Shows the files one after another, `seconds` apart (below 0 counts as 0),
// cross-fading between them when `transition` is set, until a key or click;
// then the window that was active before gets the focus back. Nothing for an
// empty list. The browser hands its selection here in list order.
void RunSlideShow(const std::vector<std::string>& paths, int seconds, bool transition);
// The same for files the browser turned (each item with its rotation).
void RunSlideShow(const std::vector<SLIDE_SHOW_ITEM>& items, int seconds, bool transition);

// Plays the frames of one animation on its canvas full screen with their
// delays and disposal, loopCount + 1 times (kLoopForever: until stopped), the
// last frame then staying, until a key or click. The frames stay the
// caller's.
void PlayAnimationFullScreen(const CAnimFrame* frames, int count, int width, int height,
                             uint16_t loopCount = kLoopForever);

// Called with the window once it shows, before its modal loop runs (tests
// drive the show from here). Returns the previous hook.
using SlideShowStartHook = std::function<void(CSlideShowWnd*)>;
SlideShowStartHook SetSlideShowStartHook(SlideShowStartHook hook);
