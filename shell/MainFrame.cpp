#include "shell/MainFrame.h"

#include <wx/aui/auibook.h>
#include <wx/clipbrd.h>
#include <wx/display.h>
#include <wx/dnd.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>

#include <algorithm>

#include "base/MessageReport.h"
#include "base/Profile.h"
#include "base/StatusStack.h"
#include "platform/RecentFileList.h"
#include "resources/CommandIds.h"
#include "resources/MenuResources.h"
#include "resources/Strings.h"
#include "shell/DisplayOptionsDlg.h"
#include "shell/ExportOptions.h"
#include "shell/ImageClipboard.h"
#include "shell/MainStatusBar.h"
#include "shell/MessagePane.h"
#include "shell/SelectionOptionsDlg.h"
#include "shell/ShellFunctions.h"
#include "shell/SingleInstanceApp.h"
#include "shell/ModeTabBar.h"
#include "shell/StandInViews.h"
#include "shell/WelcomePage.h"
#include "shell/TaskPane.h"
#include "shell/TaskPanePages.h"

CMainFrame* g_pMainFrame = nullptr;

namespace {

std::function<void(const std::string&)>& OpenFolderCallback() {
  static std::function<void(const std::string&)> callback;
  return callback;
}

std::function<bool(const std::string&)>& OpenFileCallback() {
  static std::function<bool(const std::string&)> callback;
  return callback;
}

// Files dropped on the main window.
class CFrameDropTarget : public wxFileDropTarget {
 public:
  explicit CFrameDropTarget(CMainFrame* frame) : m_frame(frame) {}
  bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override {
    std::vector<std::string> paths;
    for (const auto& file : files) paths.push_back(file.utf8_string());
    return m_frame->OnDropFiles(paths);
  }

 private:
  CMainFrame* m_frame;
};

bool IsTool(int id) {
  return id == ID_TOOL_RECT_SELECT || id == ID_TOOL_MAGIC_WAND || id == ID_TOOL_FREE_SCROLL || id == ID_TOOL_ZOOM ||
         id == ID_TOOL_MOVE;
}

enum PageIndex { PAGE_FOLDERS = 0, PAGE_DOCUMENTS, PAGE_ANIMATION, PAGE_PRINT, PAGE_EFFECT };

}  // namespace

void CMainFrame::SetOpenFileCallback(std::function<bool(const std::string&)> callback) {
  OpenFileCallback() = std::move(callback);
}

bool CMainFrame::OnDropFiles(const std::vector<std::string>& paths) {
  if (!m_acceptDrops) return false;
  for (const auto& path : paths)
    if (OpenFileCallback()) OpenFileCallback()(path);
  return true;
}

void CMainFrame::SetOpenFolderCallback(std::function<void(const std::string&)> callback) {
  OpenFolderCallback() = std::move(callback);
}

CMainFrame::CMainFrame(wxDocManager* manager)
    : wxDocParentFrame(manager, nullptr, wxID_ANY, kProductName, wxDefaultPosition, wxSize(1024, 720)) {
  g_pMainFrame = this;
  SetEditorHost(this);
  // The toolkit would first map the window unseen to learn the size of the
  // window manager's frame and show it only then; that first allocation is
  // smaller than the menu bar, which GTK reports as a critical error. The
  // window is shown at once instead (its frame's size comes a moment later).
  m_deferShow = false;
  CreateChildren();
}

CMainFrame::~CMainFrame() {
  m_bClosingDown = true;
  CloseSelectionOptions();
  SetStatusDisplay(nullptr);
  if (m_messagePane) SetMessageSink(m_previousSink);
  DetachMenuBar();
  for (auto& [id, bar] : m_menus) delete bar;
  m_menus.clear();
  if (g_pMainFrame == this) g_pMainFrame = nullptr;
  if (EditorHost() == this) SetEditorHost(nullptr);
}

bool CMainFrame::Destroy() {
  CloseSelectionOptions();  // the window lives over this frame only
  if (auto* app = dynamic_cast<CSingleInstanceApp*>(wxTheApp)) app->ClearInstanceWindow();
  return wxDocParentFrame::Destroy();
}

void CMainFrame::CreateChildren() {
  // The mode tab bar with its two tabs.
  m_tabBar = new CModeTabBar(this, ID_MODE_TAB_BAR);
  m_tabBar->AddTab("View && Edit", ID_VIEW_EDIT_IMAGES, IDR_MAINFRAME);
  m_tabBar->AddTab("Browse", ID_BROWSE_PHOTOS, IDR_BROWSE_TOOLBAR);

  // The status bar, then the message pane.
  m_statusBar = new CMainStatusBar;
  m_statusBar->Create(this);
  SetStatusBar(m_statusBar);
  SetStatusDisplay(m_statusBar);
  m_messagePane = new CMessagePane;
  m_messagePane->Create(this, wxID_ANY);
  m_previousSink = SetMessageSink(m_messagePane);

  // The task pane with its five pages, and the client book.
  m_taskPane = new CTaskPaneBar;
  m_pages = {new CFoldersPage, new CDocumentsPage, new CAnimationPage, new CPrintPage, new CEffectPage};
  for (auto* page : m_pages) m_taskPane->AddPage(page);
  m_taskPane->CreateBar(this, wxID_ANY);
  GetDocumentsPage()->SetActivateCallback([this](wxDocument* document) { ActivateDocument(document); });

  m_clientBook = new wxSimplebook(this, wxID_ANY);
  m_documentArea = new wxSimplebook(m_clientBook, wxID_ANY);
  m_welcomePage = new CWelcomePage(m_documentArea);
  m_documentArea->AddPage(m_welcomePage, wxString());
  m_documentTabs = new wxAuiNotebook(m_documentArea, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                     wxAUI_NB_TOP | wxAUI_NB_TAB_MOVE | wxAUI_NB_SCROLL_BUTTONS |
                                         wxAUI_NB_WINDOWLIST_BUTTON | wxAUI_NB_CLOSE_ON_ALL_TABS);
  m_documentArea->AddPage(m_documentTabs, wxString());
  m_documentTabs->Bind(wxEVT_AUINOTEBOOK_PAGE_CHANGED, &CMainFrame::OnDocumentTabChanged, this);
  m_documentTabs->Bind(wxEVT_AUINOTEBOOK_PAGE_CLOSE, &CMainFrame::OnDocumentTabClose, this);
  m_browseView = new COrganizeView(m_clientBook);
  m_previewView = new CPtPreviewView(m_clientBook, *this);
  m_clientBook->AddPage(m_documentArea, wxString(), true);
  m_clientBook->AddPage(m_browseView, wxString());
  m_clientBook->AddPage(m_previewView, wxString());

  auto* middle = new wxBoxSizer(wxHORIZONTAL);
  middle->Add(m_taskPane, 0, wxEXPAND);
  middle->Add(m_clientBook, 1, wxEXPAND);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(m_tabBar, 0, wxEXPAND);
  column->Add(middle, 1, wxEXPAND);
  column->Add(m_messagePane, 0, wxEXPAND);
  SetSizer(column);

  // Settings of the frame.
  const int tool = GetProfileInt("Main Frame", "Current Tool", -1);
  m_nCurrentTool = IsTool(CommandId(tool)) ? CommandId(tool) : -1;
  m_bShowToolbar = GetProfileInt("Main Frame", "Show Toolbar", 1) != 0;
  m_tabBar->Show(m_bShowToolbar);

  m_statusBar->SetLayout(STATUS_LAYOUT_PIXEL);

  // View and Edit.
  m_viewEditInfo.menu = IDR_MAINFRAME;
  m_viewEditInfo.accelerators = IDR_MAINFRAME;
  m_viewEditInfo.folder = OpenFolderCallback();
  m_folderCallback = m_viewEditInfo.folder;
  InstallMenu(IDR_MAINFRAME);
  InstallAccelerators(IDR_MAINFRAME);
  m_nMode = MODE_VIEW_EDIT;
  UpdatePanes();
  UpdateModeBarButtons();

  Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::OnClose, this);
  BindCommands();
  Bind(wxEVT_MENU, &CMainFrame::OnCommand, this);
  Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateCommand, this);
  Bind(wxEVT_MENU_OPEN, &CMainFrame::OnMenuOpen, this);
  Bind(wxEVT_CHAR_HOOK, &CMainFrame::OnCharHook, this);
  Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
    e.Skip();
    TrackNormalRect();
    KeepPendingPlacement();
  });
  Bind(wxEVT_MOVE, [this](wxMoveEvent& e) {
    e.Skip();
    TrackNormalRect();
    KeepPendingPlacement();
  });
  // A floor under the window's size: the toolkit would otherwise shrink the
  // window to its bare request for a moment while the window manager adds
  // its frame, and squeeze the bars' buttons below their height.
  SetSizeHints(kMinFrameSize);
  m_normalRect = GetRect();
  SetDropTarget(new CFrameDropTarget(this));
  // "Is there an image on the clipboard", asked in the background.
  StartClipboardWatch();
  Layout();
}

// --- menus and accelerators -------------------------------------------------

wxMenuBar* CMainFrame::GetMenuBarResource(int resource) {
  if (resource == 0) return nullptr;
  auto it = m_menus.find(resource);
  if (it != m_menus.end()) return it->second;
  wxMenuBar* bar = CreateMenuBarResource(resource);
  m_menus[resource] = bar;
  return bar;
}

void CMainFrame::InstallMenu(int resource) {
  wxMenuBar* bar = GetMenuBarResource(resource);
  if (bar != GetMenuBar()) {
    if (GetMenuBar()) DetachMenuBar();
    if (bar) SetMenuBar(bar);
  }
  m_installedMenu = bar ? resource : 0;
  UpdateRecentFileMenu();
}

void CMainFrame::InstallAccelerators(int resource) {
  m_installedAccel = 0;
  if (resource == 0) {
    SetAcceleratorTable(wxNullAcceleratorTable);
    return;
  }
  auto& table = m_accelTables[resource];
  if (!table) {
    const auto entries = GetAcceleratorResource(resource);
    table = std::make_unique<wxAcceleratorTable>(static_cast<int>(entries.size()), entries.data());
  }
  SetAcceleratorTable(*table);
  m_installedAccel = resource;
}

int CMainFrame::GetAcceleratorCommand(int flags, int keyCode) const {
  const wxAcceleratorTable* table = const_cast<CMainFrame*>(this)->GetAcceleratorTable();
  if (!table || !table->IsOk()) return -1;
  wxKeyEvent event(wxEVT_KEY_DOWN);
  event.m_keyCode = keyCode;
  event.SetControlDown((flags & wxACCEL_CTRL) != 0);
  event.SetShiftDown((flags & wxACCEL_SHIFT) != 0);
  event.SetAltDown((flags & wxACCEL_ALT) != 0);
  return table->GetCommand(event);
}

void CMainFrame::UpdateRecentFileMenu() {
  wxMenuBar* bar = GetMenuBar();
  if (!bar) return;
  // The list can shrink at run time: the items after the first go first.
  for (int id = ID_FILE_MRU_FIRST + 1; id <= ID_FILE_MRU_LAST; ++id) {
    wxMenu* menu = nullptr;
    if (wxMenuItem* item = bar->FindItem(id, &menu)) menu->Destroy(item);
  }
  wxMenu* menu = nullptr;
  wxMenuItem* first = bar->FindItem(ID_FILE_MRU_FIRST, &menu);
  if (!first || !menu) return;
  CRecentFileList* list = g_pRecentFileList;
  if (!list || list->GetCount() == 0) {
    first->SetItemLabel(list ? wxString::FromUTF8(list->GetEmptyText()) : wxString(kRecentFileEmptyText));
    first->Enable(false);
    return;
  }
  first->SetItemLabel(wxString::FromUTF8(list->GetDisplayName(0)));
  first->Enable(true);
  size_t position = 0;
  for (const auto* node : menu->GetMenuItems()) {
    if (node == first) break;
    ++position;
  }
  for (int i = 1; i < list->GetCount() && i < CRecentFileList::kMaxSize; ++i)
    menu->Insert(position + static_cast<size_t>(i), ID_FILE_MRU_FIRST + i, wxString::FromUTF8(list->GetDisplayName(i)),
                 "Open this image");
}

void CMainFrame::OnMenuOpen(wxMenuEvent& event) {
  event.Skip();
  if (wxMenu* menu = event.GetMenu(); menu && menu->FindItem(ID_FILE_MRU_FIRST)) UpdateRecentFileMenu();
  // The browse view fills the favourites menu in every mode that has one.
  if (m_nMode == MODE_BROWSE || m_nMode == MODE_VIEW_EDIT) m_browseView->MenuOpened(event);
  RefreshClipboardCache();  // the answer comes back while the menu is open
}

// --- modes ---------------------------------------------------------------------

void CMainFrame::SwitchMode(const CModeMenuInfo& info, int mode) {
  if (m_nMode == MODE_EFFECT || mode == MODE_EFFECT || mode == m_nMode) return;
  if (m_nMode == MODE_VIEW_EDIT) {
    m_viewEditInfo.menu = m_installedMenu;
    m_viewEditInfo.accelerators = m_installedAccel;
  }
  m_closeProc = info.leave;
  m_folderCallback = info.folder;
  for (wxWindow* popup : m_ownedPopups) popup->Show(mode == MODE_VIEW_EDIT);
  m_statusBar->SetLayout(mode == MODE_VIEW_EDIT ? STATUS_LAYOUT_PIXEL
                         : mode == MODE_BROWSE  ? STATUS_LAYOUT_FILES
                                                : STATUS_LAYOUT_BLANK);
  const int page = mode == MODE_VIEW_EDIT ? kDocumentAreaPage : mode == MODE_BROWSE ? kBrowsePage : kPreviewPage;
  m_clientBook->ChangeSelection(static_cast<size_t>(page));
  Refresh();
  InstallMenu(info.menu);
  InstallAccelerators(info.accelerators);
  m_nMode = mode;
  UpdateModeBarButtons();
  m_acceptDrops = mode == MODE_VIEW_EDIT;
  UpdatePanes();
  Layout();
}

void CMainFrame::RestoreViewEditMode() {
  m_closeProc = nullptr;
  m_viewEditInfo.leave = nullptr;
  m_viewEditInfo.folder = OpenFolderCallback();
  const CModeMenuInfo info = m_viewEditInfo;
  SwitchMode(info, MODE_VIEW_EDIT);
  // The keys go back to the document shown (or the welcome page): the
  // mode's view that had them is hidden now.
  if (m_nMode != MODE_VIEW_EDIT) return;
  if (m_documentTabs && m_documentTabs->GetPageCount() > 0) {
    if (wxWindow* page = m_documentTabs->GetCurrentPage()) page->SetFocus();
  } else if (wxWindow* page = GetClientBook()->GetCurrentPage()) {
    page->SetFocus();
  }
}

bool CMainFrame::SetMode(int mode) {
  if (m_nMode == MODE_EFFECT || mode == MODE_EFFECT) return false;
  if (mode == m_nMode) return true;
  if (mode < MODE_VIEW_EDIT || mode > MODE_CONTACT_SHEET) return false;
  if (m_nMode != MODE_VIEW_EDIT && m_closeProc) {
    const auto leave = m_closeProc;
    leave(*this);
  }
  switch (mode) {
    case MODE_VIEW_EDIT:
      RestoreViewEditMode();
      break;
    case MODE_BROWSE:
      if (!m_browseView->ActivateBrowse(*this)) return false;
      break;
    case MODE_PRINT_PREVIEW:
    case MODE_CONTACT_SHEET:
      if (!m_previewView->EnterPreview(*this, mode == MODE_CONTACT_SHEET)) return false;
      break;
  }
  GetDocumentsPage()->SetActiveDocument(m_pActiveDocument);
  UpdatePanes();
  return true;
}

bool CMainFrame::EnterEffectMode(const std::string& effectName, std::function<void(bool)> settle,
                                 wxDocument* document) {
  if (m_nMode != MODE_VIEW_EDIT) return false;
  m_effectSettle = std::move(settle);
  m_pEffectDocument = document;
  m_nMode = MODE_EFFECT;
  if (m_nCurrentTool == ID_TOOL_RECT_SELECT || m_nCurrentTool == ID_TOOL_MAGIC_WAND) m_nCurrentTool = -1;
  m_viewEditInfo.menu = m_installedMenu;
  m_viewEditInfo.accelerators = m_installedAccel;
  InstallMenu(IDR_EFFECT);
  InstallAccelerators(IDR_EFFECT_ACCEL);
  m_acceptDrops = false;
  for (wxWindow* popup : m_ownedPopups) popup->Hide();
  m_effectName = effectName;
  UpdatePanes();
  return true;
}

void CMainFrame::LeaveEffectMode() {
  if (m_nMode != MODE_EFFECT) return;
  m_effectSettle = nullptr;
  m_pEffectDocument = nullptr;
  m_nMode = MODE_VIEW_EDIT;
  InstallMenu(m_viewEditInfo.menu);
  InstallAccelerators(m_viewEditInfo.accelerators);
  m_acceptDrops = true;
  for (wxWindow* popup : m_ownedPopups) popup->Show();
  m_effectName.clear();
  // The panel goes with the mode (its close callback finds the mode left).
  GetEffectPage()->CloseEffect();
  UpdatePanes();
}

wxWindow* CMainFrame::GetEffectPanelParent() const { return m_nMode == MODE_EFFECT ? GetEffectPage() : nullptr; }

void CMainFrame::ShowEffectPanel(wxWindow* panel) {
  if (m_nMode != MODE_EFFECT || !panel) return;
  // Names keep their menu ampersands doubled ("Brightness && Contrast").
  wxString caption = wxString::FromUTF8(m_effectName);
  caption.Replace("&&", "&");
  GetEffectPage()->SetEffect(caption, panel, [this] { LeaveEffectMode(); });
  m_taskPane->RequestLayout();
  panel->SetFocus();
}

bool CMainFrame::AskKeepEffectChanges() {
  if (m_nMode != MODE_EFFECT) return false;
  wxString caption = wxString::FromUTF8(m_effectName);
  caption.Replace("&&", "&");
  const bool keep = wxMessageBox(kKeepEffectChangesText, caption, wxYES_NO | wxICON_QUESTION, this) == wxYES;
  // The settling may end effect mode itself; it ends here at the latest.
  if (const auto settle = m_effectSettle) settle(keep);
  LeaveEffectMode();
  return true;
}

CPrintPage* CMainFrame::GetPrintPage() const { return static_cast<CPrintPage*>(m_pages[PAGE_PRINT]); }

CDocumentsPage* CMainFrame::GetDocumentsPage() const {
  return static_cast<CDocumentsPage*>(m_pages[PAGE_DOCUMENTS]);
}

void CMainFrame::UpdatePanes() {
  auto* folders = m_pages[PAGE_FOLDERS];
  auto* documents = GetDocumentsPage();
  auto* animation = m_pages[PAGE_ANIMATION];
  auto* print = m_pages[PAGE_PRINT];
  auto* effect = m_pages[PAGE_EFFECT];
  const int mode = m_nMode;
  folders->ShowPage(mode == MODE_BROWSE);
  if (mode == MODE_BROWSE) folders->SetCollapsed(false);
  documents->ShowPage(mode == MODE_VIEW_EDIT || mode == MODE_PRINT_PREVIEW);
  if (mode == MODE_VIEW_EDIT || mode == MODE_PRINT_PREVIEW) {
    documents->SetCollapsed(false);
    documents->SetCollapsible(mode == MODE_PRINT_PREVIEW);
  }
  if (mode != MODE_EFFECT) documents->SetPrintMode(mode == MODE_PRINT_PREVIEW || mode == MODE_CONTACT_SHEET);
  animation->ShowPage(mode == MODE_VIEW_EDIT);
  if (mode == MODE_VIEW_EDIT) animation->SetCollapsible(true);
  print->ShowPage(mode == MODE_PRINT_PREVIEW || mode == MODE_CONTACT_SHEET);
  effect->ShowPage(mode == MODE_EFFECT);
  m_taskPane->RequestLayout();
}

void CMainFrame::UpdateModeBarButtons() {
  switch (m_nMode) {
    case MODE_BROWSE:
      m_tabBar->SelectTab(1);
      m_tabBar->SetButtonText(0, "Print");
      m_tabBar->SetButtonText(10, "Batch");
      m_tabBar->SetButtonText(11, "Email");
      m_tabBar->SetButtonText(12, "Publish");
      m_tabBar->SetButtonText(13, "Slide Show");
      break;
    case MODE_PRINT_PREVIEW:
    case MODE_CONTACT_SHEET:
      m_tabBar->SetPreviewToolbar(m_nMode == MODE_CONTACT_SHEET ? 1 : 0, IDR_PREVIEW_TOOLBAR,
                                  m_nMode == MODE_CONTACT_SHEET);
      m_tabBar->SetButtonText(0, "Exit Print Preview");
      m_tabBar->SetButtonText(2, "Print");
      m_tabBar->SetButtonText(3, "Printer Settings");
      break;
    default:
      m_tabBar->SelectTab(0);
      m_tabBar->SetButtonText(0, "Print");
      break;
  }
}

// --- tools, documents, bars ----------------------------------------------------

void CMainFrame::SelectTool(int tool) { m_nCurrentTool = tool == m_nCurrentTool ? -1 : tool; }

void CMainFrame::SetActiveDocument(wxDocument* document) {
  m_pActiveDocument = document;
  // The image preview follows the active document.
  if (m_nMode == MODE_PRINT_PREVIEW && document && m_previewView->GetPreviewDocument() != document)
    m_previewView->SetPreviewDocument(document);
  GetDocumentsPage()->SetActiveDocument(document);
  CAnimationPage* animation = GetAnimationPage();
  if (animation->GetDocument() != document || !document) animation->SetDocument(document);
  if (m_nMode != MODE_VIEW_EDIT) animation->ShowPage(false);
}

void CMainFrame::ActivateDocument(wxDocument* document) {
  if (!document) return;
  if (wxView* view = document->GetFirstView())
    if (wxWindow* window = view->GetFrame()) ActivateDocumentWindow(window);
}

CAnimationPage* CMainFrame::GetAnimationPage() const { return static_cast<CAnimationPage*>(m_pages[PAGE_ANIMATION]); }
CEffectPage* CMainFrame::GetEffectPage() const { return static_cast<CEffectPage*>(m_pages[PAGE_EFFECT]); }
CFoldersPage* CMainFrame::GetFoldersPage() const { return static_cast<CFoldersPage*>(m_pages[PAGE_FOLDERS]); }

void CMainFrame::AddDocumentWindow(wxWindow* window) {
  if (window->GetParent() != m_documentTabs) window->Reparent(m_documentTabs);
  m_documentNames.emplace(window, std::string());
  m_documentTabs->AddPage(window, wxString(), false);
  m_documentArea->ChangeSelection(1);
  if (m_nMode == MODE_VIEW_EDIT)
    InstallMenu(IDR_DOCUMENT);
  else if (m_nMode != MODE_EFFECT)
    m_viewEditInfo.menu = IDR_DOCUMENT;
  ActivateDocumentWindow(window);
  m_documentArea->Layout();
}

void CMainFrame::RemoveDocumentWindow(wxWindow* window) {
  const int index = m_documentTabs->GetPageIndex(window);
  if (index == wxNOT_FOUND) return;
  m_documentNames.erase(window);
  const bool shown = m_documentTabs->GetSelection() == index;
  m_documentTabs->RemovePage(static_cast<size_t>(index));
  if (GetDocumentWindowCount() == 0) {
    m_documentArea->ChangeSelection(0);  // the welcome page
    if (m_nMode == MODE_VIEW_EDIT)
      InstallMenu(IDR_MAINFRAME);
    else if (m_nMode != MODE_EFFECT)
      m_viewEditInfo.menu = IDR_MAINFRAME;
  } else if (shown || m_documentTabs->GetSelection() != wxNOT_FOUND) {
    ShowDocumentWindow(GetShownDocumentWindow());
  }
  UpdateTitle();
}

int CMainFrame::GetDocumentWindowCount() const { return static_cast<int>(m_documentTabs->GetPageCount()); }

wxWindow* CMainFrame::GetDocumentParent() const { return m_documentTabs; }

wxWindow* CMainFrame::GetShownEditingWindow() const {
  return m_nMode == MODE_VIEW_EDIT ? GetShownDocumentWindow() : nullptr;
}

wxWindow* CMainFrame::GetShownDocumentWindow() const {
  const int index = m_documentTabs->GetSelection();
  return index == wxNOT_FOUND ? nullptr : m_documentTabs->GetPage(static_cast<size_t>(index));
}

bool CMainFrame::ActivateDocumentWindow(wxWindow* window) {
  const int index = m_documentTabs->GetPageIndex(window);
  if (index == wxNOT_FOUND) return false;
  if (m_documentTabs->GetSelection() != index) m_documentTabs->SetSelection(static_cast<size_t>(index));
  ShowDocumentWindow(window);
  return true;
}

bool CMainFrame::SwitchDocumentWindow(int step) {
  const int count = GetDocumentWindowCount();
  if (count < 2 || m_nMode != MODE_VIEW_EDIT) return false;
  const int current = std::max(0, m_documentTabs->GetSelection());
  const int next = ((current + step) % count + count) % count;
  return ActivateDocumentWindow(m_documentTabs->GetPage(static_cast<size_t>(next)));
}

// The shown window's view becomes the active one and takes the keys.
void CMainFrame::ShowDocumentWindow(wxWindow* window) {
  if (!window) return;
  // The view takes the keyboard focus as it is activated.
  if (auto* frame = dynamic_cast<wxDocChildFrameAnyBase*>(window))
    if (wxView* view = frame->GetView()) view->Activate(true);
  UpdateTitle();
}

void CMainFrame::OnDocumentTabChanged(wxAuiNotebookEvent& event) {
  event.Skip();
  const int index = event.GetSelection();
  if (index != wxNOT_FOUND && static_cast<size_t>(index) < m_documentTabs->GetPageCount())
    ShowDocumentWindow(m_documentTabs->GetPage(static_cast<size_t>(index)));
}

void CMainFrame::OnDocumentTabClose(wxAuiNotebookEvent& event) {
  // The tab's close button closes the document the way File Close does
  // (asking about changes); the window goes with it.
  event.Veto();
  const int index = event.GetSelection();
  if (index == wxNOT_FOUND || static_cast<size_t>(index) >= m_documentTabs->GetPageCount()) return;
  wxWindow* window = m_documentTabs->GetPage(static_cast<size_t>(index));
  CallAfter([this, window] {
    if (m_documentTabs->GetPageIndex(window) == wxNOT_FOUND) return;
    if (GetStatusDepth() > 0) return;
    auto* frame = dynamic_cast<wxDocChildFrameAnyBase*>(window);
    wxDocument* doc = frame ? frame->GetDocument() : nullptr;
    if (doc && doc->GetDocumentManager()) doc->GetDocumentManager()->CloseDocument(doc);
  });
}

void CMainFrame::SetDocumentWindowTitle(wxWindow* window, const std::string& name, bool modified) {
  const int index = m_documentTabs->GetPageIndex(window);
  if (index == wxNOT_FOUND) return;
  m_documentNames[window] = name;
  const wxString text = wxString::FromUTF8(name + (modified ? " *" : ""));
  if (m_documentTabs->GetPageText(static_cast<size_t>(index)) != text)
    m_documentTabs->SetPageText(static_cast<size_t>(index), text);
  UpdateTitle();
}

void CMainFrame::UpdateTitle() {
  wxString title = kProductName;
  if (wxWindow* shown = GetDocumentWindowCount() > 0 ? GetShownDocumentWindow() : nullptr) {
    auto it = m_documentNames.find(shown);
    if (it != m_documentNames.end() && !it->second.empty()) title += " - " + wxString::FromUTF8(it->second);
  }
  if (GetTitle() != title) SetTitle(title);
}

void CMainFrame::OnDocumentClose(wxDocument* document) {
  // The image preview of a document ends with it.
  if (m_nMode == MODE_PRINT_PREVIEW && m_previewView->GetPreviewDocument() == document) SetMode(MODE_VIEW_EDIT);
  if (m_pActiveDocument == document) SetActiveDocument(nullptr);
  // A document going with its effect still running takes effect mode along.
  if (m_nMode == MODE_EFFECT && m_pEffectDocument == document) LeaveEffectMode();
}

void CMainFrame::NotifyDocumentChange(wxDocument* document, DOCUMENT_CHANGE change) {
  GetDocumentsPage()->OnDocumentEvent(document, change);
  CAnimationPage* animation = GetAnimationPage();
  if (document && animation->GetDocument() == document) {
    if (change == DOCUMENT_REMOVED) {
      animation->ClearDocument();
    } else {
      // The frames may have changed in number or order: the list reads them again.
      animation->RefreshFrames();
      animation->ShowPage(m_nMode == MODE_VIEW_EDIT);
    }
  }
}

void CMainFrame::ShowToolbar(bool show) {
  m_bShowToolbar = show;
  m_tabBar->Show(show);
  Layout();
}

void CMainFrame::ShowMessagePane(bool show) {
  m_messagePane->Show(show);
  Layout();
}

void CMainFrame::AddOwnedPopup(wxWindow* window) {
  m_ownedPopups.push_back(window);
  window->Bind(wxEVT_DESTROY, [this, window](wxWindowDestroyEvent& e) {
    e.Skip();
    m_ownedPopups.erase(std::remove(m_ownedPopups.begin(), m_ownedPopups.end(), window), m_ownedPopups.end());
  });
}

// --- commands --------------------------------------------------------------------

// What the command table (shell/MainFrameCommands.cpp) cannot hold: Open
// runs the View and Edit mode's folder action when the application set one
// (else the application's own Open runs), New and Open are refused in effect
// mode before they reach the application, and the tools.
void CMainFrame::OnCommand(wxCommandEvent& event) {
  const int id = event.GetId();
  if (id == ID_FILE_OPEN && OpenFolderCallback()) {
    OpenFolderCallback()(std::string());
    return;
  }
  if (IsTool(id)) {
    SelectTool(id);
    return;
  }
  if (IsFavoriteCommand(id)) {
    OnFavoriteCommand(id);
    return;
  }
  event.Skip();
}

// --- favourite folders -------------------------------------------------------------
// Browse mode's view takes these itself (it browses the folder); in the
// other modes the folder goes to the mode's folder action (View and Edit:
// the Open dialog in that folder), and a mode without one does nothing.

bool CMainFrame::IsFavoriteCommand(int id) {
  return (id >= ID_FAVORITE_FIRST && id <= ID_FAVORITE_LAST) || id == ID_FAVORITE_MORE ||
         id == ID_ORGANIZE_FAVORITES;
}

std::function<void(const std::string&)> CMainFrame::CurrentFolderCallback() const {
  // View and Edit's action is read afresh: the application may set it
  // after this window was made.
  return m_nMode == MODE_VIEW_EDIT ? OpenFolderCallback() : m_folderCallback;
}

void CMainFrame::OnFavoriteCommand(int id) {
  IBrowseContent* favorites = m_browseView ? m_browseView->GetContent() : nullptr;
  if (!favorites) return;
  if (id == ID_ORGANIZE_FAVORITES) {
    favorites->OrganizeFavorites();
    return;
  }
  const auto callback = CurrentFolderCallback();
  if (!callback) return;
  const std::string folder =
      id == ID_FAVORITE_MORE ? favorites->ChooseFavorite() : favorites->GetFavoriteFolder(id - ID_FAVORITE_FIRST);
  if (!folder.empty()) callback(folder);
}

void CMainFrame::OnUpdateFavoriteCommand(wxUpdateUIEvent& event) {
  const int id = event.GetId();
  IBrowseContent* favorites = m_browseView ? m_browseView->GetContent() : nullptr;
  if (id == ID_ORGANIZE_FAVORITES) {
    event.Enable(favorites != nullptr);
    return;
  }
  if (!favorites || !CurrentFolderCallback()) {
    event.Enable(false);
    return;
  }
  event.Enable(id == ID_FAVORITE_MORE || !favorites->GetFavoriteFolder(id - ID_FAVORITE_FIRST).empty());
}

void CMainFrame::OnUpdateCommand(wxUpdateUIEvent& event) {
  const int id = event.GetId();
  if (id == ID_FILE_NEW || id == ID_FILE_OPEN) {
    if (m_nMode == MODE_EFFECT) {
      event.Enable(false);
      return;
    }
    if (id == ID_FILE_OPEN && OpenFolderCallback()) {
      event.Enable(true);
      return;
    }
  }
  if (IsTool(id)) {
    event.Enable(!(m_nMode == MODE_EFFECT && (id == ID_TOOL_RECT_SELECT || id == ID_TOOL_MAGIC_WAND)));
    event.Check(m_nCurrentTool == id);
    return;
  }
  if (IsFavoriteCommand(id)) {
    OnUpdateFavoriteCommand(event);
    return;
  }
  event.Skip();
}

bool CMainFrame::TryBefore(wxEvent& event) {
  const wxEventType type = event.GetEventType();
  if ((type == wxEVT_MENU || type == wxEVT_UPDATE_UI) &&
      (m_nMode == MODE_BROWSE || m_nMode == MODE_PRINT_PREVIEW || m_nMode == MODE_CONTACT_SHEET)) {
    const bool handled = m_nMode == MODE_BROWSE ? m_browseView->ForwardCommand(event)
                                                : m_previewView->ForwardCommand(event);
    if (handled) return true;
    // The clipboard commands belong to the mode's view alone: they never
    // reach the image document hidden behind it.
    const int id = event.GetId();
    if (id == ID_EDIT_COPY || id == ID_EDIT_CUT || id == ID_EDIT_PASTE) {
      if (type == wxEVT_UPDATE_UI) static_cast<wxUpdateUIEvent&>(event).Enable(false);
      return true;
    }
  }
  return wxDocParentFrame::TryBefore(event);
}

void CMainFrame::OnCharHook(wxKeyEvent& event) {
  // The desktop's keys for switching documents: Ctrl+Tab and Ctrl+F6 go to
  // the next, Ctrl+Shift+Tab and Ctrl+Shift+F6 to the previous; Ctrl+PgDn
  // and Ctrl+PgUp likewise.
  if (event.GetModifiers() == wxMOD_CONTROL || event.GetModifiers() == (wxMOD_CONTROL | wxMOD_SHIFT)) {
    const bool shift = event.ShiftDown();
    int step = 0;
    switch (event.GetKeyCode()) {
      case WXK_TAB:
      case WXK_F6: step = shift ? -1 : 1; break;
      case WXK_PAGEDOWN:
      case WXK_NUMPAD_PAGEDOWN: step = shift ? 0 : 1; break;
      case WXK_PAGEUP:
      case WXK_NUMPAD_PAGEUP: step = shift ? 0 : -1; break;
      default: break;
    }
    if (step != 0 && m_nMode == MODE_VIEW_EDIT && GetDocumentWindowCount() > 0) {
      SwitchDocumentWindow(step);
      return;
    }
  }
  if (m_nMode == MODE_EFFECT && event.GetKeyCode() == WXK_TAB) {
    // Tab moves between the controls of the effect's panel only.
    wxWindow* focus = FindFocus();
    for (wxWindow* w = focus; w; w = w->GetParent())
      if (w == m_pages[PAGE_EFFECT]) {
        event.Skip();
        return;
      }
    return;
  }
  event.Skip();
}

// --- closing and settings ----------------------------------------------------------

void CMainFrame::OnClose(wxCloseEvent& event) {
  if (GetStatusDepth() > 0) {
    // A long operation runs below us on the stack: its next abort check sees
    // the request, it unwinds, and the close is carried out then.
    SetCloseRequested(true);
    if (event.CanVeto()) event.Veto();
    return;
  }
  AskKeepEffectChanges();
  SetCloseRequested(false);
  SaveSettings();
  m_messagePane->SaveState();
  Profile().Flush();
  if (m_closeProc) {
    const auto leave = m_closeProc;
    leave(*this);
  }
  if (!CloseAllDocuments(!event.CanVeto())) {
    event.Veto();
    return;
  }
  if (wxDocManager* manager = GetDocumentManager()) manager->Clear(true);
  // Our image stays on the clipboard after the program ends where the
  // desktop keeps clipboards (a clipboard manager).
  if (OwnsClipboardImage() && wxTheClipboard->Open()) {
    wxTheClipboard->Flush();
    wxTheClipboard->Close();
  }
  StopClipboardWatch();
  Destroy();
}

bool CMainFrame::CloseAllDocuments(bool force) {
  wxDocManager* manager = GetDocumentManager();
  if (!manager) return true;
  // Every changed document is asked about first (Yes saves, No drops the
  // changes); a Cancel, or a save that fails, leaves every document open.
  // Only then do they all close.
  if (!force) {
    const wxList documents = manager->GetDocuments();
    for (auto* node = documents.GetFirst(); node; node = node->GetNext()) {
      auto* doc = static_cast<wxDocument*>(node->GetData());
      if (doc->IsModified() && !doc->OnSaveModified()) return false;
    }
  }
  return manager->CloseDocuments(force) || force;
}

void CMainFrame::OnStatusStackEmpty() {
  if (IsCloseRequested()) CallAfter([this] { Close(); });
}

void CMainFrame::TrackNormalRect() {
  if (!IsMaximized() && !IsIconized() && !IsFullScreen() && IsShown()) m_normalRect = GetRect();
}

void CMainFrame::GetPlacement(WINDOWPLACEMENT& p) const {
  p = WINDOWPLACEMENT();
  p.flags = 0;
  p.showCmd = IsIconized() ? kShowMinimized : IsMaximized() ? kShowMaximized : kShowNormal;
  p.minX = p.minY = p.maxX = p.maxY = -1;
  const wxRect r = m_normalRect.IsEmpty() ? GetRect() : m_normalRect;
  p.left = r.x;
  p.top = r.y;
  p.right = r.x + r.width;
  p.bottom = r.y + r.height;
}

void CMainFrame::ApplyPlacement(const WINDOWPLACEMENT& p) {
  wxRect r(p.left, p.top, p.right - p.left, p.bottom - p.top);
  // A placement from another screen layout is moved onto a display.
  const int display = wxDisplay::GetFromPoint(r.GetTopLeft());
  const wxRect area = wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetClientArea();
  r.width = std::clamp(r.width, kMinFrameSize.x, std::max(kMinFrameSize.x, area.width));
  r.height = std::clamp(r.height, kMinFrameSize.y, std::max(kMinFrameSize.y, area.height));
  r.x = std::clamp(r.x, area.x, std::max(area.x, area.GetRight() + 1 - r.width));
  r.y = std::clamp(r.y, area.y, std::max(area.y, area.GetBottom() + 1 - r.height));
  PlaceWindow(r);
  if (p.showCmd == kShowMaximized) Maximize(true);
  if (p.showCmd == kShowMinimized) Iconize(true);
}

void CMainFrame::CentreOnFirstStart() {
  const int display = wxDisplay::GetFromWindow(this);
  const wxRect area = wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetClientArea();
  wxRect r(GetSize());
  r.width = std::min(r.width, area.width);
  r.height = std::min(r.height, area.height);
  r.x = area.x + (area.width - r.width) / 2;
  r.y = area.y + (area.height - r.height) / 2;
  PlaceWindow(r);
}

void CMainFrame::PlaceWindow(const wxRect& r) {
  SetSize(r);
  m_normalRect = r;
  // A window manager places a window as it first maps it, whatever position
  // the window asked for before: the position is asked for again once the
  // window is shown.
  m_pendingPlacement = IsShownOnScreen() ? wxRect() : r;
  m_placementDeadline = 0;
}

void CMainFrame::KeepPendingPlacement() {
  if (m_pendingPlacement.IsEmpty() || !IsShownOnScreen()) return;
  // The window manager places the window as it maps it, and adds its frame
  // a moment later: for the first second the placement is asked for again
  // whenever the window's rectangle differs from it.
  const wxLongLong now = wxGetLocalTimeMillis();
  if (m_placementDeadline == 0) m_placementDeadline = now + 1000;
  if (now > m_placementDeadline || IsMaximized() || IsIconized() || IsFullScreen()) {
    m_pendingPlacement = wxRect();
    return;
  }
  const wxRect wanted = m_pendingPlacement;
  if (GetRect() != wanted) CallAfter([this, wanted] {
      if (!m_pendingPlacement.IsEmpty() && GetRect() != wanted) SetSize(wanted);
    });
}

void CMainFrame::SaveSettings() {
  WINDOWPLACEMENT placement;
  GetPlacement(placement);
  WriteWindowPlacement(placement, "Main Frame", "Placement");
  WriteProfileInt("Main Frame", "Current Tool", m_nCurrentTool < 0 ? -1 : CommandNumber(m_nCurrentTool));
  WriteProfileInt("Main Frame", "Show Toolbar", m_bShowToolbar ? 1 : 0);
}
