#pragma once
// CPictoravellView: the view of an image document window. It shows the
// document's current frame on its canvas at one of 31 zoom steps, centred
// while smaller than the window, over the earlier frames their disposal
// keeps, with the floating selection on top; keeps the info bar, rulers and
// the status bar's pixel readout in step with the cursor; shows the file
// comment as a caption under the image; and fills the area around the
// image, its border and shadow from the display options.
//
// The window is a CImageViewWindow (a scrolled window with one-pixel scroll
// units) inside the document's CChildFrame.

#include <wx/docview.h>
#include <wx/scrolwin.h>
#include <wx/stattext.h>
#include <wx/timer.h>

#include <memory>

#include "editor/model/AnimationPlayback.h"
#include "editor/model/ViewGeometry.h"

// Image views show the file comment under the image while non-zero.
extern int g_bDisplayComments;

class CChildFrame;
class CPictoravellDoc;
class CPictoravellView;

class CImageViewWindow : public wxScrolledCanvas {
 public:
  CImageViewWindow(wxWindow* parent, CPictoravellView* view);
  CPictoravellView* GetView() const { return m_view; }
  void DetachView() { m_view = nullptr; }

  // The scroll position in pixels.
  wxPoint GetScrollPixels() const;

 private:
  void OnPaint(wxPaintEvent& event);
  void OnSize(wxSizeEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnLeave(wxMouseEvent& event);
  void OnWheel(wxMouseEvent& event);
  void OnScrollLine(wxScrollWinEvent& event);
  void OnScrollDone(wxScrollWinEvent& event);
  void OnContextMenu(wxContextMenuEvent& event);
  void OnMouseButton(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);
  void OnKey(wxKeyEvent& event);

  CPictoravellView* m_view;
  int m_wheelRotation = 0;  // wheel rotation short of a notch
};

class CPictoravellView : public wxView {
 public:
  CPictoravellView();
  ~CPictoravellView() override;

  bool OnCreate(wxDocument* doc, long flags) override;
  bool OnClose(bool deleteWindow) override;
  void OnDraw(wxDC* dc) override;
  void OnUpdate(wxView* sender, wxObject* hint) override;
  void OnActivateView(bool activate, wxView* activeView, wxView* deactiveView) override;
  // The document's name or modified flag changed: the tab and title follow.
  void OnChangeFilename() override;
  void UpdateWindowTitle();

  CPictoravellDoc* GetImageDocument() const;
  // Called by the child frame as it goes: the view's windows go with it.
  void ForgetWindows();
  CChildFrame* GetChildFrame() const { return m_frame; }
  CImageViewWindow* GetViewWindow() const { return m_window; }

  // --- zoom ---
  int GetZoom() const { return m_nZoom; }
  void SetZoom(int zoom);  // clamped to -16..16, then updated with the erase hint
  void ZoomIn();
  void ZoomOut();
  void OriginalSize();
  // Sets the zoom that fits the canvas into the window (never magnifying);
  // true when it changed.
  bool BestFit();
  bool IsCurrentFrameOnly() const { return m_bCurrentFrameOnly != 0; }
  void SetCurrentFrameOnly(bool only);

  // --- geometry ---
  VIEW_GEOMETRY GetGeometry() const;
  // The displayed canvas in scroll coordinates.
  Rect GetImageRect() const;
  Point ClientToImage(Point window) const;
  Point ImageToClient(Point canvas) const;
  void GetDisplaySize(int& width, int& height) const;
  int GetCaptionHeight() const { return m_nCaptionHeight; }
  wxStaticText* GetCaption() const { return m_caption; }

  void UpdateRulers();
  void UpdateImageInfo();
  void BuildFrameComposite(bool playing);
  const FRAME_COMPOSITE& GetComposite() const { return m_composite; }

  // Draws the part `area` (window coordinates) of the view into dc: the
  // background around the image, border, shadow and the composed image.
  void Render(wxDC& dc, const wxRect& area);
  // The composed colour of a canvas pixel as shown (composite, frame,
  // floating selection); false outside the canvas or without a frame.
  bool GetShownPixel(int x, int y, uint8_t& alpha, uint8_t& red, uint8_t& green, uint8_t& blue);
  // The status bar's pixel readout for a window point.
  void UpdatePixelReadout(const wxPoint& window);

  // --- commands (the view's command table) ---
  // The view's commands share no condition with others.
  bool CommandAllowed(unsigned) const { return true; }
  void OnZoomIn();
  void OnZoomOut();
  void OnOriginalSize();
  void OnBestFit();
  void OnCurrentFrameOnly();
  // Select All, Select None, Inverse Selection and the selection edges.
  void OnSelectAll();
  void OnSelectNone();
  void OnSelectInverse();
  bool CanSelectAll() const;
  bool CanSelectNone() const;
  void OnToggleSelectionEdges();
  void OnUpdateSelectionEdges(wxUpdateUIEvent& event);
  bool AreSelectionEdgesShown() const { return m_bShowSelectionEdges; }
  bool CanZoomIn() const;
  bool CanZoomOut() const;
  bool CanOriginalSize() const;
  bool HasSeveralFrames() const;
  void OnUpdateCurrentFrameOnly(wxUpdateUIEvent& event);

  // --- playback (the frames shown in turn with their delays) ---
  // Starts playing from the current frame (frame 0 when it is the last);
  // every frame of the document is busy until the last playing view stops.
  void PlayAnimation();
  // Stops; the frame shown becomes the document's current frame.
  void StopAnimation();
  bool IsPlaying() const { return m_bPlaying != 0; }
  // The frame shown while playing, else the current frame.
  int GetShownFrameIndex() const;
  // One look of the playback timer (the timer calls it; tests may too).
  void PlaybackTick();
  // The window rectangle a newly shown frame repaints.
  Rect GetPlaybackRect() const;
  // How many frames the playback has shown since it started.
  int GetPlaybackFramesShown() const { return m_nPlayFramesShown; }
  void OnPlay();
  void OnStop();
  bool CanPlay() const;

  // The context menu ("Home Context Menu"); null while an effect tool runs.
  wxMenu* CreateContextMenu() const;

  // Scrolls by whole pixels (window contents follow; the rulers too).
  void ScrollByPixels(int dx, int dy);

  // --- the mouse tools and the selection ---
  // The main frame's current tool (ID_TOOL_...), or -1.
  int GetCurrentTool() const;
  // Tool clicks, drags and the arrow-key nudge, as the window hands them on
  // (window coordinates). True when the event was used.
  bool OnToolButtonDown(const wxPoint& point, bool right, int modifiers);
  void OnToolMotion(const wxPoint& point);
  void OnToolButtonUp(const wxPoint& point);
  void OnToolCaptureLost();
  bool OnToolKeyDown(int key);
  bool OnToolKeyUp(int key);
  bool IsDragging() const { return m_nDrag != DRAG_NONE; }
  bool IsNudging() const { return m_bNudging; }
  // The rectangle tool's live rectangle (canvas coordinates) while dragging.
  Rect GetDragRect() const { return m_rcDrag; }
  // Moves the floating selection as one undo step "Move Selection" (modified).
  void MoveSelection(int dx, int dy);
  // The floating selection's window rectangle; false without one.
  bool GetSelectionRect(Rect& window) const;
  void EnableMarchingAnts(bool on);
  bool AreAntsRunning() const { return m_bAntsRunning; }
  int GetAntsPhase() const { return m_nAntsPhase; }
  int GetAntsInterval() const { return m_nAntsInterval; }
  // One tick of the ants' timer: the next phase, the outline repainted.
  void AntsTick();
  // The zoom tool at a window point (out: one step out, else in), keeping the
  // clicked canvas pixel under the point.
  void ZoomAtPoint(const wxPoint& point, bool out);

  // --- the tool cursor ---
  // Sets the window's cursor for the current tool, the pointer's place and
  // a refused click's blinking (editor/ViewCursors), when it changed.
  void UpdateToolCursor();
  // The cursor number shown (VIEW_CURSOR_...).
  int GetToolCursor() const { return m_nCursor; }
  // Above 0 while a refused click blinks (six ticks of 100 ms).
  int GetBlinkCount() const { return m_nBlinkCount; }
  bool IsBlinking() const { return m_blinkTimer.IsRunning(); }

 private:
  enum DRAG_KIND { DRAG_NONE, DRAG_RECT, DRAG_MOVE_SELECTION, DRAG_MOVE_IMAGE, DRAG_SCROLL };
  void TrackMagicWand(const wxPoint& point, int modifiers);
  void FinishRect();
  void FinishMove();
  void EndDrag();
  // A drag of the floating selection an effect draws, while it runs.
  bool StartEffectSelectionMove(const wxPoint& point);
  void DragTo(const wxPoint& point);
  void AutoScrollTick();
  void AfterSelectionChange();
  // One step of the auto-scroll of a drag past the window's edge.
  void ScrollTowardsPointer();
  // The current frame when a selection command may change it, else null.
  CAnimFrame* SelectableFrame() const;
  void ApplySelectionCommand(const char* label, void (CAnimFrame::*change)());
  void DrawSelectionEdges(wxDC& dc, const Rect& area);
  Point ClampToCanvas(Point p) const;

  DRAG_KIND m_nDrag = DRAG_NONE;
  int m_nDragMode = 0;
  Point m_anchor{0, 0};
  Rect m_rcDrag{};
  Rect m_rcMoveStart{};
  int16_t m_nMoveStartLeft = 0, m_nMoveStartTop = 0;
  wxPoint m_dragStartPoint, m_dragStartScroll;
  int m_nDragDx = 0, m_nDragDy = 0;
  std::unique_ptr<class CFrameBusyGuard> m_busy;
  bool m_bNudging = false;
  Rect m_rcNudgeStart{};
  int m_nAntsPhase = 0;
  bool m_bShowSelectionEdges = true;
  bool m_bAntsRunning = false;
  int m_nAntsInterval = 150;
  wxTimer m_antsTimer;
  wxTimer m_scrollTimer;
  // Timer 2: the blinking of a refused click, one shot rescheduled per tick.
  wxTimer m_blinkTimer;
  int m_nBlinkCount = 0;
  int m_nCursor = -1;
  void BlinkTick();
  // Starts the blinking of a refused click.
  void RefuseClick();
  void ShowCommentCaption();
  void DrawImageLayers(wxDC& dc, const Rect& image, const Rect& clip);
  void FitWhenReady();

  int16_t m_nZoom = 1;
  int32_t m_bCurrentFrameOnly = 0;
  int32_t m_nCaptionHeight = 0;
  int32_t m_bPlaying = 0;
  PLAYBACK_STATE m_play;
  int m_nPlayFramesShown = 0;
  // One-shot: each look schedules the next, so a slow repaint never leaves
  // looks queued behind it.
  wxTimer m_playTimer;
  FRAME_COMPOSITE m_composite;
  bool m_bFitPending = true;
  CChildFrame* m_frame = nullptr;
  CImageViewWindow* m_window = nullptr;
  wxStaticText* m_caption = nullptr;

  friend class CImageViewWindow;
  wxDECLARE_DYNAMIC_CLASS(CPictoravellView);
};

// Band height of the view's drawing, in rows.
constexpr int kViewBandHeight = 128;
