// The document's Play commands: Full Screen hands the frames to the
// full-screen player the application installed.

#include "editor/PictoravellDoc.h"

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
