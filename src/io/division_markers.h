#pragma once
// The marker lines of the division file, shared by its writer and reader.

#include <cstddef>
#include <string>

namespace tessaly::io {

// Names of the rule-list and mode sections; the markers are the name followed
// by "_begin" and "_end".
inline constexpr const char* kBalanceItems = "RenShuQuanZhi";
inline constexpr const char* kFinalPairs = "Mohu_yunmu";
inline constexpr const char* kInitialPairs = "Mohu_shengmu";
inline constexpr const char* kClassRanges = "FengBanLeixin";
inline constexpr const char* kCountConditions = "TJTiaoJian";
inline constexpr const char* kBandConditions = "FenShuDuan";
inline constexpr const char* kMode = "ShuJu";
// The teacher's keep-apart and keep-together groups; written only when there
// are any, so a division without them is stored as before, and skipped by
// readers that do not know it.
inline constexpr const char* kGroups = "FenBanYueShu";

// The markers inside a table block.
inline constexpr const char* kSheetInfBegin = "FBsheetinf_begin";
inline constexpr const char* kSheetInfEnd = "FBsheetinf_end";
inline constexpr const char* kHeadingsBegin = "FBbiaoti_begin";
inline constexpr const char* kHeadingsEnd = "FBbiaoti_end";
inline constexpr const char* kStudentsBegin = "FBstudent_begin";
inline constexpr const char* kStudentsEnd = "FBstudent_end";

// "YuanShiInf" + n + suffix: the section of ImportedSets slot n.
inline std::string TableMarker(std::size_t n, const char* suffix) {
  return "YuanShiInf" + std::to_string(n) + suffix;
}
// "YuanShiInf_tiqu" + n + suffix: the section of range set n.
inline std::string RangeSetMarker(std::size_t n, const char* suffix) {
  return "YuanShiInf_tiqu" + std::to_string(n) + suffix;
}

}  // namespace tessaly::io
