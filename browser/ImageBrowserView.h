#pragma once
// CImageBrowserView: the thumbnail view of browse mode. Shows the image
// files of one folder (optionally with its subfolders) or of the camera
// cards as a grid of shadowed thumbnails with captions; reloads through the
// thumbnail cache on timers, makes missing thumbnails while staying
// responsive, reloads when the folder changes on disk, and lets the user
// select, hover-zoom, drag to reorder, copy, cut and paste files.
//
// The grid arithmetic is CBrowserLayout and the cell pixels are
// BrowserCellPainter (both window-free); the folder work is the browser
// core's CFolderScanner and CFolderWatcher.

#include <wx/bitmap.h>
#include <wx/dnd.h>
#include <wx/region.h>
#include <wx/scrolwin.h>
#include <wx/timer.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "browser/BrowserCellPainter.h"
#include "browser/BrowserLayout.h"
#include "browser/core/BrowseModeSettings.h"
#include "browser/core/BrowserItemList.h"
#include "browser/core/FolderScanner.h"
#include "platform/FolderWatcher.h"
#include "shell/StandInViews.h"

class CImageBrowserView : public wxScrolledCanvas, public IBrowseContent {
 public:
  enum TIMER_ID {
    TIMER_RELOAD = 1001,
    TIMER_STOP = 1002,
    TIMER_CAMERA_SCAN = 1003,
    TIMER_HOVER_ZOOM = 1004,
    TIMER_CHANGE_POLL = 1005,
    TIMER_MARKER = 1006,
  };

  // Reads "Browse Mode"; starts nothing until Reload.
  CImageBrowserView(wxWindow* parent, const std::string& cacheRoot = GetDefaultCacheRoot());
  // Writes "Browse Mode".
  ~CImageBrowserView() override;

  // --- folder, reload, stop ---
  void SetBrowseFolder(const std::string& folder);
  const std::string& GetBrowseFolder() const { return m_settings.strBrowseFolder; }
  // Purges the folder's cache when asked, then reloads 200 ms later (the
  // newest request wins; a running reload is stopped first).
  void Reload(bool purge);
  void RequestStop();
  bool IsBusy() const { return m_bBusy; }
  // Reloads and camera scans finished so far.
  int GetReloadCount() const { return m_nReloads; }
  bool IsStopRequested() const { return m_bStop; }
  // Starts (1000 ms) or stops the change poll.
  void PollChanges(bool poll);
  bool IsPolling() const { return m_timers[TIMER_CHANGE_POLL - TIMER_RELOAD]->IsRunning(); }
  // Stops the animations and the poll while the view is not shown (a timer
  // outlives a hidden window), and starts the poll again when shown.
  void PauseTimers();
  void ResumeTimers();
  // Camera mode over the given card roots (folders holding DCIM).
  void BrowseCameras(const std::vector<std::string>& roots);
  bool IsCameraMode() const { return m_settings.bCameraMode; }

  // --- the browse page (IBrowseContent) ---
  wxWindow* GetContentWindow() override { return this; }
  // The first entry loads the folder; later entries keep what is shown.
  void OnEnterBrowse() override;
  void OnLeaveBrowse() override { PauseTimers(); }
  void BrowseFolder(const std::string& folder) override;

  // --- list commands ---
  void ClearItems();
  void SortItems(int key);
  void ReverseOrder();
  void RotateSelected(int angle);
  void ApplyThumbnailSize();
  void SetThumbnailSize(int index);
  int GetThumbnailSizeIndex() const { return m_settings.nThumbSizeIndex; }
  void SetShowNames(bool show);
  void SetRecursive(bool recursive);

  // --- layout ---
  void RecalcLayout(bool repaint);
  const CBrowserLayout& GetLayout() const { return m_layout; }
  // Client point to the item whose thumbnail holds it, or -1.
  int HitTest(const wxPoint& client) const;
  int InsertIndexAt(const wxPoint& client) const;
  // A cell in client coordinates.
  wxRect GetCellClientRect(int index) const;
  wxRect GetThumbnailClientRect(int index) const;
  void InvalidateItem(int index, bool erase = false);
  bool EnsureVisible(int index, bool repaint);

  // --- selection ---
  bool SelectNone();
  bool SelectAll();
  bool InvertSelection();
  void SelectOnly(int index);
  int GetAnchor() const { return m_nAnchor; }

  // --- hover zoom, drag and drop, clipboard ---
  void EnableHoverZoom(bool enable);
  bool IsHoverZoomOn() const { return m_bHoverZoom; }
  void StartDrag();
  wxDragResult OnDragEnter(const wxPoint& client);
  wxDragResult OnDragOver(const wxPoint& client);
  void OnDragLeave();
  bool OnDrop(const wxPoint& client);
  int GetInsertIndex() const { return m_nInsertIndex; }
  const std::vector<int>& GetMarkerLevels() const { return m_markerLevels; }
  // One step of the insertion-marker fade (timer 1006); true while a level
  // is still moving.
  bool StepMarker();
  void OnEditCopy();
  void OnEditCut();
  void OnEditPaste();
  bool CanCopy() const { return m_items.GetSelectedCount() > 0; }
  bool CanPaste() const;
  // Another clipboard owner took over: the cut marks go.
  void OnClipboardLost(unsigned serial);
  const std::vector<std::string>& GetCutFiles() const { return m_cutFiles; }

  // --- drawing ---
  // Composes the cell of an item into the buffer at (0, 0) with its caption,
  // as the screen gets it.
  wxBitmap RenderCell(int index);
  // The caption of an item as drawn: its name, ending in an ellipsis when it
  // does not fit the cell's width.
  wxString GetCaptionText(int index);
  // Paints the view area (in view coordinates) onto a DC whose origin is the
  // view's top-left corner on the screen.
  void PaintArea(wxDC& dc, const wxRect& area);
  int GetCaptionHeight() const { return m_nCaptionHeight; }
  // Paint events handled so far (tests, benchmarks).
  int GetPaintCount() const { return m_nPaints; }
  // The client-area pixels of the last paint's composing: what the window
  // shows (tests, benchmarks). Invalid before the first paint.
  const wxBitmap& GetScreenBuffer() const { return m_screen; }
  // Invalidates a part of the window (client coordinates) or all of it; the
  // next paint composes that part again. Everything that changes what the
  // view shows goes through here (RefreshRect too).
  void Refresh(bool eraseBackground = true, const wxRect* rect = nullptr) override;

  const BROWSE_MODE_SETTINGS& GetSettings() const { return m_settings; }
  CBrowserItemList& GetItems() { return m_items; }
  const CBrowserItemList& GetItems() const { return m_items; }
  CFolderScanner& GetScanner() { return *m_scanner; }

  // Overridden by the organise view.
  virtual void OpenItem(int index) {}
  virtual void OnSelectionChanged(int count, int selected) {}
  virtual void SetTitle(const std::string& text) {}

  // Replaces the system drag loop (tests): called with the dragged files
  // while the view is its own drop target.
  using DRAG_RUNNER = std::function<void(CImageBrowserView&, const std::vector<std::string>&)>;
  static void SetDragRunner(DRAG_RUNNER runner);

  // The stop flag as CheckBrowserStop sees it.
  void SetStopFlag() { m_bStop = true; }

 private:
  void OnPaint(wxPaintEvent& event);
  void OnSize(wxSizeEvent& event);
  void OnTimer(wxTimerEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnLeftDouble(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnLeave(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);
  void OnReloadTick();
  void OnCameraScanTick();
  void OnZoomTick();
  void OnPollTick();
  void SetHoverTarget(int index);
  void ReopenWatcher();
  void ThumbnailMade(int index);
  void ReportSelection();
  void EndMarker();
  // Brings the screen buffer up to date for the client size and scroll
  // origin: a scroll moves the pixels still shown and composes only the
  // uncovered strips, and invalidated parts are composed again.
  void UpdateScreenBuffer();
  // The composed cell of an item as the screen shows it, from a small cache
  // of cells drawn before (scrolling then only copies them).
  const wxBitmap& GetCellBitmap(int index);
  void StartTimer(int id, int ms);
  void StopTimer(int id);
  wxPoint ClientToView(const wxPoint& client) const;

  BROWSE_MODE_SETTINGS m_settings;
  std::unique_ptr<CFolderScanner> m_scanner;
  CFolderWatcher m_watcher;
  CBrowserItemList m_items;
  CBrowserLayout m_layout;
  std::vector<std::string> m_cutFiles;
  std::vector<std::string> m_cameraRoots;
  std::vector<int> m_markerLevels;  // one per gap while a drag is over the view
  std::unique_ptr<wxTimer> m_timers[6];
  CELL_BUFFER m_cellBuffer;
  struct CELL_STATE {
    CThumbFrames frames;  // held, so a new thumbnail never takes a freed one's address
    int shownFrame = 0, zoom = 0, selected = 0, cut = 0, before = -1, after = -1, width = 0, height = 0;
    bool names = false;
    bool operator==(const CELL_STATE&) const = default;
  };
  struct CACHED_CELL {
    CELL_STATE state;
    wxBitmap bitmap;
  };
  // At most this many composed cells are kept (a few screens' worth).
  static constexpr size_t kMaxCachedCells = 96;
  std::unordered_map<std::string, CACHED_CELL> m_cellCache;
  wxFont m_fontCaption;
  int m_nCaptionHeight = 0;
  int m_nInsertIndex = -1;
  int m_nAnchor = -1;
  unsigned m_nClipboardSerial = 0;  // of the data this view put there last for Cut
  bool m_bStop = false;
  bool m_bBusy = false;
  bool m_bHoverZoom = true;
  bool m_bDragArmed = false;
  bool m_bPaused = false;
  bool m_bEntered = false;
  bool m_bPurgePending = false;
  int m_nReloads = 0;
  int m_nPaints = 0;
  // The composed client area, as of the scroll origin m_screenOrigin; the
  // parts of the view (view coordinates) invalidated since it was composed.
  wxBitmap m_screen, m_screenSpare;
  wxPoint m_screenOrigin;
  wxRegion m_screenDirty;
  bool m_bScreenAllDirty = true;
};

// The live browser view (set by its constructor), or null.
extern CImageBrowserView* g_pBrowserView;

// The cancel callback of every browser operation: pumps events; Esc, quit or
// a close request set the live view's stop flag. Answers that flag, and
// true without a live view.
bool CheckBrowserStop();
