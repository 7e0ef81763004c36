#include "browser/BrowserFileDialogs.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/datetime.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cstdio>

#include "base/Profile.h"
#include "browser/ImageBrowserView.h"
#include "platform/PathFunctions.h"
#include "shell/ImagePreviewCtrl.h"
#include "shell/ModalDialog.h"

namespace {

wxString U(const std::string& text) { return wxString::FromUTF8(text); }
std::string S(const wxString& text) { return std::string(text.utf8_str()); }

constexpr const char* kOptions = "Browse Mode Options";

}  // namespace

// --- Rename Files -------------------------------------------------------------------

std::string MakeRenameExample(const std::string& base, int digits) {
  char number[32];
  std::snprintf(number, sizeof number, "%.*d", digits < 0 ? 0 : digits > 10 ? 10 : digits, 1);
  return base + number + ".jpg";
}

bool RunRenameFilesDialog(wxWindow* parent, const std::string& firstName, int count, std::string& base,
                          int& digits) {
  // The name without its extension (whatever its length).
  std::string name = GetFileTitlePart(firstName);
  if (name.size() > 256) name.resize(256);
  int stored = GetProfileInt(kOptions, "Number of digits", 2);
  if (stored < 1) stored = 1;
  if (stored > 10) stored = 10;

  wxDialog dialog(parent, wxID_ANY, "Rename Files");
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  auto* grid = new wxFlexGridSizer(2, 5, 8);
  grid->Add(new wxStaticText(&dialog, wxID_ANY, "New name:"), 0, wxALIGN_CENTER_VERTICAL);
  auto* edit = new wxTextCtrl(&dialog, IDC_NAME_EDIT, U(name), wxDefaultPosition, wxSize(220, -1));
  edit->SetMaxLength(256);
  grid->Add(edit, 1, wxEXPAND);
  grid->Add(new wxStaticText(&dialog, wxID_ANY, "Number of digits:"), 0, wxALIGN_CENTER_VERTICAL);
  wxArrayString choices;
  for (int i = 1; i <= 10; ++i) choices.Add(wxString::Format("%d", i));
  auto* combo = new wxChoice(&dialog, IDC_DIGITS_COMBO, wxDefaultPosition, wxDefaultSize, choices);
  combo->SetSelection(stored - 1);
  grid->Add(combo, 0);
  grid->Add(new wxStaticText(&dialog, wxID_ANY, "Example:"), 0, wxALIGN_CENTER_VERTICAL);
  auto* example = new wxStaticText(&dialog, IDC_EXAMPLE_TEXT, wxEmptyString);
  grid->Add(example, 1, wxEXPAND);
  grid->AddGrowableCol(1);
  sizer->Add(grid, 1, wxEXPAND | wxALL, 10);
  sizer->Add(dialog.CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
  dialog.SetSizerAndFit(sizer);

  auto update = [&] { example->SetLabel(U(MakeRenameExample(S(edit->GetValue()), combo->GetSelection() + 1))); };
  update();
  if (count <= 1) {
    combo->Disable();
    example->Disable();
  }
  edit->Bind(wxEVT_TEXT, [&](wxCommandEvent&) { update(); });
  combo->Bind(wxEVT_CHOICE, [&](wxCommandEvent&) { update(); });
  // A name that would leave the folder or hide the file is refused here.
  dialog.Bind(
      wxEVT_BUTTON,
      [&](wxCommandEvent& event) {
        if (!IsValidTypedName(S(edit->GetValue()))) {
          wxMessageBox("Please enter a valid file name: it cannot be empty, \".\" or \"..\", or contain '/' or "
                       "control characters.",
                       "Rename Files", wxOK | wxICON_EXCLAMATION, &dialog);
          return;
        }
        event.Skip();
      },
      wxID_OK);
  if (RunModalDialog(dialog) != wxID_OK) return false;
  base = S(edit->GetValue());
  digits = combo->GetSelection() + 1;
  WriteProfileInt(kOptions, "Number of digits", digits);
  return true;
}

// --- Confirm File Delete ------------------------------------------------------------

READ_ONLY_ANSWER ConfirmReadOnlyFile(wxWindow* parent, const std::string& path, const std::string& newPath,
                                     bool offerYesToAll) {
  const bool rename = !newPath.empty();
  wxDialog dialog(parent, wxID_ANY, "Confirm File Delete");
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(new wxStaticBitmap(&dialog, 1323,
                              wxArtProvider::GetBitmap(rename ? wxART_WARNING : wxART_DELETE, wxART_MESSAGE_BOX)),
           0, wxALL, 10);
  const std::string message =
      rename ? "Are you sure you want to rename the read-only file '" + GetFileNamePart(path) + "' to '" +
                   GetFileNamePart(newPath) + "'?"
             : "The file '" + GetFileNamePart(path) +
                   "' is a read-only file. Are you sure you want to move it to the Recycle Bin?";
  auto* text = new wxStaticText(&dialog, IDC_CONFIRM_MESSAGE, U(message));
  text->Wrap(360);
  row->Add(text, 1, wxALL | wxALIGN_CENTER_VERTICAL, 10);
  sizer->Add(row, 1, wxEXPAND);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(new wxButton(&dialog, IDC_CONFIRM_YES, "&Yes"), 0, wxALL, 5);
  auto* all = new wxButton(&dialog, IDC_CONFIRM_YES_TO_ALL, "Yes To &All");
  all->Enable(offerYesToAll);
  buttons->Add(all, 0, wxALL, 5);
  buttons->Add(new wxButton(&dialog, IDC_CONFIRM_NO, "&No"), 0, wxALL, 5);
  buttons->Add(new wxButton(&dialog, wxID_CANCEL, "Cancel"), 0, wxALL, 5);
  sizer->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 5);
  dialog.SetSizerAndFit(sizer);
  dialog.SetEscapeId(wxID_CANCEL);
  for (int id : {IDC_CONFIRM_YES, IDC_CONFIRM_YES_TO_ALL, IDC_CONFIRM_NO})
    dialog.Bind(wxEVT_BUTTON, [&dialog, id](wxCommandEvent&) { dialog.EndModal(id); }, id);
  switch (RunModalDialog(dialog)) {
    case IDC_CONFIRM_YES: return ANSWER_YES;
    case IDC_CONFIRM_YES_TO_ALL: return ANSWER_YES_TO_ALL;
    case IDC_CONFIRM_NO: return ANSWER_NO;
    default: return ANSWER_CANCEL;
  }
}

// --- Multiple File Properties --------------------------------------------------------

std::string FormatDiskSize(uint64_t bytes) {
  char text[96];
  std::snprintf(text, sizeof text, "%llu K on disk (%llu bytes)", static_cast<unsigned long long>(bytes / 1024),
                static_cast<unsigned long long>(bytes));
  return text;
}

namespace {

wxCheckBoxState ToBoxState(int state) {
  return state == TRI_ALL ? wxCHK_CHECKED : state == TRI_SOME ? wxCHK_UNDETERMINED : wxCHK_UNCHECKED;
}

// A three-state box the program sets; a click toggles between off and on (a
// mixed box turns off), so the user is never offered the mixed state.
wxCheckBox* AddStateBox(wxDialog& dialog, wxSizer* sizer, int id, const char* label, int& state) {
  auto* box = new wxCheckBox(&dialog, id, label, wxDefaultPosition, wxDefaultSize, wxCHK_3STATE);
  box->Set3StateValue(ToBoxState(state));
  box->Bind(wxEVT_CHECKBOX, [box, &state](wxCommandEvent&) {
    state = state == TRI_NONE ? TRI_ALL : TRI_NONE;
    box->Set3StateValue(ToBoxState(state));
  });
  sizer->Add(box, 0, wxALL, 4);
  return box;
}

}  // namespace

bool RunMultiFilePropertiesDialog(wxWindow* parent, int files, uint64_t totalSize, int& readOnly, int& hidden,
                                  int& archive) {
  int states[3] = {readOnly, hidden, archive};
  wxDialog dialog(parent, wxID_ANY, "Multiple File Properties");
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(new wxStaticText(&dialog, IDC_FILE_COUNT_TEXT, wxString::Format("%d files selected", files)), 0,
             wxALL, 8);
  sizer->Add(new wxStaticText(&dialog, IDC_TOTAL_SIZE_TEXT, U("Total file size: " + FormatDiskSize(totalSize))), 0,
             wxLEFT | wxRIGHT | wxBOTTOM, 8);
  auto* boxes = new wxStaticBoxSizer(wxVERTICAL, &dialog, "Attributes");
  AddStateBox(dialog, boxes, IDC_READ_ONLY_CHECK, "Read-only", states[0]);
  // Archive has no meaning on these file systems; hidden is the name's
  // leading dot and is shown, not set.
  AddStateBox(dialog, boxes, IDC_ARCHIVED_CHECK, "Archived", states[2])->Disable();
  AddStateBox(dialog, boxes, IDC_HIDDEN_CHECK, "Hidden", states[1])->Disable();
  sizer->Add(boxes, 0, wxEXPAND | wxALL, 8);
  sizer->Add(dialog.CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 8);
  dialog.SetSizerAndFit(sizer);
  if (RunModalDialog(dialog) != wxID_OK) return false;
  readOnly = states[0];
  hidden = states[1];
  archive = states[2];
  return true;
}

// --- File Properties -----------------------------------------------------------------

std::string ColorModeText(int depth, bool gray) {
  char text[64];
  if (depth == 1) return "1 bit black and white";
  if (depth >= 2 && depth <= 7) {
    std::snprintf(text, sizeof text, "%d bit indexed color", depth);
    return text;
  }
  if (depth == 8) return gray ? "8 bit gray scale" : "8 bit indexed color";
  if (depth == 15 || depth == 16) {
    std::snprintf(text, sizeof text, "%d bit high color", depth);
    return text;
  }
  if (depth == 24) return "24 bit full color";
  if (depth == 32) return "32 bit full color with alpha";
  return "Unknown";
}

namespace {

std::string FormatFileTime(FILETIME64 time) {
  if (time == 0) return std::string();
  const int64_t seconds = static_cast<int64_t>(time / 10000000) - 11644473600LL;
  return S(wxDateTime(static_cast<time_t>(seconds)).Format("%A, %B %d, %Y %I:%M:%S %p"));
}

class CFilePropertiesDlg : public wxDialog {
 public:
  CFilePropertiesDlg(wxWindow* parent, CImageBrowserView& view) : wxDialog(parent, wxID_ANY, "File Properties"), m_view(view) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* top = new wxBoxSizer(wxHORIZONTAL);
    m_preview = new CImagePreviewCtrl(this, IDC_PREVIEW, wxDefaultPosition, wxSize(128, 128));
    m_preview->SetFaceBackground(true);
    top->Add(m_preview, 0, wxALL, 8);
    auto* right = new wxBoxSizer(wxVERTICAL);
    m_name = new wxTextCtrl(this, IDC_NAME_EDIT, wxEmptyString, wxDefaultPosition, wxSize(260, -1));
    right->Add(m_name, 0, wxEXPAND | wxBOTTOM, 6);
    m_readOnly = new wxCheckBox(this, IDC_READ_ONLY_CHECK, "Read-only");
    m_archived = new wxCheckBox(this, IDC_ARCHIVED_CHECK, "Archived");
    m_hidden = new wxCheckBox(this, IDC_HIDDEN_CHECK, "Hidden");
    m_archived->Disable();  // no archive bit on these file systems
    m_hidden->Disable();    // the name's leading dot: rename to change it
    for (wxCheckBox* box : {m_readOnly, m_archived, m_hidden}) right->Add(box, 0, wxBOTTOM, 3);
    top->Add(right, 1, wxEXPAND | wxALL, 8);
    sizer->Add(top, 0, wxEXPAND);
    m_list = new wxListCtrl(this, IDC_PROPERTY_LIST, wxDefaultPosition, wxSize(440, 200),
                            wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_HRULES | wxLC_VRULES);
    m_list->AppendColumn("Property");
    m_list->AppendColumn("Value");
    sizer->Add(m_list, 1, wxEXPAND | wxLEFT | wxRIGHT, 8);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, IDC_PREVIOUS_FILE, "<<", wxDefaultPosition, wxSize(40, -1)), 0, wxALL, 4);
    buttons->Add(new wxButton(this, IDC_NEXT_FILE, ">>", wxDefaultPosition, wxSize(40, -1)), 0, wxALL, 4);
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(this, wxID_OK, "OK"), 0, wxALL, 4);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxALL, 4);
    m_apply = new wxButton(this, IDC_APPLY, "Apply");
    buttons->Add(m_apply, 0, wxALL, 4);
    sizer->Add(buttons, 0, wxEXPAND | wxALL, 4);
    SetSizerAndFit(sizer);

    m_name->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { if (!m_bFilling) m_apply->Enable(); });
    m_readOnly->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { m_apply->Enable(); });
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { if (ApplyChanges(false)) { m_apply->Disable(); m_view.InvalidateItem(m_index); } }, IDC_APPLY);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { if (ApplyChanges(false)) EndModal(wxID_OK); }, wxID_OK);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Step(+1); }, IDC_NEXT_FILE);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Step(-1); }, IDC_PREVIOUS_FILE);

    CBrowserItemList& items = m_view.GetItems();
    m_index = -1;
    for (int i = 0; i < items.GetCount(); ++i)
      if (items[i].m_bSelected) {
        m_index = i;
        break;
      }
    if (m_index < 0 && items.GetCount() > 0) {
      m_index = 0;
      m_view.SelectOnly(0);
      m_view.EnsureVisible(0, true);
    }
    ShowItem();
  }

 private:
  void AddRow(const std::string& name, const std::string& value) {
    const long row = m_list->InsertItem(m_list->GetItemCount(), U(name));
    m_list->SetItem(row, 1, U(value));
  }

  void ShowItem() {
    m_list->DeleteAllItems();
    if (m_index < 0) return;
    const CBrowserItem& item = m_view.GetItems()[m_index];
    m_bFilling = true;
    m_name->SetValue(U(item.m_strName));
    m_bFilling = false;
    m_readOnly->SetValue(item.m_bReadOnly != 0);
    m_archived->SetValue(item.m_bArchive != 0);
    m_hidden->SetValue(item.m_bHidden != 0);
    FOUND_FILE found;
    const uint64_t size = GetFoundFile(item.GetFullPath(), found) ? found.nSize : item.m_nFileSize;
    AddRow("File Size", FormatDiskSize(size));
    AddRow("Location", item.GetFolder());
    AddRow("Date Created", FormatFileTime(item.m_ftCreation));
    AddRow("Date Modified", FormatFileTime(item.m_ftLastWrite));
    m_thumb = item.m_pThumbFrames;
    if (m_thumb && !m_thumb->empty()) {
      const CRasterImage& image = (*m_thumb)[0].m_image;
      m_preview->SetImage(&image);
      m_preview->SetImageSize(item.m_nThumbWidth, item.m_nThumbHeight);
      AddRow("Image Dimension", S(wxString::Format("W: %d  H: %d", item.m_nWidth, item.m_nHeight)));
      const int depth = item.m_nBitsPerPixel ? item.m_nBitsPerPixel : image.GetBitsPerPixel();
      AddRow("Color Mode", ColorModeText(depth, image.IsGrayscale()));
      if (item.m_nFrames > 1) AddRow("Number Of Frames", S(wxString::Format("%d", item.m_nFrames)));
    } else {
      m_preview->SetImage(nullptr);
    }
    m_preview->Refresh();
    for (const auto& pair : item.m_properties) AddRow(pair.name, pair.value);
    m_list->SetColumnWidth(0, wxLIST_AUTOSIZE);
    m_list->SetColumnWidth(1, wxLIST_AUTOSIZE_USEHEADER);
    m_apply->Disable();
  }

  bool ApplyChanges(bool ask) {
    if (m_index < 0) return true;
    CBrowserItem& item = m_view.GetItems()[m_index];
    const std::string name = S(m_name->GetValue());
    if (name.empty()) {
      if (wxMessageBox("Please enter a valid filename, or click CANCEL to discard filename change.",
                       "File Properties", wxOK | wxCANCEL, this) == wxOK)
        return false;
      m_bFilling = true;
      m_name->SetValue(U(item.m_strName));
      m_bFilling = false;
      return true;
    }
    if (!IsValidTypedName(name)) {
      wxMessageBox("A file name cannot be \".\" or \"..\", or contain '/' or control characters.",
                   "File Properties", wxOK | wxICON_EXCLAMATION, this);
      return false;
    }
    const bool readOnly = m_readOnly->GetValue();
    const bool changed = name != item.m_strName || readOnly != (item.m_bReadOnly != 0);
    if (!changed) return true;
    if (ask && wxMessageBox("Do you want to keep the changes?", "File Properties", wxYES_NO, this) != wxYES)
      return true;
    if (name != item.m_strName) item.Rename(name);
    item.SetAttributes(readOnly, item.m_bHidden != 0, item.m_bArchive != 0);
    return true;
  }

  void Step(int direction) {
    if (m_index < 0 || !ApplyChanges(true)) return;
    const int count = m_view.GetItems().GetCount();
    const int old = m_index;
    m_index = (m_index + direction + count) % count;
    m_view.SelectOnly(m_index);
    m_view.InvalidateItem(old);
    m_view.EnsureVisible(m_index, true);
    ShowItem();
  }

  CImageBrowserView& m_view;
  CImagePreviewCtrl* m_preview;
  wxTextCtrl* m_name;
  wxCheckBox *m_readOnly, *m_archived, *m_hidden;
  wxListCtrl* m_list;
  wxButton* m_apply;
  CThumbFrames m_thumb;  // held while the preview shows it
  int m_index = -1;
  bool m_bFilling = false;
};

}  // namespace

bool RunFilePropertiesDialog(wxWindow* parent, CImageBrowserView& view) {
  CFilePropertiesDlg dialog(parent, view);
  return RunModalDialog(dialog) == wxID_OK;
}
