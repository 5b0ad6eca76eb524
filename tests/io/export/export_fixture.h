#pragma once
// A small divided grade for the export tests, and reading an exported
// workbook back sheet by sheet with the program's own .xlsx reader.

#include <zip.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "engine/cohort_builder.h"
#include "platform/workbook/workbook_reader.h"

namespace tessaly::testing {

// Eight students in two ranges of two classes each. The students carry the
// ranks of the whole table (5 to 8 in the second range), which the
// statistics replace by ranks within each range. Two namesakes (张伟) and a
// missing score.
inline model::ProgramState ExportState() {
  CohortBuilder c({"语文", "数学"}, {"住校"});
  c.Add("101", "张伟", "男", {90, 95.5}, {"住校"})
      .Add("102", "李娜", "女", {88, 90}, {"走读"})
      .Add("103", "张伟", "男", {85, 89}, {"住校"})
      .Add("104", "王芳", "女", {80, 88}, {"走读"})
      .Add("00105", "赵敏", "女", {70, 75}, {"住校"})
      .Add("106", "钱进", "男", {72, 0}, {"走读"})
      .Add("107", "孙丽", "女", {60, 65}, {"住校"})
      .Add("108", "周强", "男", {55, 50}, {"走读"});
  c.Range("按名次|1-4-|2|1,2,|");
  c.Range("按名次|5-8-|2|3,4,|");
  c.CountCondition("按名次|1-4-|$总分$大于 170$");
  model::ProgramState st = Divided(c);
  Assign(st, 0, {1, 2, 2, 1});
  Assign(st, 1, {3, 4, 4, 3});
  st.DivisionStarted = true;
  return st;
}

// A fresh folder under the test temporary folder, removed with the object.
struct TempFolder {
  std::filesystem::path path;
  TempFolder() {
#ifdef _WIN32
    // No mkdtemp: a name of the process and a count, made afresh.
    static int count = 0;
    path = std::filesystem::temp_directory_path() /
           ("tessaly-export-" + std::to_string(::getpid()) + "-" + std::to_string(count++));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
#else
    std::string pattern = (std::filesystem::temp_directory_path() / "tessaly-export-XXXXXX");
    path = ::mkdtemp(pattern.data());
#endif
  }
  ~TempFolder() {
    std::filesystem::remove_all(path);
  }
  std::string File(const std::string& name) const {
    return (path / name).string();
  }
};

inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// One part of a zip archive (an .xlsx), or none when it is missing.
inline std::optional<std::string> ZipPart(const std::string& path, const std::string& name) {
  int err = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, &err);
  if (z == nullptr) return std::nullopt;
  std::optional<std::string> out;
  zip_stat_t st;
  if (zip_stat(z, name.c_str(), 0, &st) == 0) {
    if (zip_file_t* f = zip_fopen(z, name.c_str(), 0)) {
      std::string bytes(st.size, '\0');
      if (zip_fread(f, bytes.data(), st.size) == static_cast<zip_int64_t>(st.size)) out = bytes;
      zip_fclose(f);
    }
  }
  zip_discard(z);
  return out;
}

// Sheet `index` (from 0) of the workbook at `path`, read by the program's
// reader: a copy of the workbook saved with that sheet active.
inline workbook::Sheet ReadSheet(const std::string& path, std::size_t index) {
  const std::string copy = path + ".sheet" + std::to_string(index) + ".xlsx";
  std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing);
  std::string xml = ZipPart(copy, "xl/workbook.xml").value_or("");
  const std::string view = "<workbookView ";
  if (auto at = xml.find(view); at != std::string::npos) {
    xml.insert(at + view.size(), "activeTab=\"" + std::to_string(index) + "\" ");
  }
  int err = 0;
  zip_t* z = zip_open(copy.c_str(), 0, &err);
  // The buffer is read at zip_close, while `xml` still lives.
  zip_source_t* src = zip_source_buffer(z, xml.data(), xml.size(), 0);
  zip_file_add(z, "xl/workbook.xml", src, ZIP_FL_OVERWRITE);
  zip_close(z);
  workbook::ReadResult r = workbook::ReadXlsx(FileBytes(copy));
  std::filesystem::remove(copy);
  return r.sheet.value_or(workbook::Sheet{});
}

}  // namespace tessaly::testing
