#include "rules/level_texts.h"

#include "platform/encoding.h"

namespace tessaly::rules {

std::vector<std::string> LevelCaptions() {
  std::vector<std::string> captions;
  for (int level = 1; level <= 9; ++level) captions.push_back(ShortLevelText(level));
  captions.front() += "(最低)"_gb;
  captions.back() += "(最高)"_gb;
  return captions;
}

std::string ShortLevelText(int level) {
  return std::to_string(level) + " 级"_gb;
}

std::string InitialLevelText() {
  return ShortLevelText(3);
}

}  // namespace tessaly::rules
