// Table text: what copying a result table puts on the clipboard, and what a
// spreadsheet makes of such text when it is pasted.

#include "io/table_text.h"

#include <gtest/gtest.h>

namespace tessaly::io {
namespace {

model::Grid Sample() {
  model::Grid g;
  g.rows = {{"序号", "姓名", "总分"}, {"1", "张伟", "600"}, {"2", "", "580.5"}, {"3"}};
  return g;
}

TEST(TableText, EveryCellIsFollowedByATabAndEveryLineByCrLf) {
  EXPECT_EQ(TableText(Sample()),
            "序号\t姓名\t总分\t\r\n1\t张伟\t600\t\r\n2\t\t580.5\t\r\n3\t\t\t\r\n");
}

TEST(TableText, AnEmptyGridGivesEmptyText) {
  EXPECT_EQ(TableText(model::Grid{}), "");
  model::Grid one_empty_row;
  one_empty_row.rows.resize(1);
  EXPECT_EQ(TableText(one_empty_row), "\r\n");
}

TEST(TableText, ASelectionOfOneCellIsThatCellWithATabAndALineBreak) {
  EXPECT_EQ(TableText(Sample(), CellRange{1, 1, 1, 1}), "张伟\t\r\n");
}

TEST(TableText, ASelectionTakesBothEndsAndKeepsEmptyCellsAligned) {
  // Columns 1..2 of rows 2..3: row 3 has no cells there.
  EXPECT_EQ(TableText(Sample(), CellRange{1, 2, 2, 3}), "\t580.5\t\r\n\t\t\r\n");
  // Past the grid's edge the cells are empty.
  EXPECT_EQ(TableText(Sample(), CellRange{2, 3, 3, 4}), "\t\t\r\n\t\t\r\n");
  // The heading row is a row like the others.
  EXPECT_EQ(TableText(Sample(), CellRange{0, 0, 2, 0}), "序号\t姓名\t总分\t\r\n");
}

TEST(TableText, AReversedSelectionGivesEmptyText) {
  EXPECT_EQ(TableText(Sample(), CellRange{2, 0, 1, 1}), "");
  EXPECT_EQ(TableText(Sample(), CellRange{0, 3, 1, 2}), "");
}

TEST(PastedCells, OneCellPerFieldAndOneRowPerLine) {
  using Rows = std::vector<std::vector<std::string>>;
  EXPECT_EQ(
      PastedCells(TableText(Sample())),
      (Rows{{"序号", "姓名", "总分"}, {"1", "张伟", "600"}, {"2", "", "580.5"}, {"3", "", ""}}));
  EXPECT_EQ(PastedCells(""), Rows{});
  // A line break of any kind ends a line; an empty line is an empty row;
  // the last line needs no break.
  EXPECT_EQ(PastedCells("a\tb\n\r\nc\rd"), (Rows{{"a", "b"}, {}, {"c"}, {"d"}}));
  // Only the one tab at the end of a line opens no cell.
  EXPECT_EQ(PastedCells("\t\t\r\n"), (Rows{{"", ""}}));
}

}  // namespace
}  // namespace tessaly::io
