#pragma once
// The records that hold score tables: a student row, the headings of a table
// and the table itself. All three are plain values; copying one copies every
// field, arrays and texts included.
//
// Text fields hold code page 936 bytes; lengths are counted in bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaly::model {

// Fixed byte limits of the short text fields of `student`.
inline constexpr std::size_t kNumberBytes = 18;
inline constexpr std::size_t kNameBytes = 30;
inline constexpr std::size_t kGenderBytes = 2;

struct student {
  std::string Number;  // student number, at most 18 bytes
  std::string Name;    // at most 30 bytes
  std::string Gender;  // "男" or "女", at most 2 bytes
  std::int32_t PresetClass = -1;
  std::vector<double> Scores;  // one per subject heading
  double Total = 0;
  std::int32_t Rank = 0;
  std::vector<std::string> BalanceValues;  // one per balance heading
  std::vector<std::string> ExtraValues;    // one per extra heading
  std::int32_t AssignedClass = -1;

  bool operator==(const student&) const = default;
};

struct BiaoTi {
  std::string NumberHeading;
  std::string NameHeading;
  std::string GenderHeading;
  std::string PresetClassHeading;
  std::vector<std::string> SubjectHeadings;
  std::string TotalHeading;
  std::vector<std::string> BalanceHeadings;
  std::vector<std::string> ExtraHeadings;
  std::string NewClassHeading;

  bool operator==(const BiaoTi&) const = default;
};

struct Student_F {
  // Number of students of the table. Equal to Students.size() for every
  // table the program builds; a table read from a division file keeps the
  // count its sheet line states.
  std::int32_t StudentCount = 0;
  std::string TableName;
  BiaoTi Headings;
  std::int32_t WeightPercent = 100;
  bool IsMainTable = false;
  std::vector<student> Students;

  bool operator==(const Student_F&) const = default;
};

// Sets every student's Rank: 1 + the number of students of the same table
// whose Total is strictly greater (equal totals share a rank).
void RankStudents(std::vector<student>& students);

// Cuts the short text fields to their byte limits without splitting a
// character.
void CutShortFields(student& s);

}  // namespace tessaly::model
