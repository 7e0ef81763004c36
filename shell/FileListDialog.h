#pragma once
// CFileListDlg: the base of dialogs that gather a list of files. It owns an
// owner-drawn list of full paths (each with its file-type icon), "Add..."
// (the image file dialog, several files at once, titled "Add Files"),
// "Remove" (the selected entries), "Remove All" and the label
// "%d files selected". Derived dialogs build their own controls around the
// list area (CreateListArea) and may override the three virtual operations.

#include <wx/dialog.h>
#include <wx/vlbox.h>

#include <map>
#include <string>
#include <vector>

class wxButton;
class wxSizer;
class wxStaticText;

// The controls' ids.
enum FILE_LIST_DIALOG_ID {
  IDC_FILE_LIST = 1076,
  IDC_FILE_LIST_ADD = 1059,
  IDC_FILE_LIST_REMOVE = 1064,
  IDC_FILE_LIST_REMOVE_ALL = 1065,
  IDC_FILE_LIST_COUNT = 1066,
};

// The list: one row per path, an icon of the file's type at (2, 1) and the
// path beside it, the selection in the highlight colours. Several rows are
// selected as in any list (Ctrl toggles, Shift extends).
class CFileListBox : public wxVListBox {
 public:
  CFileListBox(wxWindow* parent, int id);

  const std::vector<std::string>& GetPaths() const { return m_paths; }
  void Append(const std::string& path);
  void RemoveAt(size_t index);
  void ClearPaths();
  // The index of the first selected row, or -1.
  int GetFirstSelectedRow() const;
  int GetSelectedRowCount() const { return static_cast<int>(GetSelectedCount()); }

  // The row height: the small icon's side + 2 (more when the text is taller).
  static int RowHeight(const wxWindow& window);

 protected:
  void OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const override;
  void OnDrawBackground(wxDC& dc, const wxRect& rect, size_t n) const override;
  wxCoord OnMeasureItem(size_t n) const override;

 private:
  // The icon of the file's type (by extension), remembered per extension.
  const wxBitmap& IconFor(const std::string& path) const;

  std::vector<std::string> m_paths;
  mutable std::map<std::string, wxBitmap> m_icons;
};

class CFileListDlg : public wxDialog {
 public:
  CFileListDlg(wxWindow* parent, int id, const wxString& title);

  // The count label, "Remove All" when there are entries, "Remove" when
  // some are selected.
  virtual void UpdateControls();
  // Adds the path at the end unless the list holds it already (compared
  // exactly); then UpdateControls.
  virtual void AddFile(const std::string& path);
  // Enables or disables the list and "Add..."; enabling runs UpdateControls,
  // disabling disables "Remove" and "Remove All" too.
  virtual void EnableControls(bool enable);

  const std::vector<std::string>& GetFiles() const { return m_list->GetPaths(); }
  CFileListBox* GetList() const { return m_list; }

 protected:
  // The list with "Add...", "Remove", "Remove All" and the count label,
  // for the derived dialog's sizer. Call once, in the constructor.
  wxSizer* CreateListArea();
  // "Add...": the image file dialog; each chosen file through AddFile, in order.
  void OnAddFiles();
  void OnRemove();
  void OnRemoveAll();
  bool HasFile(const std::string& path) const;

  CFileListBox* m_list = nullptr;
  wxButton* m_add = nullptr;
  wxButton* m_remove = nullptr;
  wxButton* m_removeAll = nullptr;
  wxStaticText* m_count = nullptr;
};
