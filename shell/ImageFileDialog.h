#pragma once
// The image file dialog: every open and save dialog for image files goes
// through CImageFileDialog and RunImageFileDialog.
//
// The dialog lists the program's formats (patterns matched without regard to
// case), remembers the last folder of open and of save dialogs separately
// under "File Dialog" ("Open Path", "Save Path") and the last filter of each
// while the program runs, and in a save dialog gives a name typed without a
// known extension the extension of the chosen format. The question whether
// to replace an existing file is asked about that final name.
//
// Filter indexes here are 1-based as listed: the save filters are
// 1 BMP, 2 GIF, 3 PCX, 4 PICT, 5 TIFF, 6 JPEG, 7 PNG, 8 TGA; the open
// filters put "All Supported Files" first and "All Files (*.*)" last.

#include <functional>
#include <string>
#include <vector>

class wxFileDialog;
class wxWindow;

// The open dialog's and the save dialog's filter lists in the toolkit's form.
std::string BuildOpenFilter();
std::string BuildSaveFilter();
// "*.[bB][mM][pP]": a pattern for an extension that ignores case.
std::string CaseBlindPattern(const std::string& extension);
// The IMAGE_FORMAT of a save filter index (0 for indexes outside 1..8).
int SaveFilterFormat(int filterIndex);
// The save filter index of an IMAGE_FORMAT (0 when it has none).
int SaveFilterIndexOfFormat(int format);
// The path a save dialog answers: folder + '/' + name; a name without a
// recognised image extension gets the extension of the filter's format, or
// of `format` when the filter names none; when that is 0 too, nothing.
std::string ResultPathFor(const std::string& folder, const std::string& name, int filterIndex, int format);

class CImageFileDialog {
 public:
  // open: an open dialog (else save); format: the IMAGE_FORMAT preset of a
  // save dialog (0 none); fileName: the initial name; multiSelect: several
  // files at once (open dialogs).
  CImageFileDialog(bool open, const std::string& title, int format, const std::string& fileName, bool multiSelect,
                   wxWindow* parent);

  // Replaces the remembered initial folder.
  void SetInitialFolder(const std::string& folder) { m_strFolder = folder; }
  // Adds the "Capture Speed:" list of the multiburst import dialog, showing
  // *index (0..2) and taking the choice back into it on OK.
  // The list keeps the filter index it had for other open dialogs.
  void SetCaptureSpeedChoice(int* index) { m_pSpeedIndex = index; }
  void SetFilterIndex(int index) { m_nFilterIndex = index; }
  // Runs the dialog: wxID_OK when a choice was made. On OK the folder is
  // stored as "Open Path" or "Save Path"; in every case the filter index is
  // remembered for the next dialog of the same kind.
  int DoModal();
  // Open: every file chosen, as full paths, in order. Save: the one path,
  // with the extension added as ResultPathFor says.
  std::vector<std::string> GetResultPaths() const;

  bool IsOpen() const { return m_bOpen; }
  const std::string& GetTitle() const { return m_strTitle; }
  int GetFormat() const { return m_nFormat; }
  const std::string& GetFolder() const { return m_strFolder; }
  const std::string& GetFileName() const { return m_strFileName; }
  int GetFilterIndex() const { return m_nFilterIndex; }

  // The remembered filter indexes (1 at start, not stored).
  static int GetRememberedOpenIndex();
  static int GetRememberedSaveIndex();
  static void ResetRememberedIndexes();

 private:
  bool m_bOpen;
  std::string m_strTitle;
  int m_nFormat;
  std::string m_strFileName;  // the initial name, then the name chosen (save)
  bool m_bMultiSelect;
  wxWindow* m_pParent;
  std::string m_strFolder;           // the initial folder, then the chosen one
  std::vector<std::string> m_paths;  // open: the files chosen
  int m_nFilterIndex;
  int* m_pSpeedIndex = nullptr;
};

// Runs an image file dialog and fills `paths` (open: each file chosen; save:
// the final path). startFolder, when not empty, replaces the remembered
// folder. A save dialog asks before an existing file is replaced and shows
// itself again on No. False when cancelled.
bool RunImageFileDialog(std::vector<std::string>& paths, bool open, const std::string& startFolder, int format,
                        const std::string& title, bool multiSelect, const std::string& fileName = "untitled");

// The capture speeds of a multiburst image: the frame rate times 100 of each
// entry of the import dialog's list ("7.5 fps", "15 fps", "30 fps").
inline constexpr int kMultiburstFrameRates[] = {750, 1500, 3000};

// The multiburst import dialog: an open chooser titled "Import Multiburst
// Image" with the capture-speed list, which starts at the stored choice
// ("Import\Multiburst"/"FPS", clamped to 0..2) and stores the new one on OK.
// Gives the chosen file and its frame rate times 100; false when cancelled.
bool RunMultiburstFileDialog(std::string& path, int& rate);

// A save dialog for a file outside the format table (an MNG animation): one
// filter ("label|*.ext", the pattern case-blind), the folder remembered as
// "File Dialog"/"Save Path", the extension added to a name without it, and
// the replace question about the final name (No shows the dialog again).
// False when cancelled.
bool RunSaveFileDialog(std::string& path, const std::string& title, const std::string& filterLabel,
                       const std::string& extension, const std::string& fileName = "untitled");
