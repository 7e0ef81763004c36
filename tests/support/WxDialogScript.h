#pragma once
// Scripts the modal dialogs a test causes, in the order they appear.
//
//   DialogScript script;
//   script.Run([](wxDialog& d) { ...; d.EndModal(wxID_OK); });  // shown; runs in its loop
//   script.Answer(wxID_NO);                                      // not shown; ShowModal answers
//
// A modal dialog with no step left fails the test and is answered Cancel.
// Message boxes record their text in messages().

#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

class DialogScript : public wxModalDialogHook {
 public:
  DialogScript() { Register(); }
  ~DialogScript() override {
    Unregister();
    EXPECT_TRUE(m_steps.empty()) << m_steps.size() << " scripted dialog(s) never appeared";
  }
  DialogScript(const DialogScript&) = delete;
  DialogScript& operator=(const DialogScript&) = delete;

  void Answer(int id) { m_steps.push_back({id, {}}); }
  void Run(std::function<void(wxDialog&)> script) { m_steps.push_back({wxID_NONE, std::move(script)}); }

  size_t Remaining() const { return m_steps.size(); }
  const std::vector<std::string>& titles() const { return m_titles; }
  const std::vector<std::string>& messages() const { return m_messages; }

 protected:
  int Enter(wxDialog* dialog) override {
    // Some dialogs (the toolkit's file chooser) pass through the hook twice.
    if (std::find(m_open.begin(), m_open.end(), dialog) != m_open.end()) return wxID_NONE;
    wxString title = dialog->GetTitle();
    if (auto* chooser = dynamic_cast<wxFileDialog*>(dialog)) title = chooser->GetMessage();
    m_titles.push_back(title.utf8_string());
    if (auto* box = dynamic_cast<wxMessageDialog*>(dialog)) m_messages.push_back(box->GetMessage().utf8_string());
    if (m_steps.empty()) {
      ADD_FAILURE() << "unexpected modal dialog \"" << m_titles.back() << "\"";
      return wxID_CANCEL;
    }
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    if (!step.script) return step.id;
    m_open.push_back(dialog);
    dialog->CallAfter([dialog, script = std::move(step.script)] { script(*dialog); });
    return wxID_NONE;
  }
  void Exit(wxDialog* dialog) override { m_open.erase(std::remove(m_open.begin(), m_open.end(), dialog), m_open.end()); }

 private:
  struct Step {
    int id;
    std::function<void(wxDialog&)> script;
  };
  std::deque<Step> m_steps;
  std::vector<wxDialog*> m_open;  // shown by a script and not yet ended
  std::vector<std::string> m_titles;
  std::vector<std::string> m_messages;
};

// Sends a button's click as the toolkit does.
inline void ClickButton(wxWindow* button) {
  wxCommandEvent event(wxEVT_BUTTON, button->GetId());
  event.SetEventObject(button);
  button->ProcessWindowEvent(event);
}

}  // namespace testing_support
