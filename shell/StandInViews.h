#pragma once
// Plain windows that hold the places of the welcome page, the browse view
// and the preview view in the main frame. They enter and leave their modes
// through the frame exactly as the full windows do, so that mode switching,
// menus and accelerators work on them.

#include <wx/panel.h>
#include <wx/stattext.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class CMainFrame;
class CFoldersPage;
class wxMenuEvent;
class wxDocument;

// --- client pages ---------------------------------------------------------
// (The welcome page of the document area is CWelcomePage, shell/WelcomePage.h.)

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
  // A menu of the frame opens in browse mode (entries made on the fly).
  virtual void OnMenuOpened(wxMenuEvent& event) {}
  // Browse mode is entered: the content may put its folder tree into the
  // task pane's Folders page (called at every entry).
  virtual void AttachFoldersPage(CFoldersPage* page) {}
  // A bar shown above the content (a child of the browse page), or null.
  virtual wxWindow* GetBarWindow() { return nullptr; }
  // The favourite folders for the other modes, whose folder action differs
  // from browsing: the folder of the favourites menu's entry at an index
  // (empty past the end), the "More..." chooser's answer (empty when
  // cancelled) and the organise dialog. The menu itself is filled by
  // OnMenuOpened in every mode that shows it.
  virtual std::string GetFavoriteFolder(int index) { return {}; }
  virtual std::string ChooseFavorite() { return {}; }
  virtual void OrganizeFavorites() {}
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
  // A menu opens while browse mode is active.
  void MenuOpened(wxMenuEvent& event);
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

// What fills the preview page: the print preview, made by the application
// (the shell does not know printing).
class IPreviewContent {
 public:
  virtual ~IPreviewContent() = default;
  virtual wxWindow* GetContentWindow() = 0;
  // The preview of a document's picture or frames (mode 2), or of the
  // contact sheet handed to the content beforehand (mode 3); false refuses.
  virtual bool EnterImagePreview(wxDocument* document) = 0;
  virtual bool EnterContactSheetPreview() = 0;
  virtual void LeavePreview() = 0;
  // Mode 2: the preview moves to another document.
  virtual void SetPreviewDocument(wxDocument* document) = 0;
  virtual wxDocument* GetPreviewDocument() const = 0;
  // The printer settings changed: lay out again.
  virtual void RefreshPreview() = 0;
  // File Print outside the preview: the document through the print dialog.
  virtual bool PrintDocument(wxDocument* document) = 0;
};

// The print preview of an image or of a contact sheet.
class CPtPreviewView : public wxPanel {
 public:
  // Makes the content of every preview page made afterwards (null: a label).
  static void SetContentFactory(std::function<IPreviewContent*(wxWindow* parent, CMainFrame& frame)> factory);
  CPtPreviewView(wxWindow* parent, CMainFrame& frame);
  IPreviewContent* GetContent() const { return m_content; }
  // Offers a command (menu or update event) to the preview's own handlers;
  // true when one took it.
  bool ForwardCommand(wxEvent& event);
  bool EnterPreview(CMainFrame& frame, bool contactSheet);
  void ClosePreview(CMainFrame& frame);
  bool IsContactSheet() const { return m_contactSheet; }
  // The document the image preview shows (null: none).
  wxDocument* GetPreviewDocument() const { return m_content ? m_content->GetPreviewDocument() : nullptr; }
  void SetPreviewDocument(wxDocument* document) {
    if (m_content) m_content->SetPreviewDocument(document);
  }
  void RefreshPreview() {
    if (m_content) m_content->RefreshPreview();
  }
  bool PrintDocument(wxDocument* document) { return m_content && m_content->PrintDocument(document); }

 private:
  wxStaticText* m_label = nullptr;
  IPreviewContent* m_content = nullptr;
  bool m_contactSheet = false;
};
