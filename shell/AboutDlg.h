#pragma once
// "About Pictoravell": the product picture, the version, links to the Readme
// beside the program, the support address and the maker's site, and the
// notices of the libraries the program uses. A click on the box's own
// surface closes it.

#include <wx/dialog.h>

#include "imaging/RasterImage.h"

class CHyperlinkStatic;
class CPictureStatic;

class CAboutDlg : public wxDialog {
 public:
  enum { IDC_ABOUT_PICTURE = 1273, IDC_ABOUT_README = 1270, IDC_ABOUT_EMAIL = 1269, IDC_ABOUT_WEB = 1267,
         IDC_ABOUT_VERSION = 1317 };
  explicit CAboutDlg(wxWindow* parent);

 private:
  CRasterImage m_picture;
};

// The product picture: a small landscape drawn in code.
CRasterImage MakeProductPicture(int width, int height);
// "Version 3.5".
wxString AboutVersionText();
// The support address behind the e-mail link.
extern const char* const kSupportEmailAddress;

void RunAboutDialog(wxWindow* parent);
