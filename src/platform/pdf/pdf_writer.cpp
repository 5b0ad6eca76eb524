#include "platform/pdf/pdf_writer.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <memory>

#include "platform/encoding.h"

namespace tessaly::platform {
namespace {

constexpr const char* kFamilies =
    "Noto Sans CJK SC, WenQuanYi Micro Hei, Noto Sans CJK, sans-serif";

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

void DrawText(cairo_t* cr, PangoLayout* layout, PangoFontDescription* font,
              const model::PrintedText& t) {
  pango_font_description_set_absolute_size(font, t.size * PANGO_SCALE);
  pango_font_description_set_weight(font, t.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_layout_set_font_description(layout, font);
  pango_layout_set_width(layout, static_cast<int>(t.width * PANGO_SCALE));
  pango_layout_set_alignment(
      layout, t.align == model::TextAlign::kCenter ? PANGO_ALIGN_CENTER : PANGO_ALIGN_LEFT);
  const std::string utf8 = enc::ToUtf8(t.text);
  pango_layout_set_text(layout, utf8.c_str(), static_cast<int>(utf8.size()));
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  const double height = static_cast<double>(logical.height) / PANGO_SCALE;
  cairo_move_to(cr, t.x, t.y + (t.height - height) / 2);
  pango_cairo_show_layout(cr, layout);
}

}  // namespace

PdfResult RenderPdf(const std::vector<model::PrintedPage>& pages, const std::string& title) {
  PdfResult result;
  cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(
      Append, &result.bytes, model::kPageWidth, model::kPageHeight);
  const std::string utf8_title = enc::ToUtf8(title);
  cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, utf8_title.c_str());
  cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "Tessaly");
  cairo_t* cr = cairo_create(surface);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
  pango_layout_set_single_paragraph_mode(layout, TRUE);
  PangoFontDescription* font = pango_font_description_from_string(kFamilies);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, 0.6);
  for (const model::PrintedPage& page : pages) {
    for (const model::PrintedLine& l : page.lines) {
      cairo_move_to(cr, l.x1, l.y1);
      cairo_line_to(cr, l.x2, l.y2);
    }
    cairo_stroke(cr);
    for (const model::PrintedText& t : page.texts) {
      if (!t.text.empty()) DrawText(cr, layout, font, t);
    }
    cairo_show_page(cr);
  }
  pango_font_description_free(font);
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  const cairo_status_t status = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    result.bytes.clear();
    result.error =
        "无法生成PDF文件（"_gb + enc::FromUtf8(cairo_status_to_string(status)) + "）。"_gb;
  }
  return result;
}

}  // namespace tessaly::platform
