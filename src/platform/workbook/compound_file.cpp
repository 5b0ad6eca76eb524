#include "platform/workbook/compound_file.h"

#include <cctype>

#include "platform/encoding.h"

namespace tessaly::workbook {
namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFFu;

// The sectors of a chain, judged strictly: every link below `count`, no
// sector twice, ended by the end-of-chain mark. Empty optional otherwise.
// `*reaches` (when given) tells whether the chain passes sector `sector`.
std::optional<std::size_t> ChainLength(std::uint32_t start, const std::vector<std::uint32_t>& table,
                                       std::size_t count, std::size_t sector = 0,
                                       bool* reaches = nullptr) {
  std::vector<bool> seen(count);
  std::size_t length = 0;
  for (std::uint32_t s = start; s != kEndOfChain; s = table[s]) {
    if (s >= count || s >= table.size() || seen[s]) return std::nullopt;
    seen[s] = true;
    ++length;
  }
  if (reaches) *reaches = sector < count && seen[sector];
  return length;
}

}  // namespace

std::uint32_t U16(std::string_view b, std::size_t at) {
  if (at + 2 > b.size()) return 0;
  return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}

std::uint32_t U32(std::string_view b, std::size_t at) {
  if (at + 4 > b.size()) return 0xFFFFFFFFu;
  return U16(b, at) | (U16(b, at + 2) << 16);
}

CompoundFile::CompoundFile(std::string_view bytes) : b_(bytes) {
  static constexpr char kMagic[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
  if (b_.size() < 512 || b_.substr(0, 8) != std::string_view(kMagic, 8)) return;
  std::uint32_t shift = U16(b_, 0x1E);
  std::uint32_t mini_shift = U16(b_, 0x20);
  if (shift < 7 || shift > 16 || mini_shift > shift) return;
  sector_ = 1u << shift;
  mini_sector_ = 1u << mini_shift;
  cutoff_ = U32(b_, 0x38);
  sectors_ = (b_.size() + sector_ - 1) / sector_;

  // The allocation table's sectors: 109 in the header, then DIFAT sectors.
  std::vector<std::uint32_t>& fat_sectors = fat_sectors_;
  for (std::size_t i = 0; i < 109; ++i) fat_sectors.push_back(U32(b_, 0x4C + 4 * i));
  std::uint32_t difat = U32(b_, 0x44);
  for (std::size_t guard = 0; difat < sectors_ && guard < sectors_; ++guard) {
    std::size_t at = Offset(difat);
    for (std::size_t i = 0; i + 1 < sector_ / 4; ++i) fat_sectors.push_back(U32(b_, at + 4 * i));
    difat = U32(b_, at + sector_ - 4);
  }
  // Each sector of the file counts once, so the table stays within the
  // file's size however the header repeats entries.
  std::vector<bool> used(sectors_);
  for (std::uint32_t s : fat_sectors) {
    if (s >= sectors_ || used[s]) continue;
    used[s] = true;
    std::size_t at = Offset(s);
    for (std::size_t i = 0; i < sector_ / 4; ++i) fat_.push_back(U32(b_, at + 4 * i));
  }
  auto offset = [&](std::uint32_t s) { return Offset(s); };
  directory_ = Chain(U32(b_, 0x30), fat_, sector_, offset, b_, std::string::npos);
  std::string root = Entry(0);
  if (root.size() == 128) {
    mini_stream_ = Chain(U32(root, 0x74), fat_, sector_, offset, b_, U32(root, 0x78));
    std::string mini_fat_bytes = Chain(U32(b_, 0x3C), fat_, sector_, offset, b_, std::string::npos);
    for (std::size_t i = 0; i + 4 <= mini_fat_bytes.size(); i += 4) {
      mini_fat_.push_back(U32(mini_fat_bytes, i));
    }
  }
  ok_ = true;
}

std::string CompoundFile::Entry(std::size_t i) const {
  if (i * 128 + 128 > directory_.size()) return {};
  return directory_.substr(i * 128, 128);
}

std::optional<std::size_t> CompoundFile::FindStream(std::string_view name) const {
  for (std::size_t i = 0; i * 128 + 128 <= directory_.size(); ++i) {
    std::string e = Entry(i);
    std::size_t len = U16(e, 0x40);
    if (len < 2 || len > 64 || e[0x42] != 2) continue;
    // The name's UTF-16 units, compared with the ASCII name letter by letter
    // without regard to case.
    const std::size_t units = (len - 2) / 2;
    bool same = units == name.size();
    for (std::size_t k = 0; same && k < units; ++k) {
      const std::uint32_t u = U16(e, 2 * k);
      same = u < 0x80 &&
             std::tolower(static_cast<int>(u)) == std::tolower(static_cast<unsigned char>(name[k]));
    }
    if (same) return i;
  }
  return std::nullopt;
}

std::string CompoundFile::Stream(std::string_view name) const {
  if (!ok_) return {};
  auto index = FindStream(name);
  if (!index) return {};
  std::string e = Entry(*index);
  std::uint32_t start = U32(e, 0x74);
  std::size_t size = U32(e, 0x78);
  if (size < cutoff_) {
    return Chain(
        start, mini_fat_, mini_sector_, [](std::uint32_t s) { return static_cast<std::size_t>(s); },
        mini_stream_, size, mini_sector_);
  }
  return Chain(
      start, fat_, sector_, [&](std::uint32_t s) { return Offset(s); }, b_, size);
}

template <typename OffsetOf>
std::string CompoundFile::Chain(std::uint32_t start, const std::vector<std::uint32_t>& table,
                                std::size_t size, OffsetOf offset_of, std::string_view data,
                                std::size_t limit, std::size_t unit) const {
  // A chain that comes back to a sector it passed is cut there, so a stream
  // is never longer than the sectors it can reach.
  std::string out;
  std::vector<bool> visited(table.size());
  for (std::uint32_t s = start; s < table.size() && !visited[s]; s = table[s]) {
    visited[s] = true;
    std::size_t at = unit ? offset_of(s) * unit : offset_of(s);
    if (at >= data.size()) break;
    out.append(data.substr(at, size));
    if (out.size() >= limit) break;
  }
  if (out.size() > limit) out.resize(limit);
  return out;
}

std::optional<std::string> CompoundFile::Problem(std::string_view needed) const {
  const std::string damaged = "文件的复合文档结构已损坏："_gb;
  if (!ok_) return damaged + "文件头无效"_gb;
  const std::uint32_t shift = U16(b_, 0x1E);
  if (U16(b_, 0x1C) != 0xFFFE || (shift != 9 && shift != 12) || U16(b_, 0x20) != 6 ||
      cutoff_ != 4096) {
    return damaged + "文件头无效"_gb;
  }
  // The sectors after the header. Some writers end the file where the last
  // stream's data ends instead of filling its last sector, so a trailing
  // partial sector counts, holding only the bytes there are. With 4096-byte
  // sectors the header takes a whole sector, which a short file does not
  // even hold.
  if (b_.size() / sector_ < 2) return damaged + "文件太短，没有一个完整的扇区"_gb;
  const std::size_t count = (b_.size() - 1) / sector_;
  const std::size_t missing = (sector_ - b_.size() % sector_) % sector_;  // of the last sector

  // The allocation table: as many sectors as the header says, each inside
  // the file and named once. Entries of sectors no chain uses are not
  // judged (writers leave what they like there); the chains read are.
  std::size_t named = 0;
  std::vector<bool> seen(count);
  for (std::uint32_t s : fat_sectors_) {
    if (s == kFreeSector) continue;
    if (s >= count || seen[s]) return damaged + "分配表的扇区无效"_gb;
    seen[s] = true;
    ++named;
  }
  if (named == 0 || named != U32(b_, 0x2C)) return damaged + "分配表的扇区数不符"_gb;
  // The table covers every whole sector; a chain through a partial last
  // sector it does not cover is refused with that chain.
  if (fat_.size() < b_.size() / sector_ - 1) return damaged + "分配表太短"_gb;

  auto chain_holds = [&](std::uint32_t start, std::uint64_t bytes, const std::string& what) {
    bool reaches_last = false;
    auto length = ChainLength(start, fat_, count, count - 1, &reaches_last);
    if (!length || *length * sector_ - (reaches_last ? missing : 0) < bytes) {
      return std::optional<std::string>(damaged + what);
    }
    return std::optional<std::string>();
  };
  if (auto p = chain_holds(U32(b_, 0x30), 128, "目录的扇区链无效"_gb)) return p;
  const std::string root = Entry(0);
  if (root.size() != 128 || root[0x42] != 5) return damaged + "没有根目录项"_gb;
  // Every directory entry's name fits its 64-byte field (the cell library
  // converts each name by its stated length) and its type is one there is.
  for (std::size_t i = 0; i * 128 + 128 <= directory_.size(); ++i) {
    const std::string e = Entry(i);
    const std::uint32_t name_bytes = U16(e, 0x40);
    const unsigned type = static_cast<unsigned char>(e[0x42]);
    if (name_bytes > 64 || name_bytes % 2 != 0 ||
        (type != 0 && type != 1 && type != 2 && type != 5)) {
      return damaged + "目录项无效"_gb;
    }
  }
  const std::uint32_t mini_start = U32(root, 0x74);
  const std::uint64_t mini_size = U32(root, 0x78);
  if (mini_size > 0) {
    if (auto p = chain_holds(mini_start, mini_size, "小扇区流的扇区链无效"_gb)) return p;
  }
  const std::uint32_t mini_fat_start = U32(b_, 0x3C);
  if (mini_fat_start != kEndOfChain) {
    if (auto p =
            chain_holds(mini_fat_start, U32(b_, 0x40) * sector_, "小扇区分配表的扇区链无效"_gb)) {
      return p;
    }
  }
  const std::size_t mini_count = mini_size / mini_sector_;
  for (std::size_t i = 0; i < mini_fat_.size(); ++i) {
    const std::uint32_t v = mini_fat_[i];
    if (v >= mini_count && v != kEndOfChain && v != kFreeSector) {
      return damaged + "小扇区分配表中有指向流以外的扇区"_gb;
    }
  }

  auto index = FindStream(needed);
  if (!index) return "文件中没有工作簿数据"_gb;
  const std::string e = Entry(*index);
  const std::uint32_t start = U32(e, 0x74);
  const std::uint64_t size = U32(e, 0x78);
  if (size == 0) return "文件中没有工作簿数据"_gb;
  if (size < cutoff_) {
    auto length = ChainLength(start, mini_fat_, mini_count);
    if (!length || *length * mini_sector_ < size) return damaged + "工作簿流的扇区链无效"_gb;
  } else if (auto p = chain_holds(start, size, "工作簿流的扇区链无效"_gb)) {
    return p;
  }
  return std::nullopt;
}

}  // namespace tessaly::workbook
