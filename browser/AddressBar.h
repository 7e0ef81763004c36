#pragma once
// CAddressBar: the bar above the thumbnails in browse mode: the label
// "Browse in", an editable drop-down of the remembered folders (newest
// first) and a button that opens the folder chooser. Enter in the box goes
// to the folder typed when it is one; otherwise "The path is not a valid
// directory" is reported and the box shows the current folder again. The
// lists themselves are the view's CAddressHistory; the bar shows them and
// hands every folder chosen to its navigate callback.

#include <wx/combobox.h>
#include <wx/panel.h>

#include <functional>
#include <string>
#include <vector>

class CAddressBar : public wxPanel {
 public:
  static constexpr int kComboId = 100;
  static constexpr int kBrowseButtonId = 101;

  explicit CAddressBar(wxWindow* parent);

  void SetNavigateCallback(std::function<void(const std::string&)> navigate) { m_navigate = std::move(navigate); }
  // The text of the box: the current folder (or "My Camera" in camera mode).
  void SetPath(const std::string& text);
  const std::string& GetPath() const { return m_path; }
  // The drop-down list.
  void SetRemembered(const std::vector<std::string>& folders);
  wxComboBox* GetCombo() const { return m_combo; }

  // Enter in the box (also the handler of its text-enter event).
  void OnEnter();
  // The folder chooser ("Choose a folder"), then the folder chosen.
  void OnBrowse();

 private:
  void OnSelect(wxCommandEvent& event);
  void RestoreText();

  wxComboBox* m_combo = nullptr;
  std::string m_path;
  std::vector<std::string> m_list;
  std::function<void(const std::string&)> m_navigate;
};
