#include "shell/AboutDlg.h"

#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>
#include <cmath>

#include "resources/Strings.h"
#include "shell/LinkControls.h"
#include "shell/ModalDialog.h"
#include "shell/PictureStatic.h"
#include "shell/ShellFunctions.h"

const char* const kSupportEmailAddress = "support@pictoravell.example.org";

namespace {

constexpr unsigned kMajorVersion = 3, kMinorVersion = 5;

// The libraries the program is built on, with their notices.
constexpr const char* kNotices =
    "This software is based in part on the work of the Independent JPEG Group "
    "(JPEG files are read and written with libjpeg-turbo).\n"
    "The LZW compression used by GIF files was covered by patents that have expired.\n"
    "PNG files use libpng and zlib; TIFF files use LibTIFF "
    "(Copyright Sam Leffler and Silicon Graphics, Inc.).\n"
    "Windows and dialogs use wxWidgets and GTK; web publishing uses libcurl.";

}  // namespace

CRasterImage MakeProductPicture(int width, int height) {
  CRasterImage image;
  if (!image.Create(width, height, 24)) return image;
  const double sunX = width * 0.72, sunY = height * 0.3, sunR = height * 0.14;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.GetWritableBits() + static_cast<int64_t>(y) * image.GetStride();
    for (int x = 0; x < width; ++x) {
      const double t = static_cast<double>(y) / height;
      // Sky from deep blue to pale, a sun, two ridges of hills and a lake.
      double r = 40 + 150 * t, g = 80 + 140 * t, b = 170 + 70 * t;
      if (std::hypot(x - sunX, y - sunY) < sunR) r = 255, g = 210, b = 90;
      const double ridge1 = height * (0.62 + 0.10 * std::sin(x * 0.045));
      const double ridge2 = height * (0.72 + 0.06 * std::sin(x * 0.08 + 1.3));
      if (y > ridge1) r = 70, g = 110, b = 80;
      if (y > ridge2) r = 40, g = 85, b = 50;
      if (y > height * 0.86) r = 60, g = 110 + 20 * std::sin(x * 0.3), b = 170;
      row[3 * x] = static_cast<uint8_t>(std::clamp(r, 0.0, 255.0));
      row[3 * x + 1] = static_cast<uint8_t>(std::clamp(g, 0.0, 255.0));
      row[3 * x + 2] = static_cast<uint8_t>(std::clamp(b, 0.0, 255.0));
    }
  }
  return image;
}

wxString AboutVersionText() { return wxString::Format("Version %u.%u", kMajorVersion, kMinorVersion); }

CAboutDlg::CAboutDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString("About ") + kProductName), m_picture(MakeProductPicture(160, 120)) {
  auto* top = new wxBoxSizer(wxHORIZONTAL);
  auto* picture = new CPictureStatic(this, IDC_ABOUT_PICTURE, wxDefaultPosition, wxSize(160, 120));
  picture->SetImage(&m_picture);
  top->Add(picture, 0, wxALL, 12);
  auto* text = new wxBoxSizer(wxVERTICAL);
  auto* name = new wxStaticText(this, wxID_ANY, kProductName);
  name->SetFont(name->GetFont().Bold().Scaled(1.4f));
  text->Add(name, 0, wxBOTTOM, 2);
  text->Add(new wxStaticText(this, IDC_ABOUT_VERSION, AboutVersionText()), 0, wxBOTTOM, 8);
  auto linkRow = [&](const char* label, int id, const wxString& shown, const std::string& target) {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    auto* link = new CHyperlinkStatic(this, id, shown);
    link->SetTarget(target);
    row->Add(link, 0, wxALIGN_CENTER_VERTICAL);
    return row;
  };
  text->Add(linkRow("Email:", IDC_ABOUT_EMAIL, kSupportEmailAddress, std::string("mailto:") + kSupportEmailAddress), 0,
            wxBOTTOM, 4);
  text->Add(linkRow("Web:", IDC_ABOUT_WEB, kWebSiteUrl, kWebSiteUrl), 0, wxBOTTOM, 4);
  auto* readme = new wxBoxSizer(wxHORIZONTAL);
  readme->Add(new wxStaticText(this, wxID_ANY, "For other information please read"), 0,
              wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  auto* readmeLink = new CHyperlinkStatic(this, IDC_ABOUT_README, "Readme.txt");
  readmeLink->SetTarget(GetReadmePath());
  readme->Add(readmeLink, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  readme->Add(new wxStaticText(this, wxID_ANY, "file."), 0, wxALIGN_CENTER_VERTICAL);
  text->Add(readme, 0, wxBOTTOM, 10);
  auto* notices = new wxStaticText(this, wxID_ANY, kNotices);
  notices->Wrap(380);
  notices->SetFont(notices->GetFont().Smaller());
  text->Add(notices, 0);
  top->Add(text, 1, wxTOP | wxRIGHT | wxBOTTOM, 12);
  SetSizerAndFit(top);
  // A click on the box itself (not on a control) closes it, as OK would.
  auto close = [this](wxMouseEvent& event) {
    event.Skip();
    if (IsModal()) EndModal(wxID_OK);
  };
  Bind(wxEVT_LEFT_DOWN, close);
  picture->Bind(wxEVT_LEFT_DOWN, close);
  for (wxWindow* child : GetChildren())
    if (dynamic_cast<wxStaticText*>(child)) child->Bind(wxEVT_LEFT_DOWN, close);
  // The Readme opens as Help Topics does (the desktop's application for it).
  readmeLink->Bind(wxEVT_LEFT_DOWN, [](wxMouseEvent&) { OpenReadme(); });
}

void RunAboutDialog(wxWindow* parent) {
  CAboutDlg dialog(parent);
  RunModalDialog(dialog);
}
