#pragma once
// A compound document (the container of .xls files): the sector allocation
// table, the directory, and streams read along their sector chains.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::workbook {

// Little-endian numbers of a byte string; 0 (U16) or 0xFFFFFFFF (U32) past
// its end.
std::uint32_t U16(std::string_view b, std::size_t at);
std::uint32_t U32(std::string_view b, std::size_t at);

// Reading is lenient: every offset is checked and chains are cut where they
// loop or leave the file, so any bytes give some (possibly empty) streams.
// Problem() judges the structure strictly, for readers that cannot cope with
// a damaged container.
class CompoundFile {
 public:
  explicit CompoundFile(std::string_view bytes);

  // The stream of the given (ASCII) name, empty when absent. Names compare
  // without regard to case, as the format has them.
  std::string Stream(std::string_view name) const;
  bool HasStream(std::string_view name) const { return FindStream(name).has_value(); }

  // What is wrong with the container (code page 936), judged strictly: the
  // header's sizes, every allocation-table entry of the file's sectors, and
  // the chains of the directory, the mini stream, its table and of the
  // stream `needed` (which must exist) all within the file, without loops,
  // ended and long enough for their sizes. None when all is well.
  std::optional<std::string> Problem(std::string_view needed) const;

 private:
  std::size_t Offset(std::uint32_t sector) const {
    return (static_cast<std::size_t>(sector) + 1) * sector_;
  }
  std::string Entry(std::size_t i) const;
  // Index of the directory entry of a stream of this name, if any.
  std::optional<std::size_t> FindStream(std::string_view name) const;
  template <typename OffsetOf>
  std::string Chain(std::uint32_t start, const std::vector<std::uint32_t>& table, std::size_t size,
                    OffsetOf offset_of, std::string_view data, std::size_t limit,
                    std::size_t unit = 0) const;

  std::string_view b_;
  bool ok_ = false;
  std::size_t sector_ = 512;
  std::size_t mini_sector_ = 64;
  std::size_t cutoff_ = 4096;
  std::size_t sectors_ = 0;
  std::vector<std::uint32_t> fat_sectors_;
  std::vector<std::uint32_t> fat_;
  std::vector<std::uint32_t> mini_fat_;
  std::string directory_;
  std::string mini_stream_;
};

}  // namespace tessaly::workbook
