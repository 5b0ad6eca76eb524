#pragma once
// The random numbers of the deep optimiser: xoshiro256** seeded through
// splitmix64, so equal seeds give equal numbers on every platform.

#include <cstdint>

namespace tessaly::adjust {

// splitmix64: the next value of a sequence started at z, well mixed; also a
// hash of z.
inline std::uint64_t SplitMix(std::uint64_t z) {
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

class DeepRandom {
 public:
  explicit DeepRandom(std::uint64_t seed) {
    for (auto& s : s_) {
      s = SplitMix(seed);
      seed += 0x9E3779B97F4A7C15ull;
    }
  }
  std::uint64_t Next() {
    const std::uint64_t result = Rotl(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = Rotl(s_[3], 45);
    return result;
  }
  // Uniform in [0, n).
  std::uint32_t Below(std::uint32_t n) {
    return static_cast<std::uint32_t>(((Next() >> 32) * static_cast<std::uint64_t>(n)) >> 32);
  }
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

 private:
  static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  std::uint64_t s_[4];
};

}  // namespace tessaly::adjust
