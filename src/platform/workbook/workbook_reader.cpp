#include "platform/workbook/workbook_reader.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/encoding.h"
#include "platform/paths.h"
#include "platform/workbook/biff.h"

namespace tessaly::workbook {
namespace {

std::string LowerExtension(const std::string& path) {
  std::string ext = platform::PathOf(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

// True when the first bytes are text: no byte below 0x20 other than tab,
// line breaks and form feed, and some bytes at all. A UTF-16 text begins
// with its byte-order mark.
bool IsPlainText(std::string_view bytes) {
  if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") return true;
  const std::string_view head = bytes.substr(0, 65536);
  return !head.empty() && std::none_of(head.begin(), head.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f';
  });
}

// The XML spreadsheet format of Excel 2002 and 2003.
bool IsXmlSpreadsheet(std::string_view bytes) {
  const std::string_view head = bytes.substr(0, 4096);
  return head.find("<?xml") != std::string_view::npos &&
         head.find("urn:schemas-microsoft-com:office:spreadsheet") != std::string_view::npos;
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
  if (!std::filesystem::is_regular_file(platform::PathOf(path), ec)) {
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
    return ReadXlsBytes(bytes, limits);
  }
  // The workbook files of Excel 2.x to 4.0 are a bare stream of records,
  // beginning with their BOF record.
  if (const int version = biff::Version(bytes); version >= 2 && version <= 4) {
    result.error = biff::OldVersion(version);
    return result;
  }
  if (IsXmlSpreadsheet(bytes)) {
    result.error =
        "这是Excel 2003 XML表格，不能读取；请在Excel或WPS中打开，另存为.xlsx文件后再导入"_gb;
    return result;
  }
  if (LooksLikeHtmlTable(bytes)) return ReadHtml(bytes, limits);
  // Text separated by commas or tabs, whatever the file is named: school
  // systems export it as .xls too.
  const std::string ext = LowerExtension(path);
  if (ext == ".csv" || ext == ".txt" || ext == ".tsv" || IsPlainText(bytes)) {
    return ReadCsv(bytes, limits);
  }
  result.error = "不是Excel文件（.xlsx、.xls）或CSV文件"_gb;
  return result;
}

}  // namespace tessaly::workbook
