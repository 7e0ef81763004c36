// The document's Play commands: Full Screen hands the frames to the
// full-screen player the application installed; stepping through the
// frames; the playing views' busy marks; Change Frame Properties.

#include "editor/AnimationPropertiesDialog.h"
#include "editor/DocumentInternals.h"
#include "editor/PictoravellDoc.h"
#include "editor/PictoravellView.h"

namespace {

FullScreenPlayer g_fullScreenPlayer;

}  // namespace

FullScreenPlayer SetFullScreenPlayer(FullScreenPlayer player) {
  std::swap(g_fullScreenPlayer, player);
  return player;
}

bool CPictoravellDoc::CanPlayFullScreen() const { return CanPlayFrames() && g_fullScreenPlayer != nullptr; }

void CPictoravellDoc::OnFullScreen() {
  if (m_frames.empty() || !g_fullScreenPlayer) return;
  // The player plays copies that share the pixels; the frames stay ours.
  g_fullScreenPlayer(m_frames.data(), static_cast<int>(m_frames.size()), m_nCanvasWidth, m_nCanvasHeight,
                     m_nLoopCount);
}

void CPictoravellDoc::SetPlaying(bool start) {
  if (start) {
    if (m_nPlaying == 0)
      for (CAnimFrame& frame : m_frames) frame.m_bBusy = 1;
    ++m_nPlaying;
    return;
  }
  if (m_nPlaying <= 0) return;
  if (--m_nPlaying == 0)
    for (CAnimFrame& frame : m_frames) frame.m_bBusy = 0;
}

void CPictoravellDoc::StopPlayingViews() {
  if (m_nPlaying == 0) return;
  for (wxView* view : GetViewsVector())
    if (auto* image = dynamic_cast<CPictoravellView*>(view)) image->StopAnimation();
}

// --- frame properties ----------------------------------------------------------------

bool CPictoravellDoc::CanEditFrameProperties() const { return GetFrameCount() > 1 && GetSelectedFrameCount() > 0; }

void CPictoravellDoc::EditFrameProperties() {
  if (!CanEditFrameProperties()) return;
  ANIMATION_PROPERTY_VALUES values;
  if (!RunAnimationPropertiesDialog(doc_detail::DialogParent(), values) || values.flags == 0) return;
  // One step "Change Animation Properties" over every selected frame.
  ChangeAnimationProperties(values.flags, 0, values.delay, values.packed);
}
