// Workbook streams encrypted with Excel's default password. Excel encrypts a
// workbook whose structure or windows are protected (or that is marked
// read-only recommended) with the password "VelvetSweatshop" and opens it
// without asking, so the teacher never set a password and cannot remove
// one. The FILEPASS record names the method: RC4 with keys from MD5
// (Excel 97 and 2000) or RC4 with keys from SHA-1 (the CryptoAPI method of
// Excel 2002 and 2003). Either way the stream is encrypted by its byte
// positions in blocks of 1024 bytes, each block with a key of its own, and
// record headers, BOF records and a few others are left in the clear.

#include <nettle/arcfour.h>
#include <nettle/md5.h>
#include <nettle/sha1.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/workbook/biff.h"

namespace tessaly::workbook::biff {
namespace {

constexpr std::size_t kBlock = 1024;

using Bytes = std::vector<std::uint8_t>;

Bytes Utf16(std::string_view ascii) {
  Bytes out;
  for (char c : ascii) {
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(0);
  }
  return out;
}

std::array<std::uint8_t, 4> LittleEndian(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

Bytes Md5(std::initializer_list<std::pair<const std::uint8_t*, std::size_t>> parts) {
  md5_ctx ctx;
  md5_init(&ctx);
  for (auto [data, size] : parts) md5_update(&ctx, size, data);
  Bytes out(MD5_DIGEST_SIZE);
  md5_digest(&ctx, out.size(), out.data());
  return out;
}

Bytes Sha1(std::initializer_list<std::pair<const std::uint8_t*, std::size_t>> parts) {
  sha1_ctx ctx;
  sha1_init(&ctx);
  for (auto [data, size] : parts) sha1_update(&ctx, size, data);
  Bytes out(SHA1_DIGEST_SIZE);
  sha1_digest(&ctx, out.size(), out.data());
  return out;
}

const std::uint8_t* At(std::string_view data, std::size_t at) {
  return reinterpret_cast<const std::uint8_t*>(data.data()) + at;
}

// One of the two methods: how a block's key is made from the password, and
// whether the password is the one the file was encrypted with.
class Rc4Method {
 public:
  // From the FILEPASS record's data; false when it names no RC4 method or
  // does not hold its fields.
  bool Parse(std::string_view filepass) {
    if (filepass.size() < 6 || U16(filepass, 0) != 1) return false;  // 0: XOR obfuscation
    const std::uint32_t major = U16(filepass, 2), minor = U16(filepass, 4);
    if (major == 1 && minor == 1) {  // salt, verifier, verifier hash: 16 bytes each
      if (filepass.size() < 54) return false;
      crypto_api_ = false;
      salt_.assign(At(filepass, 6), At(filepass, 22));
      verifier_.assign(At(filepass, 22), At(filepass, 54));
      hash_size_ = 16;
      return true;
    }
    if (major < 2 || major > 4 || minor != 2 || filepass.size() < 14) return false;
    // Flags, the header's size, the header (flags, extra size, cipher,
    // hash, key size in bits, ...), then salt size, salt, verifier, hash
    // size and hash.
    const std::size_t header = U32(filepass, 10);
    const std::size_t at = 14 + header;
    if (header < 20 || header > filepass.size() || at + 40 > filepass.size()) return false;
    const std::uint32_t cipher = U32(filepass, 14 + 8);  // RC4, or 0 for the default: RC4
    if ((cipher != 0x6801 && cipher != 0) || U32(filepass, at) != 16) return false;
    const std::uint32_t bits = U32(filepass, 14 + 16);
    key_bytes_ = bits == 0 ? 5 : bits / 8;
    if (key_bytes_ < 5 || key_bytes_ > 16 || bits % 8 != 0) return false;
    hash_size_ = U32(filepass, at + 36);
    if (hash_size_ != SHA1_DIGEST_SIZE || at + 40 + hash_size_ > filepass.size()) return false;
    crypto_api_ = true;
    salt_.assign(At(filepass, at + 4), At(filepass, at + 20));
    verifier_.assign(At(filepass, at + 20), At(filepass, at + 36));
    verifier_.insert(verifier_.end(), At(filepass, at + 40), At(filepass, at + 40 + hash_size_));
    return true;
  }

  void Derive(std::string_view password) {
    const Bytes pw = Utf16(password);
    if (crypto_api_) {
      base_ = Sha1({{salt_.data(), salt_.size()}, {pw.data(), pw.size()}});
      return;
    }
    const Bytes h0 = Md5({{pw.data(), pw.size()}});
    Bytes buffer;
    for (int i = 0; i < 16; ++i) {
      buffer.insert(buffer.end(), h0.begin(), h0.begin() + 5);
      buffer.insert(buffer.end(), salt_.begin(), salt_.end());
    }
    base_ = Md5({{buffer.data(), buffer.size()}});
    base_.resize(5);
  }

  // The RC4 state for block `block`.
  arcfour_ctx Cipher(std::uint32_t block) const {
    const auto n = LittleEndian(block);
    Bytes key;
    if (crypto_api_) {
      key = Sha1({{base_.data(), base_.size()}, {n.data(), n.size()}});
      key.resize(key_bytes_);
      // A 40-bit key is used as 128 bits, the rest zero.
      if (key_bytes_ == 5) key.resize(16, 0);
    } else {
      key = Md5({{base_.data(), base_.size()}, {n.data(), n.size()}});
    }
    arcfour_ctx ctx;
    arcfour_set_key(&ctx, key.size(), key.data());
    return ctx;
  }

  // The verifier decrypted with block 0's key hashes to the hash that
  // follows it.
  bool Verifies() const {
    arcfour_ctx ctx = Cipher(0);
    Bytes plain(verifier_.size());
    arcfour_crypt(&ctx, plain.size(), plain.data(), verifier_.data());
    const Bytes hash = crypto_api_ ? Sha1({{plain.data(), 16}}) : Md5({{plain.data(), 16}});
    return std::equal(hash.begin(), hash.end(), plain.begin() + 16, plain.end());
  }

 private:
  bool crypto_api_ = false;
  std::size_t key_bytes_ = 16;
  std::size_t hash_size_ = 16;
  Bytes salt_;
  Bytes verifier_;  // the encrypted verifier, then its encrypted hash
  Bytes base_;      // the password's hash that each block's key is made from
};

// Records Excel leaves in the clear after FILEPASS: BOF, FILEPASS,
// INTERFACEHDR, USREXCL, FILELOCK, RRDINFO, RRDHEAD.
bool InTheClear(std::uint32_t type) {
  switch (type) {
    case 0x0809:
    case 0x002F:
    case 0x00E1:
    case 0x0194:
    case 0x0195:
    case 0x0196:
    case 0x0138:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::optional<std::string> PlainStream(std::string book, std::string_view password) {
  std::size_t filepass_end = 0;
  std::string_view filepass;
  ForEachRecord(book, 0, [&](std::uint32_t type, std::string_view data, std::size_t at) {
    if (type == kFilePass) {
      filepass = data;
      filepass_end = at + 4 + data.size();
    }
    return type != kFilePass && type != kEof;
  });
  if (filepass_end == 0) return book;
  Rc4Method method;
  if (!method.Parse(filepass)) return std::nullopt;
  method.Derive(password);
  if (!method.Verifies()) return std::nullopt;

  // Which bytes are encrypted: the data of the records after FILEPASS, but
  // for those in the clear and the sheet offset that begins a BOUNDSHEET.
  std::vector<bool> encrypted(book.size());
  ForEachRecord(book, filepass_end, [&](std::uint32_t type, std::string_view data, std::size_t at) {
    if (!InTheClear(type)) {
      const std::size_t from = at + 4 + (type == kBoundSheet ? 4 : 0);
      std::fill(encrypted.begin() + std::min(from, at + 4 + data.size()),
                encrypted.begin() + at + 4 + data.size(), true);
    }
    return true;
  });
  std::array<std::uint8_t, kBlock> stream;
  for (std::size_t block = filepass_end / kBlock; block * kBlock < book.size(); ++block) {
    arcfour_ctx ctx = method.Cipher(static_cast<std::uint32_t>(block));
    stream.fill(0);
    arcfour_crypt(&ctx, stream.size(), stream.data(), stream.data());
    const std::size_t end = std::min(book.size(), (block + 1) * kBlock);
    for (std::size_t i = block * kBlock; i < end; ++i) {
      if (encrypted[i]) book[i] = static_cast<char>(book[i] ^ stream[i - block * kBlock]);
    }
  }
  return book;
}

}  // namespace tessaly::workbook::biff
