#pragma once
// CPictoravellDoc: the document of the image windows. Adds to CImageDocument
// the file comment, the playback counter, reading an image file, the four
// kinds of new documents, saving and closing, and the document's commands
// (their table and shared checks in editor/DocCommands.cpp, each group's
// handlers in its own file: editor/DocFileCommands.cpp ...).
//
// What the document asks of the user goes through replaceable functions
// (SetDocumentPrompts), so that tests script the dialogs.

#include <functional>
#include <string>
#include <vector>

#include "base/ResultCodes.h"
#include "editor/ImageDocument.h"
#include "editor/NewImageDialog.h"
#include "shell/EditorHost.h"

enum NEW_DOCUMENT_KIND {
  NEWDOC_BLANK = 1,
  NEWDOC_FILE_SEQUENCE = 2,
  NEWDOC_CLIPBOARD = 3,
  NEWDOC_MULTIBURST = 4,
};

// What the next new document is made from; the new-document commands set it
// around the new-file operation.
extern int g_nNewDocumentKind;

// The ways a document asks the user; each member left empty uses the dialog.
struct DOCUMENT_PROMPTS {
  // The New Image dialog: in/out values (editor/NewImageDialog.h).
  std::function<bool(NEW_IMAGE_VALUES&)> newImage;
  // Whether the clipboard holds an image, and the image.
  std::function<bool()> clipboardAvailable;
  std::function<CRasterImage()> clipboardImage;
  // The frames of a file sequence and its loop count.
  std::function<bool(std::vector<CAnimFrame>&, uint16_t&)> fileSequence;
  // The multiburst file and its capture rate (hundredths of frames per second).
  std::function<bool(std::string&, int&)> multiburstFile;
  // A Yes/No question; true for Yes.
  std::function<bool(const std::string&)> askYesNo;
  // The path to save to (Save As, Save a Copy As).
  std::function<bool(std::string&)> savePath;
  // The files to open (File Open), starting in a folder (empty: the last one).
  std::function<bool(const std::string&, std::vector<std::string>&)> openPaths;
  // The palette file the indexed-colour conversion loads: its colour count
  // and entries (room for 256); false when cancelled or unreadable.
  std::function<bool(int*, RGBQUAD*)> loadPalette;
  // Save Color Palette: the entries and their count to write to a file.
  std::function<bool(const RGBQUAD*, int)> savePalette;
  // The MNG file to export to.
  std::function<bool(std::string&)> mngPath;
};
// Installs the prompts (members left empty use the dialogs) and returns the
// previous ones.
DOCUMENT_PROMPTS SetDocumentPrompts(DOCUMENT_PROMPTS prompts);

// Whether the clipboard holds an image (through the prompts when scripted).
bool IsClipboardImageAvailable();

// The full-screen player that the Full Screen command runs: frames, their
// count, the canvas size and the loop count. The application installs the
// output's player (the editor does not reach the output layer); until then
// the command stays disabled. Returns the previous player.
using FullScreenPlayer = std::function<void(const CAnimFrame*, int, int, int, uint16_t)>;
FullScreenPlayer SetFullScreenPlayer(FullScreenPlayer player);

class CPictoravellDoc : public CImageDocument {
 public:
  CPictoravellDoc();
  ~CPictoravellDoc() override;

  // Reads the file into the document; on failure reports it (when the
  // result has a text) and leaves the document as it was.
  bool LoadImageFile(const std::string& path);
  bool OnNewDocument() override;
  bool OnOpenDocument(const wxString& path) override;
  bool OnSaveDocument(const wxString& path) override;
  bool OnCloseDocument() override;
  bool Close() override;
  bool SaveAs() override;
  // Writes the document to the path without making it the document's own
  // (Save a Copy As); the modified flag is left alone.
  bool SaveCopyAs(const std::string& path);

  // Tells the Documents page; it hears of the document once as added and
  // once as removed.
  void NotifyDocumentList(DOCUMENT_CHANGE event);
  // The views were repainted: the task pane hears of a changed document.
  void OnViewsUpdated() override { NotifyDocumentList(DOCUMENT_CHANGED); }
  bool OpenMultiburst();

  const std::string& GetComment() const { return m_strComment; }
  std::string GetPaneComment() const override { return m_strComment; }
  void SetComment(const std::string& comment) { m_strComment = comment; }
  int GetPlayingCount() const { return m_nPlaying; }
  // True when a view already plays the frames or no frame is busy.
  bool CanPlayFrames() const { return m_nPlaying > 0 || !IsAnyFrameBusy(); }

  // The comment with every line end made CR LF.
  static std::string NormalizeLineEnds(const std::string& text);

  // --- commands (the table and the shared check: editor/DocCommands.cpp) ---
  // The one check of what the document's commands share (COMMAND_NEEDS bits).
  bool CommandAllowed(unsigned needs) const;
  // The undo label the command table gives a command.
  static const char* UndoLabel(int id);
  // File (editor/DocFileCommands.cpp)
  void OnFileClose();
  void OnFileSave();
  void OnFileSaveAs();
  void OnFileSaveCopyAs();
  // Edit (editor/DocCommands.cpp)
  void OnEditUndo();
  void OnEditRedo();
  // Copy: the floating selection, else the current frame, onto the clipboard.
  void OnEditComments();
  void OnEditCopy();
  void OnEditCut();
  void OnEditPaste();
  bool CanCopy() const;
  bool CanPasteImage() const;
  void OnUpdateUndoText(wxUpdateUIEvent& event);
  // Image: the current frame's transforms (editor/DocImageCommands.cpp)
  void OnResizeImage();
  void OnCrop();
  void OnCropSpecial();
  void OnCanvasSize();
  void OnFitCanvas();
  void OnFlipHorizontal();
  void OnFlipVertical();
  void OnRotate90();
  void OnRotate180();
  void OnRotate270();
  void OnRotateArbitrary();
  void OnFeather();
  // The floating selection is 24-bit (Feather).
  bool CanFeather() const;
  void OnEditDelete();
  // Fills (editor/DocFillCommands.cpp).
  void OnFillColor();
  void OnFillPattern();
  void OnFillBackground();
  void OnDefinePattern();
  bool CanFillPattern() const;
  // The current frame exists and is not empty.
  bool CanEditFrame() const;
  // The current frame has an image and a floating selection.
  bool CanCrop() const;
  // The current frame has a floating selection.
  bool HasFloatingSelection() const;
  // The frames' box differs from the canvas.
  bool CanFitCanvasToFrames() const;
  // Turns the selection or the image of the current frame by the angle.
  void ApplyRotation(int angle);

  // Animation: the frame array, the loop count and the undo history's purge
  // (editor/DocFrameCommands.cpp)
  void OnStepForward();
  void OnStepBackward();
  void OnNewFrame();
  void OnInsertFile();
  void OnRemoveFrames();
  void OnCreateDuplicates();
  void OnOptimizeFrames();
  void OnExpandFrames();
  void OnLoopCount();
  void OnPurgeUndo();
  bool CanStepForward() const;
  bool CanStepBackward() const;
  bool HasSelectedFrames() const;
  bool HasSeveralFrames() const;
  bool HasUndoHistory() const;
  // Play (editor/DocPlayCommands.cpp)
  void OnFullScreen();
  bool CanPlayFullScreen() const;
  // A view starts (true) or stops playing: the first to start marks every
  // frame busy, the last to stop clears the marks.
  void SetPlaying(bool start);
  // Stops every view of the document that plays.
  void StopPlayingViews();
  // Busy with a command (the marks of a playback do not count: closing
  // stops it).
  bool IsPaneBusy() const override { return m_nPlaying == 0 && IsAnyFrameBusy(); }
  // Change Frame Properties: the Animation Properties dialog on the selected
  // frames, one undo step (the main frame runs it through IPaneDocument).
  void EditFrameProperties() override;
  bool CanEditFrameProperties() const override;
  // Colors (editor/DocColorCommands.cpp)
  void OnConvertToBitmap();
  void OnConvertToIndexed();
  void OnConvertToGrayscale();
  void OnConvertToFullColor();
  void OnInvertColors();
  void OnSharpen();
  void OnSharpenMore();
  void OnCountColors();
  void OnRemoveUnusedColors();
  void OnSavePalette();
  void OnEditPalette();
  bool CanConvertToBitmap() const;
  // Effects with a live preview (editor/DocEffectCommands.cpp)
  void OnBlur();
  void OnEmboss();
  void OnBrightnessContrast();
  void OnSepia();
  void OnRemoveRedEye();
  void OnDropShadow();
  bool CanDropShadow() const;
  void OnAdjustTransparency();
  void OnAddText();
  bool AskEditQuestion(const std::string& text) override;
  // The frames as an MNG animation (editor/DocExportCommands.cpp)
  void OnExportMng();
  bool CanExportMng() const { return GetFrameCount() >= 2; }
  bool CanConvertToGrayscale() const;
  bool CanConvertToFullColor() const;
  bool CanChangeColors() const;
  bool CanSharpen() const;
  bool CanEditPalette() const;
  // The two dialog-driven conversions: 1 bitmap, 2 indexed colour.
  void ConvertColorMode(int kind);
  // Ask the options and convert the frame's image and selection; a result code.
  static int ConvertFrameToBitmap(CAnimFrame& frame, CANCELPROC cancel, PROGRESSPROC progress);
  static int ConvertFrameToIndexed(CAnimFrame& frame, CANCELPROC cancel, PROGRESSPROC progress);
  // The sharpen filters: kind 1 or 2, recorded under the command's label.
  void ApplySharpen(int kind, int id);

 protected:
  bool DoOpenDocument(const wxString& path) override;
  bool DoSaveDocument(const wxString& path) override;

 private:
  bool AskSavePath(std::string& path, const std::string& title);

  void BindCommands();
  // The current frame's image, or its selection when the image is empty;
  // null when both are empty or the frame is busy.
  const CRasterImage* ColorTarget() const;
  // Grayscale, full colour and invert: both parts through the conversion,
  // one step only when every present part changed.
  void ConvertFrameParts(int id, const char* statusText,
                         CRasterImage (*convert)(const CRasterImage&, int*, CANCELPROC, PROGRESSPROC));

  std::string m_strComment;
  int32_t m_nPlaying = 0;
  bool m_bListed = false;  // the Documents page was told of the document

  wxDECLARE_DYNAMIC_CLASS(CPictoravellDoc);
};


// Opens a file as a document through the program's document template (the
// document already open on the path is activated instead). Null when the file
// cannot be read; the failure has been reported.
CPictoravellDoc* OpenImageDocument(const std::string& path);
// Makes a new document of a kind (NEWDOC_...); null when refused or cancelled.
CPictoravellDoc* NewImageDocument(NEW_DOCUMENT_KIND kind);
// File Open: asks for image files (several at once) and hands each to open,
// in the order chosen. False when the dialog was cancelled.
bool RunFileOpen(const std::string& startFolder, const std::function<bool(const std::string&)>& open);
// Registers the document template of the image windows with the manager.
wxDocTemplate* RegisterImageDocumentTemplate(wxDocManager* manager);
