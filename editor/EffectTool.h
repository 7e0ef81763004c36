#pragma once
// The effect session: an effect edits the current frame of a document with a
// live preview, through two objects.
//
// CEffectTool holds an untouched copy of the image being edited (the frame's
// image, or its floating selection) and, from its parameters, rebuilds the
// live image inside the frame from that copy on every change, so the views
// show the result at once. Commit keeps the result as one undo step named
// after the tool; Cancel puts the untouched copy back.
//
// CEffectDialog is the tool's panel on the Effect page: it owns the tool,
// edits the tool's parameters with its controls and asks for a preview after
// each change. Previews are coalesced: however many changes a slider drag
// sends, at most one preview is pending, and it is computed from the latest
// values once the queued events are through. OK (or Enter, except in a
// multi-line text box) keeps the result, Cancel (or Escape) drops it; both
// end effect mode, which destroys the panel and the tool with it.
//
// StartEffect is the one way an effect command starts an effect.

#include <wx/panel.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "editor/model/ImageDocModel.h"
#include "imaging/RasterImage.h"

class CImageDocument;
class wxBoxSizer;
class wxSlider;
class wxStaticText;

class CEffectTool {
 public:
  // useSelection: edit the floating selection when there is one, else the
  // image; without it the tool draws a new floating selection from the image.
  CEffectTool(CEditHost* host, bool useSelection);
  virtual ~CEffectTool() = default;
  CEffectTool(const CEffectTool&) = delete;
  CEffectTool& operator=(const CEffectTool&) = delete;

  // The name is the undo label and the Effect page's caption.
  virtual std::string GetName() const = 0;
  // Rebuilds the live image from the copy and the parameters, then
  // repaints the views.
  virtual void UpdatePreview() = 0;
  // Makes the current result the base of further previews (Remove Red Eye).
  virtual void Apply() {}
  // Whether the user may drag the floating selection the tool draws (Add
  // Text) while the effect runs.
  virtual bool MovesFloatingSelection() const { return false; }
  virtual void Commit();
  virtual void Cancel();

  // live = copy mapped through the table: every byte of a 24-bit or gray
  // image, only the palette of an indexed one; the mask is kept.
  void ApplyLookupTable(const uint8_t table[256]);

  const CRasterImage& GetCopy() const { return m_copy; }
  CRasterImage* GetLive() const { return m_pLive; }
  CEditHost* GetHost() const { return m_pHost; }
  // How many previews were computed (tests).
  int GetPreviewCount() const { return m_nPreviews; }

  // Screen-resolution previews: while the controls move, a tool that can
  // (ComputeEffect answers) computes the effect only for the part of the
  // frame the view shows, reduced to the view's zoom, and the view draws
  // that instead of the live image, which is left behind (stale) until
  // MakeFull computes it from the copy: on Apply, Commit, or when a view
  // needs a part or a zoom the reduced preview does not hold.
  // The reduced preview for the view's image, or null.
  const CRasterImage* GetReducedPreview(const CRasterImage* image, const Rect& needed, int reduce, Rect* source);
  bool IsLiveStale() const { return m_bLiveStale; }
  void MakeFull();
  // The image the panel's histogram counts: the reduced preview or the live one.
  const CRasterImage* GetShownImage() const { return m_bLiveStale ? &m_reduced : m_pLive; }
  // How many full-resolution previews and reduced ones were computed (tests).
  int GetFullPreviewCount() const { return m_nFullPreviews; }
  int GetReducedPreviewCount() const { return m_nReducedPreviews; }

 protected:
  // The effect of the current parameters on any part of the copy (a crop,
  // reduced `reduce` times): empty when the tool previews at full size only.
  virtual CRasterImage ComputeEffect(const CRasterImage& /*source*/, int /*reduce*/) const { return {}; }
  // Pixels of the copy around the shown part the effect reads (kernels).
  virtual int GetEffectMargin(int /*reduce*/) const { return 0; }
  // Makes a reduced preview for the part the view shows; false when the
  // tool, the view or the size asks for a full one (UpdatePreview then
  // computes the live image as before).
  bool PreviewReduced();

  // Installs an image as the live one (an empty image leaves the copy).
  void SetLive(CRasterImage image);
  void Refresh();

  CEditHost* m_pHost;
  CRasterImage m_copy;
  CRasterImage* m_pLive;
  int m_nPreviews = 0;

 private:
  CRasterImage m_reduced;        // the effect on m_reducedSource (the view's part)
  CRasterImage m_reducedInput;   // the copy's part, reduced (kept while the view stays)
  Rect m_reducedSource{};        // in the live image's pixels
  int m_nReducedZoom = 0;
  bool m_bLiveStale = false;
  bool m_bMakingFull = false;
  void DropReduced();
  int m_nFullPreviews = 0;
  int m_nReducedPreviews = 0;
};

// The view reports the part of an image it shows (in the image's pixels)
// and its reduction (1 at 100 % and above) each time it draws the image
// alone; null when it draws through the compositor.
void NoteViewShows(const CRasterImage* image, const Rect& shown, int reduce);
// The running effect's reduced preview of the image for the needed part at
// this reduction, or null; when the running effect left the image stale and
// cannot serve the part, the image is first computed in full.
const CRasterImage* FindReducedPreview(const CRasterImage* image, const Rect& needed, int reduce, Rect* source);
// Completes a stale live image of the running effect (readers of pixels).
void CompleteLivePreview();

class CEffectDialog : public wxPanel {
 public:
  explicit CEffectDialog(std::unique_ptr<CEffectTool> tool);
  ~CEffectDialog() override;

  // Creates the panel as a child of the page: the controls, then OK and
  // Cancel, loads the settings and shows the first preview.
  bool Create(wxWindow* page);

  CEffectTool* GetTool() const { return m_tool.get(); }
  // Asks for a preview from the current parameters (coalesced).
  void UpdatePreview();
  // Runs a pending preview now.
  void FlushPreview();
  bool IsPreviewPending() const { return m_bPreviewDue; }
  void Apply();
  // Keeps (OK) or drops (Cancel) the effect and ends effect mode; the panel
  // is destroyed before this returns, so nothing may touch it after.
  void Finish(bool keep);

  wxButton* GetOkButton() const { return m_ok; }
  wxButton* GetCancelButton() const { return m_cancel; }

 protected:
  // The panel's own controls, added to the sizer.
  virtual void BuildControls(wxBoxSizer* sizer) = 0;
  // Values from the profile before the controls are built; written on OK only.
  virtual void LoadSettings() {}
  virtual void SaveSettings() {}
  // After the controls exist: false when the first preview waits for a change.
  virtual bool PreviewAtStart() const { return true; }
  // Called after each preview (the histogram of Brightness && Contrast).
  virtual void OnPreviewDone() {}

  // A labelled slider row: the label above, the slider below.
  wxSlider* AddSlider(wxBoxSizer* sizer, wxWindowID id, int value, int minimum, int maximum,
                      wxStaticText** label);

 private:
  void OnButton(wxCommandEvent& event);
  void OnCharHook(wxKeyEvent& event);
  void RunPreview();

  std::unique_ptr<CEffectTool> m_tool;
  wxButton* m_ok = nullptr;
  wxButton* m_cancel = nullptr;
  bool m_bPreviewDue = false;
  bool m_bPreviewQueued = false;
  bool m_bFinishing = false;
};

// Starts an effect on the document's current frame: the pre-edit checks of
// the edit type (they may ask), the tool made by makePanel on the prepared
// frame, effect mode and the panel on the Effect page. False when anything
// refuses; the frame is then as it was.
bool StartEffect(CImageDocument& document, EDIT_TYPE type, const std::string& name,
                 const std::function<CEffectDialog*()>& makePanel);

// The panel of the running effect, or null (tests).
CEffectDialog* GetRunningEffectPanel();
