#pragma once
// A printed page as the core lays it out: texts in boxes and ruled lines, in
// points on an A4 sheet (595.28 x 841.89, origin at the top left). The
// desktop program paints these with its print support and the command line
// writes them as a PDF, so both print the same pages.

#include <string>
#include <vector>

namespace tessaly::model {

inline constexpr double kPageWidth = 595.28;
inline constexpr double kPageHeight = 841.89;

enum class TextAlign { kLeft, kCenter };

// A text (code page 936) drawn in the box (x, y, width, height), vertically
// centred; `size` is the font size in points.
struct PrintedText {
  double x = 0, y = 0, width = 0, height = 0;
  double size = 10;
  bool bold = false;
  TextAlign align = TextAlign::kLeft;
  std::string text;
};

struct PrintedLine {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

struct PrintedPage {
  std::vector<PrintedText> texts;
  std::vector<PrintedLine> lines;
};

}  // namespace tessaly::model
