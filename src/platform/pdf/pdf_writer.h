#pragma once
// Printed pages as a PDF document, drawn with cairo and pango: the texts in
// a CJK font (Noto Sans CJK, or whatever fontconfig offers for Chinese)
// whose used glyphs are embedded, so the document shows and its text can be
// copied anywhere.

#include <optional>
#include <string>
#include <vector>

#include "model/printed_page.h"

namespace tessaly::platform {

// The PDF bytes of the pages, one A4 page each; an error message (code page
// 936) when the document could not be made.
struct PdfResult {
  std::string bytes;
  std::optional<std::string> error;
};
PdfResult RenderPdf(const std::vector<model::PrintedPage>& pages, const std::string& title);

}  // namespace tessaly::platform
