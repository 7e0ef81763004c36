#pragma once
// Prints a wxPrintout into a PDF file without a print dialog or a printer:
// each page is drawn through a wxGCDC over a cairo PDF surface. cairo is
// reached at run time (wx already loaded it), so the tests need no extra
// link step.

#include <dlfcn.h>
#include <wx/dcgraph.h>
#include <wx/graphics.h>
#include <wx/print.h>

#include <memory>
#include <string>

namespace print_test {

struct CairoApi {
  void* (*pdfSurfaceCreate)(const char*, double, double) = nullptr;
  void* (*create)(void*) = nullptr;
  void (*showPage)(void*) = nullptr;
  void (*destroy)(void*) = nullptr;
  void (*surfaceFinish)(void*) = nullptr;
  void (*surfaceDestroy)(void*) = nullptr;
  bool ok = false;
};

inline const CairoApi& Cairo() {
  static const CairoApi api = [] {
    CairoApi a;
    void* lib = dlopen("libcairo.so.2", RTLD_NOW | RTLD_NOLOAD);
    if (!lib) lib = dlopen("libcairo.so.2", RTLD_NOW);
    if (!lib) return a;
    a.pdfSurfaceCreate = reinterpret_cast<decltype(a.pdfSurfaceCreate)>(dlsym(lib, "cairo_pdf_surface_create"));
    a.create = reinterpret_cast<decltype(a.create)>(dlsym(lib, "cairo_create"));
    a.showPage = reinterpret_cast<decltype(a.showPage)>(dlsym(lib, "cairo_show_page"));
    a.destroy = reinterpret_cast<decltype(a.destroy)>(dlsym(lib, "cairo_destroy"));
    a.surfaceFinish = reinterpret_cast<decltype(a.surfaceFinish)>(dlsym(lib, "cairo_surface_finish"));
    a.surfaceDestroy = reinterpret_cast<decltype(a.surfaceDestroy)>(dlsym(lib, "cairo_surface_destroy"));
    a.ok = a.pdfSurfaceCreate && a.create && a.showPage && a.destroy && a.surfaceFinish && a.surfaceDestroy;
    return a;
  }();
  return api;
}

// Prints pages 1 .. pages of the printout on pages of width x height points
// (72 per inch, which is also the printout's pixel size). False when cairo
// or its PDF surface is not available.
inline bool PrintToPdf(wxPrintout& printout, const std::string& path, int width, int height, int pages = 1) {
  const CairoApi& cairo = Cairo();
  if (!cairo.ok) return false;
  void* surface = cairo.pdfSurfaceCreate(path.c_str(), width, height);
  if (!surface) return false;
  void* cr = cairo.create(surface);
  bool ok = false;
  {
    wxGraphicsContext* gc = wxGraphicsRenderer::GetCairoRenderer()->CreateContextFromNativeContext(cr);
    if (gc) {
      wxGCDC dc(gc);
      printout.SetDC(&dc);
      printout.SetPageSizePixels(width, height);
      printout.SetPageSizeMM(width * 25.4 / 72, height * 25.4 / 72);
      printout.SetPPIPrinter(72, 72);
      printout.SetPPIScreen(72, 72);
      printout.OnPreparePrinting();
      printout.OnBeginPrinting();
      ok = printout.OnBeginDocument(1, pages);
      for (int page = 1; ok && page <= pages; ++page) {
        ok = printout.OnPrintPage(page);
        dc.GetGraphicsContext()->Flush();
        cairo.showPage(cr);
      }
      printout.OnEndDocument();
      printout.OnEndPrinting();
      printout.SetDC(nullptr);
    }
  }
  cairo.destroy(cr);
  cairo.surfaceFinish(surface);
  cairo.surfaceDestroy(surface);
  return ok;
}

}  // namespace print_test
