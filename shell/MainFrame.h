#pragma once
// The program's main window. From top to bottom and left to right it holds
// the mode tab bar, the task pane with five pages, the client area, the
// message pane and the status bar. The client area is a book of three pages
// (the document area, the browse view, the preview view) and shows the one
// of the frame's mode. Each mode installs its own menu and accelerator
// table through a CModeMenuInfo record.

#include <wx/accel.h>
#include <wx/docview.h>
#include <wx/simplebook.h>

class wxAuiNotebook;
class wxAuiNotebookEvent;

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/MessageReport.h"
#include "imaging/RasterImage.h"
#include "shell/EditorHost.h"
#include "platform/WindowPlacement.h"

class CMainStatusBar;
class CMessagePane;
class CModeTabBar;
class CTaskPaneBar;
class CTaskPanePage;
class CFoldersPage;
class CDocumentsPage;
class CAnimationPage;
class CPrintPage;
class CEffectPage;
class CWelcomePage;
class COrganizeView;
class CPtPreviewView;
class CMainFrame;

enum FRAME_MODE {
  MODE_VIEW_EDIT = 0,
  MODE_BROWSE = 1,
  MODE_PRINT_PREVIEW = 2,
  MODE_CONTACT_SHEET = 3,
  MODE_EFFECT = 4,
};

// What a mode installs. Menus and accelerator tables are named by resource
// id (0: none); the frame builds and owns them.
struct CModeMenuInfo {
  int menu = 0;
  int accelerators = 0;
  // Called when the frame leaves the mode through SetMode, and as the frame's
  // close procedure before the documents are closed.
  std::function<void(CMainFrame&)> leave;
  // What choosing a favourite folder does in this mode.
  std::function<void(const std::string&)> folder;
};

class CMainFrame : public wxDocParentFrame, public IEditorHost {
 public:
  explicit CMainFrame(wxDocManager* manager = wxDocManager::GetDocumentManager());
  ~CMainFrame() override;

  bool Destroy() override;

  // --- modes ---
  int GetMode() const { return m_nMode; }
  // The one entry for changing among modes 0 to 3; every change passes
  // through View and Edit. Refuses effect mode and values outside 0..3.
  bool SetMode(int mode);
  // Installs a mode's record (called by the views as they take the client area).
  void SwitchMode(const CModeMenuInfo& info, int mode);
  void RestoreViewEditMode();
  // Effect mode: entered only from View and Edit.
  bool EnterEffectMode(const std::string& effectName, std::function<void(bool)> settle = nullptr,
                       wxDocument* document = nullptr) override;
  void LeaveEffectMode() override;
  wxWindow* GetEffectPanelParent() const override;
  void ShowEffectPanel(wxWindow* panel) override;
  bool AskKeepEffectChanges() override;
  // The name of the running effect (empty outside effect mode).
  std::string GetEffectName() const override { return m_effectName; }
  void UpdatePanes();
  void UpdateModeBarButtons();

  // The resource ids of the installed menu and accelerator table.
  int GetInstalledMenu() const { return m_installedMenu; }
  int GetInstalledAccelerators() const { return m_installedAccel; }
  // The command an accelerator of the installed table gives the key, or -1.
  int GetAcceleratorCommand(int flags, int keyCode) const;
  bool AcceptsDroppedFiles() const { return m_acceptDrops; }

  // --- tools and documents ---
  int GetCurrentTool() const override { return m_nCurrentTool; }
  void SelectTool(int tool);
  wxDocument* GetActiveDocument() const { return m_pActiveDocument; }
  // The active document: the Documents page marks its row, the Animation
  // page shows its frames.
  void SetActiveDocument(wxDocument* document) override;
  // Shows the window of a document (the Documents page's rows).
  void ActivateDocument(wxDocument* document);
  // Document windows: tabs of the document area, made as children of
  // GetDocumentParent(). An added one is shown; when the last goes, the
  // welcome page comes back. The menu of View and Edit follows (with or
  // without documents). The window shown is the active one: its view is
  // activated and takes the keyboard focus, and the frame's title names it.
  void AddDocumentWindow(wxWindow* window) override;
  void RemoveDocumentWindow(wxWindow* window) override;
  int GetDocumentWindowCount() const;
  wxWindow* GetDocumentParent() const override;
  wxWindow* GetDialogParent() override { return this; }
  wxAuiNotebook* GetDocumentTabs() const { return m_documentTabs; }
  // Shows a document window (its tab becomes the selected one).
  bool ActivateDocumentWindow(wxWindow* window) override;
  wxWindow* GetShownDocumentWindow() const;
  // The shown document window while in View and Edit, else null.
  wxWindow* GetShownEditingWindow() const override;
  // Shows the next (step 1) or previous (-1) document window, in tab order
  // and round; false when there is nothing to switch to.
  bool SwitchDocumentWindow(int step);
  // The name of a document window's tab (a modified document's carries " *");
  // the frame's title names the shown one: "Pictoravell - name".
  void SetDocumentWindowTitle(wxWindow* window, const std::string& name, bool modified) override;
  void UpdateTitle();
  // A document is going: it stops being the active one.
  void OnDocumentClose(wxDocument* document) override;
  // Tells the pages of a document added, changed or removed.
  void NotifyDocumentChange(wxDocument* document, DOCUMENT_CHANGE change) override;
  // Close All and the frame's close: asks about every changed document first
  // and closes them all only when none was cancelled (force: no questions).
  bool CloseAllDocuments(bool force);
  // True from the start of the frame's destruction.
  bool IsClosingDown() const override { return m_bClosingDown; }

  // --- bars and panes ---
  CMainStatusBar* GetMainStatusBar() const { return m_statusBar; }
  CMessagePane* GetMessagePane() const { return m_messagePane; }
  CModeTabBar* GetModeTabBar() const { return m_tabBar; }
  CTaskPaneBar* GetTaskPane() const { return m_taskPane; }
  // Pages in the order Folders, Documents, Animation, Print, Effect.
  CTaskPanePage* GetPage(int index) const { return m_pages[static_cast<std::size_t>(index)]; }
  CDocumentsPage* GetDocumentsPage() const;
  CAnimationPage* GetAnimationPage() const;
  CEffectPage* GetEffectPage() const;
  CFoldersPage* GetFoldersPage() const;
  CPrintPage* GetPrintPage() const;
  wxSimplebook* GetClientBook() const { return m_clientBook; }
  wxSimplebook* GetDocumentArea() const { return m_documentArea; }
  CWelcomePage* GetWelcomePage() const { return m_welcomePage; }
  COrganizeView* GetBrowseView() const { return m_browseView; }
  CPtPreviewView* GetPreviewView() const { return m_previewView; }
  bool IsToolbarShown() const { return m_bShowToolbar; }
  void ShowToolbar(bool show);
  void ShowMessagePane(bool show);
  // Windows the frame owns that are shown only in View and Edit (tool windows).
  void AddOwnedPopup(wxWindow* window);

  // --- commands (the table: shell/MainFrameCommands.cpp) ---
  // The one check of what the frame's commands share: NEEDS_IDLE is no long
  // operation on the status stack, NEEDS_NO_EFFECT is not in effect mode.
  bool CommandAllowed(unsigned needs) const;
  void OnViewEditImages();
  void OnBrowsePhotos();
  void OnPrintPreview();
  void OnContactSheet();
  void OnBrowserSlideShow();
  void OnPreviewClose();
  void OnFilePrint();
  void OnViewToolbar();
  void OnViewStatusBar();
  void OnViewMessagePane();
  void OnClearMessagePane();
  void OnDisplayOptions();
  void OnJpegOptions();
  void OnGifOptions();
  void OnPrintSetup();
  void OnSelectionOption();
  void OnCloseAll();
  void OnAppExit();
  void OnEmptyClipboard();
  bool HasClipboardImage() const;
  void OnDiscardPattern();
  bool HasFillPattern() const;
  // Change Frame Properties on the active document's selected frames.
  void OnFrameProperties();
  bool CanChangeFrameProperties() const;
  bool HasActiveDocument() const;
  bool HasBrowserSelection() const;
  bool IsInPreview() const;
  bool HasMessages() const;
  bool HasDocuments() const;
  void OnUpdateViewToolbar(wxUpdateUIEvent& event);
  void OnUpdateViewStatusBar(wxUpdateUIEvent& event);
  void OnUpdateViewMessagePane(wxUpdateUIEvent& event);
  void OnUpdateSelectionOption(wxUpdateUIEvent& event);

  // --- settings and closing ---
  void SaveSettings();
  // Called by the status bar when the status stack has become empty: a close
  // requested meanwhile is carried out now.
  void OnStatusStackEmpty();
  // Called when the stack has become empty and a favourite folder is chosen.
  const CRasterImage& GetClipboardImageRef() const { return m_clipboardImage; }
  // What choosing a favourite folder does in View and Edit (the open dialog
  // started in that folder); set by the application.
  static void SetOpenFolderCallback(std::function<void(const std::string&)> callback);
  // How a file dropped on the frame is opened (in View and Edit only); set by
  // the application.
  static void SetOpenFileCallback(std::function<bool(const std::string&)> callback);
  // Files dropped on the frame: opened in View and Edit, refused otherwise.
  bool OnDropFiles(const std::vector<std::string>& paths);
  // The window placement as the settings keep it.
  void GetPlacement(WINDOWPLACEMENT& placement) const;
  void ApplyPlacement(const WINDOWPLACEMENT& placement);
  // The first start (no placement kept): the window in the middle of its display.
  void CentreOnFirstStart();

 private:
  void CreateChildren();
  void InstallMenu(int resource);
  void InstallAccelerators(int resource);
  wxMenuBar* GetMenuBarResource(int resource);
  void UpdateRecentFileMenu();
  void TrackNormalRect();
  void PlaceWindow(const wxRect& rect);
  void KeepPendingPlacement();

  void OnClose(wxCloseEvent& event);
  // In Browse and the preview modes the mode's view sees commands before
  // the image documents hidden behind it.
  bool TryBefore(wxEvent& event) override;
  void BindCommands();
  void OnCommand(wxCommandEvent& event);
  void OnUpdateCommand(wxUpdateUIEvent& event);
  void OnMenuOpen(wxMenuEvent& event);
  static bool IsFavoriteCommand(int id);
  std::function<void(const std::string&)> CurrentFolderCallback() const;
  void OnFavoriteCommand(int id);
  void OnUpdateFavoriteCommand(wxUpdateUIEvent& event);
  void OnCharHook(wxKeyEvent& event);
  void OnDocumentTabChanged(wxAuiNotebookEvent& event);
  void OnDocumentTabClose(wxAuiNotebookEvent& event);
  void ShowDocumentWindow(wxWindow* window);

  int m_nCurrentTool = -1;
  wxDocument* m_pActiveDocument = nullptr;
  bool m_bClosingDown = false;
  int m_nMode = MODE_VIEW_EDIT;
  CModeMenuInfo m_viewEditInfo;
  bool m_bShowToolbar = true;
  std::function<void(CMainFrame&)> m_closeProc;
  std::function<void(const std::string&)> m_folderCallback;
  bool m_acceptDrops = true;
  wxRect m_normalRect;
  wxRect m_pendingPlacement;  // asked for again once the window is shown
  wxLongLong m_placementDeadline = 0;

  CModeTabBar* m_tabBar = nullptr;
  CTaskPaneBar* m_taskPane = nullptr;
  std::vector<CTaskPanePage*> m_pages;
  wxSimplebook* m_clientBook = nullptr;
  wxSimplebook* m_documentArea = nullptr;   // the welcome page, then the tabs
  wxAuiNotebook* m_documentTabs = nullptr;
  std::map<wxWindow*, std::string> m_documentNames;
  CWelcomePage* m_welcomePage = nullptr;
  COrganizeView* m_browseView = nullptr;
  CPtPreviewView* m_previewView = nullptr;
  CMessagePane* m_messagePane = nullptr;
  IMessageSink* m_previousSink = nullptr;  // put back when the frame goes
  CMainStatusBar* m_statusBar = nullptr;
  std::vector<wxWindow*> m_ownedPopups;

  std::map<int, wxMenuBar*> m_menus;  // owned; the installed one is attached
  int m_installedMenu = 0;
  int m_installedAccel = 0;
  std::map<int, std::unique_ptr<wxAcceleratorTable>> m_accelTables;
  std::string m_effectName;
  std::function<void(bool)> m_effectSettle;
  wxDocument* m_pEffectDocument = nullptr;
  CRasterImage m_clipboardImage;
};

extern CMainFrame* g_pMainFrame;

// The smallest size of the main window.
inline const wxSize kMinFrameSize(480, 360);

// Client book pages.
constexpr int kDocumentAreaPage = 0;
constexpr int kBrowsePage = 1;
constexpr int kPreviewPage = 2;
