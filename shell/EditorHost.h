#pragma once
// What the editor (documents, their views and child frames) reaches of the
// main window: a narrow interface instead of the main frame itself, so the
// editor sees only these calls and tests can stand in for the window.
//
// The main frame installs itself on construction and removes itself when it
// is destroyed; EditorHost() is null without a main window (headless tests,
// shut-down), and every caller copes with that.

#include <functional>
#include <string>

class wxDocument;
class wxWindow;

// What happened to a document, for the Documents page.
enum DOCUMENT_CHANGE { DOCUMENT_ADDED = 0, DOCUMENT_CHANGED = 1, DOCUMENT_REMOVED = 2 };

class IEditorHost {
 public:
  virtual ~IEditorHost() = default;
  // The parent of dialogs and message boxes.
  virtual wxWindow* GetDialogParent() = 0;
  // The parent of document windows, and adding, showing and removing one.
  virtual wxWindow* GetDocumentParent() const = 0;
  virtual void AddDocumentWindow(wxWindow* window) = 0;
  // Shows a document window (its tab becomes the selected one).
  virtual bool ActivateDocumentWindow(wxWindow* window) = 0;
  virtual void RemoveDocumentWindow(wxWindow* window) = 0;
  // The document window shown while the main window is in View and Edit
  // (null in the other modes or without documents).
  virtual wxWindow* GetShownEditingWindow() const = 0;
  // The name of a document window's tab (a modified document's carries a
  // mark); the main window's title names the shown one.
  virtual void SetDocumentWindowTitle(wxWindow* window, const std::string& name, bool modified) = 0;
  // The document of the active view; a closing document stops being it.
  virtual void SetActiveDocument(wxDocument* document) = 0;
  virtual void OnDocumentClose(wxDocument* document) = 0;
  virtual void NotifyDocumentChange(wxDocument* document, DOCUMENT_CHANGE change) = 0;
  // Effect mode: entered only from View and Edit; the running effect's name.
  // `settle` applies (true) or drops (false) the running effect of the
  // document when the user is asked about it.
  virtual bool EnterEffectMode(const std::string& effectName, std::function<void(bool)> settle,
                               wxDocument* document) = 0;
  virtual void LeaveEffectMode() = 0;
  // In effect mode: the window that parents the effect's panel (the Effect
  // page), and hosting the panel there. Leaving effect mode destroys the
  // panel. Null and nothing outside effect mode.
  virtual wxWindow* GetEffectPanelParent() const = 0;
  virtual void ShowEffectPanel(wxWindow* panel) = 0;
  // In effect mode only: asks whether to keep the effect's changes (the
  // effect's name as caption, the question icon, Yes and No); Yes applies
  // the effect, No drops it, and effect mode ends either way. False outside
  // effect mode.
  virtual bool AskKeepEffectChanges() = 0;
  virtual std::string GetEffectName() const = 0;
  // True from the start of the main window's destruction.
  virtual bool IsClosingDown() const = 0;
  // The current mouse tool of the editing views (ID_TOOL_...), -1 for none.
  virtual int GetCurrentTool() const { return -1; }
};

// The installed host, or null.
IEditorHost* EditorHost();
void SetEditorHost(IEditorHost* host);
