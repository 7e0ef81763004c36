#pragma once
// CCropRectCtrl: the picture of the "Crop Special" dialog. It shows the
// image scaled into the control with the area outside the crop rectangle
// darkened and eight handles (black outline, white inside) at the corners and
// edge middles. A press on a handle drags it, a press inside the rectangle
// moves the whole rectangle; the cursor shows which. A label, when given,
// shows the chosen size in image pixels ("Width: %d  Height: %d").
//
// The arithmetic is CCropRect (editor/model/CropRect.h); the control keeps
// the drag state and draws.

#include <wx/stattext.h>

#include "editor/model/CropRect.h"
#include "imaging/RasterImage.h"
#include "shell/PaintedWindow.h"

// The cursor over a part of the control (CROP_DRAG_MODE): the size arrows
// of a handle's direction, the four-way arrows inside, the arrow elsewhere.
wxStockCursor CropCursorFor(int mode);

class CCropRectCtrl : public CPaintedWindow {
 public:
  // The image is shown, not owned: it must outlive the control.
  CCropRectCtrl(wxWindow* parent, wxWindowID id, const CRasterImage& image, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize);

  // The label that shows the size text (null for none); writes the text.
  void SetLabel(wxStaticText* label);
  // The constraint as a ratio of pixels (width / height); 0 or less: none.
  void SetAspect(double ratio);
  // The rectangle in image pixels (right and bottom exclusive).
  Rect GetPixelRect() const { return m_rect.GetPixelRect(); }

  const CCropRect& GetCropRect() const { return m_rect; }
  CCropRect& GetCropRect() { return m_rect; }
  // Where the image is drawn in the client area.
  Rect GetImageRect() const;
  // The drag under way (CROP_DRAG_MODE).
  int GetDragMode() const { return m_mode; }
  // The part whose cursor is shown (-1 before the pointer came).
  int GetCursorMode() const { return m_cursorMode; }

  // The mouse, as the window's events give it (client coordinates).
  void MouseDown(const wxPoint& point);
  void MouseMove(const wxPoint& point);
  void MouseUp();

  void Render(wxDC& dc) override;
  wxColour GetPaintBackground() const override;

 private:
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);
  void UpdateCursor(int mode);
  void WriteSizeText();
  void Changed();

  const CRasterImage& m_image;
  CCropRect m_rect;
  wxStaticText* m_label = nullptr;
  int m_mode = CROP_DRAG_NONE;
  int m_cursorMode = -1;
  wxPoint m_last;
};
