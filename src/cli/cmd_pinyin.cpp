// tessaly-cli pinyin: the pinyin of texts, or their sound keys.

#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "engine/names/same_names.h"
#include "engine/names/spell.h"
#include "platform/encoding.h"

namespace tessaly::cli {

int RunPinyin(Args& args) {
  const bool key = args.Flag("--key");
  const auto flags_text = args.Option("--flags");
  const auto max_text = args.Option("--max");
  const model::RuleList initials = args.Options("--initial");
  const model::RuleList finals = args.Options("--final");
  const std::vector<std::string> texts = args.Positional();
  if (texts.empty()) throw UsageError{"give at least one text"};
  if (key && (flags_text || max_text)) throw UsageError{"--key takes no --flags or --max"};
  if (!key && (!initials.empty() || !finals.empty())) {
    throw UsageError{"--initial and --final go with --key"};
  }
  for (const auto& pair : initials) {
    if (pair.find('-') == std::string::npos || pair.front() == '-') {
      throw UsageError{"--initial needs a pair such as c-ch, not '" + pair + "'"};
    }
  }
  for (const auto& pair : finals) {
    if (pair.find('-') == std::string::npos || pair.front() == '-') {
      throw UsageError{"--final needs a pair such as an-ang, not '" + pair + "'"};
    }
  }
  const int flags = flags_text ? ParseIntArg("--flags", *flags_text) : engine::kWholeSyllable;
  const int max = max_text ? ParseIntArg("--max", *max_text) : 255;
  const engine::SoundRules rules = engine::MakeSoundRules(initials, finals);
  for (const auto& text : texts) {
    const std::string cp936 = enc::FromOutside(text);
    PrintUtf8(stdout,
              (key ? engine::SoundKey(cp936, rules) : engine::ToPinyin(cp936, flags, max)) + "\n");
  }
  return 0;
}

}  // namespace tessaly::cli
