#include "platform/workbook/workbook_reader.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/encoding.h"

namespace tessaly::workbook {
namespace {

std::string LowerExtension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

}  // namespace

std::string TooManyRows(std::size_t max_rows) {
  return "工作表超过 "_gb + std::to_string(max_rows) + " 行，不能全部读入"_gb;
}

std::string NoSuchSheet(std::size_t index, std::size_t count) {
  return "工作簿只有 "_gb + std::to_string(count) + " 个工作表，没有第 "_gb +
         std::to_string(index + 1) + " 个"_gb;
}

ReadResult ReadWorkbook(const std::string& path, const ReadLimits& limits) {
  ReadResult result;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    result.error = "文件不存在或不是普通文件"_gb;
    return result;
  }
  std::string bytes;
  try {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      result.error = "文件无法打开"_gb;
      return result;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::exception&) {
    result.error = "文件无法读取"_gb;
    return result;
  }
  if (bytes.size() >= 4 && bytes.compare(0, 4, "PK\x03\x04") == 0) return ReadXlsx(bytes, limits);
  if (bytes.size() >= 8 && bytes.compare(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") == 0) {
    return ReadXls(path, limits);
  }
  const std::string ext = LowerExtension(path);
  if (ext == ".csv" || ext == ".txt" || ext == ".tsv") return ReadCsv(bytes, limits);
  result.error = "不是Excel文件（.xlsx、.xls）或CSV文件"_gb;
  return result;
}

}  // namespace tessaly::workbook
