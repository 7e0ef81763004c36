#pragma once
// Plain windows that hold the places of the mode tab bar, the task pane with
// its pages, the welcome page, the browse view and the preview view in the
// main frame. They keep the state the frame sets (shown pages, collapsed and
// print flags, selected tab, toolbar texts) and enter and leave their modes
// through the frame exactly as the full windows do, so that mode switching,
// menus, accelerators and page visibility work on them.

#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/tglbtn.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "shell/EditorHost.h"

class CMainFrame;

// --- mode tab bar ---------------------------------------------------------
class CModeTabBar : public wxPanel {
 public:
  static constexpr int kHeight = 32;
  CModeTabBar(wxWindow* parent, wxWindowID id);
  // Adds a tab that sends command when clicked.
  void AddTab(const wxString& text, int command, int toolbarResource);
  void SelectTab(int index);  // out-of-range indexes are ignored
  int GetSelectedTab() const { return m_selected; }
  // Loads the toolbar of a resource; contactSheet marks the preview's contact-sheet form.
  void LoadToolbar(int toolbarResource, bool contactSheet = false);
  int GetToolbarResource() const { return m_toolbar; }
  bool IsContactSheetToolbar() const { return m_contactSheet; }
  void SetButtonText(int index, const std::string& text);
  std::string GetButtonText(int index) const;

 private:
  void UpdateToolbarLabel();
  struct Tab {
    wxToggleButton* button;
    int command;
    int toolbar;
  };
  std::vector<Tab> m_tabs;
  int m_selected = -1;
  int m_toolbar = 0;
  bool m_contactSheet = false;
  std::vector<std::string> m_buttonTexts;
  wxStaticText* m_toolbarLabel = nullptr;
};

// --- task pane ------------------------------------------------------------
class CTaskPanePage : public wxPanel {
 public:
  CTaskPanePage(wxWindow* parent, const wxString& title);
  void SetCollapsed(bool collapsed);
  bool IsCollapsed() const { return m_collapsed; }
  void SetCollapsible(bool collapsible) { m_collapsible = collapsible; }
  bool IsCollapsible() const { return m_collapsible; }
  wxString GetTitle() const { return m_title; }

 private:
  wxString m_title;
  wxWindow* m_body = nullptr;
  bool m_collapsed = false;
  bool m_collapsible = true;
};

class CFoldersPage : public CTaskPanePage {
 public:
  explicit CFoldersPage(wxWindow* parent) : CTaskPanePage(parent, "Folders") {}
};

class CDocumentsPage : public CTaskPanePage {
 public:
  explicit CDocumentsPage(wxWindow* parent) : CTaskPanePage(parent, "Documents") {}
  void SetPrintMode(bool printMode) { m_printMode = printMode; }
  bool IsPrintMode() const { return m_printMode; }
  void SetActiveDocument(wxDocument* document) { m_active = document; }
  wxDocument* GetActiveDocument() const { return m_active; }
  // A document added (0), changed (1) or removed (2).
  void OnDocumentChange(wxDocument* document, DOCUMENT_CHANGE change) { m_events.emplace_back(document, change); }
  const std::vector<std::pair<wxDocument*, DOCUMENT_CHANGE>>& GetDocumentEvents() const { return m_events; }

 private:
  std::vector<std::pair<wxDocument*, DOCUMENT_CHANGE>> m_events;
  bool m_printMode = false;
  wxDocument* m_active = nullptr;
};

class CAnimationPage : public CTaskPanePage {
 public:
  explicit CAnimationPage(wxWindow* parent) : CTaskPanePage(parent, "Animation") {}
};

class CPrintPage : public CTaskPanePage {
 public:
  explicit CPrintPage(wxWindow* parent) : CTaskPanePage(parent, "Print") {}
};

class CEffectPage : public CTaskPanePage {
 public:
  explicit CEffectPage(wxWindow* parent) : CTaskPanePage(parent, "Effect") {}
};

class CTaskPaneBar : public wxPanel {
 public:
  static constexpr int kDefaultWidth = 220;
  CTaskPaneBar(wxWindow* parent, wxWindowID id);
  void AddPage(CTaskPanePage* page);
  // Lays out the shown pages again.
  void UpdateLayout();
};

// --- client pages ---------------------------------------------------------
// The page of the document area shown while no document is open.
class CWelcomePage : public wxPanel {
 public:
  explicit CWelcomePage(wxWindow* parent);
};

// What fills the browse page: the thumbnail view, made by the application
// (the shell does not know the browser's windows).
class IBrowseContent {
 public:
  virtual ~IBrowseContent() = default;
  virtual wxWindow* GetContentWindow() = 0;
  // The page is shown (browse mode entered) or hidden (left).
  virtual void OnEnterBrowse() = 0;
  virtual void OnLeaveBrowse() = 0;
  virtual void BrowseFolder(const std::string& folder) = 0;
};

// The browse view: enters Browse mode through the frame and leaves it again.
class COrganizeView : public wxPanel {
 public:
  // Makes the content of every browse page made afterwards (null: a label).
  static void SetContentFactory(std::function<IBrowseContent*(wxWindow* parent)> factory);
  explicit COrganizeView(wxWindow* parent);
  ~COrganizeView() override;
  IBrowseContent* GetContent() const { return m_content; }
  // Offers a command (menu or update event) to the content first; true when
  // the content handled it.
  bool ForwardCommand(wxEvent& event);
  // Takes the client area: installs the browse mode record (menu
  // IDR_BROWSE, accelerators IDR_BROWSE_ACCEL, leave and folder callbacks).
  bool ActivateBrowse(CMainFrame& frame);
  // The leave operation: returns the frame to View and Edit.
  void LeaveBrowseMode(CMainFrame& frame);
  void BrowseFolder(const std::string& folder);
  const std::string& GetFolder() const { return m_folder; }
  int GetLeaveCount() const { return m_leaveCount; }

 private:
  wxStaticText* m_label = nullptr;
  IBrowseContent* m_content = nullptr;
  std::string m_folder;
  int m_leaveCount = 0;
};

// The print preview of an image or of a contact sheet.
class CPtPreviewView : public wxPanel {
 public:
  explicit CPtPreviewView(wxWindow* parent);
  bool EnterPreview(CMainFrame& frame, bool contactSheet);
  void ClosePreview(CMainFrame& frame);
  bool IsContactSheet() const { return m_contactSheet; }

 private:
  wxStaticText* m_label = nullptr;
  bool m_contactSheet = false;
};
