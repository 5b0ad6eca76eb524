// Which cell texts go into the workbook as numbers, with which number
// format, and that the format shows exactly the text again.

#include "io/export/cell_value.h"

#include <gtest/gtest.h>

namespace tessaly::io::exports {
namespace {

TEST(ClassifyCell, NumbersAreStoredWithAFormatThatShowsTheirText) {
  struct Case {
    const char* text;
    double number;
    const char* format;
  } cases[] = {
      {"0", 0, ""},
      {"90", 90, ""},
      {"-3", -3, ""},
      {"87.5", 87.5, ""},
      {"1003.5", 1003.5, ""},
      {"85.333", 85.333, "0.000"},  // averages keep three decimals
      {"0.000", 0, "0.000"},
      {"-0.750", -0.75, "0.000"},
      {"+1.250", 1.25, "+0.000;-0.000;0.000"},  // a positive gap keeps its sign
      {"+0.5", 0.5, "+0.0;-0.0;0.0"},
      {"87.50", 87.5, "0.00"},  // a trailing zero the general form would drop
      {"202500887", 202500887, ""},
      {"123456789012", 123456789012, "0"},  // too wide for the general form
      {"123456789012345", 123456789012345, "0"},
      {"1234567.12345", 1234567.12345, "0.00000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const CellValue v = ClassifyCell(c.text);
    ASSERT_EQ(v.kind, CellKind::kNumber);
    EXPECT_EQ(v.number, c.number);
    EXPECT_EQ(v.format, c.format);
    EXPECT_EQ(ShownText(v.number, v.format), c.text);
  }
}

TEST(ClassifyCell, TextsNoNumberFormatWouldShowAlikeStayText) {
  for (const char* text : {"00105",
                           "007",
                           "-0",
                           "-0.000",
                           "+0.000",
                           "+5",
                           "1E15",
                           "1.5E-7",
                           ".5",
                           "5.",
                           " 5",
                           "5 ",
                           "1,2,",
                           "<= 2 名",
                           "1 班",
                           "--1",
                           "+",
                           "-",
                           "1234567890123456",
                           "0.1234567890123456",
                           "12.3.4",
                           "0x10",
                           "inf",
                           "nan"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(ClassifyCell(text).kind, CellKind::kText);
  }
  EXPECT_EQ(ClassifyCell("").kind, CellKind::kEmpty);
}

}  // namespace
}  // namespace tessaly::io::exports
