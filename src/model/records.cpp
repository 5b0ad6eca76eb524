#include "model/records.h"

#include <algorithm>

#include "platform/encoding.h"

namespace tessaly::model {

void RankStudents(std::vector<student>& students) {
  // Sort the totals descending; the rank of a total is 1 + the number of
  // totals before its first occurrence, which counts the strictly greater ones.
  std::vector<double> totals;
  totals.reserve(students.size());
  for (const student& s : students) totals.push_back(s.Total);
  std::sort(totals.begin(), totals.end(), [](double a, double b) { return a > b; });
  for (student& s : students) {
    auto first_not_greater =
        std::partition_point(totals.begin(), totals.end(), [&](double t) { return t > s.Total; });
    s.Rank = static_cast<std::int32_t>(1 + (first_not_greater - totals.begin()));
  }
}

void CutShortFields(student& s) {
  s.Number = enc::CutToBytes(s.Number, kNumberBytes);
  s.Name = enc::CutToBytes(s.Name, kNameBytes);
  s.Gender = enc::CutToBytes(s.Gender, kGenderBytes);
}

}  // namespace tessaly::model
