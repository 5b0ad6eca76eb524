// The two balancing buttons of the averages page: the checks of the control
// score box and the subject box, the balancing, and the refreshed table and
// score.

#include "engine/balance.h"
#include "engine/evaluation.h"
#include "model/number_format.h"
#include "platform/encoding.h"

namespace tessaly::engine {

bool ControlScoreKeyAccepted(char key) {
  return (key >= '0' && key <= '9') || key == '.' || key == 8;
}

namespace {

// The control score, or no value after the warning or error it gave.
std::optional<double> ReadControl(model::UserPort& user, const std::string& text,
                                  bool subject_missing) {
  static const std::string kMissing = "您还没有输入控制分数！"_gb;
  static const std::string kInvalid = "控制分数不是有效的数字，请重新输入！"_gb;
  if (text.empty() || subject_missing) {
    user.Warning(kMissing);
    return std::nullopt;
  }
  // The box only ever holds digits and points; anything else cannot come
  // from it and is refused like a malformed number.
  for (char c : text) {
    if (!ControlScoreKeyAccepted(c) || c == 8) {
      user.Error(kInvalid);
      return std::nullopt;
    }
  }
  auto value = model::ParseDecimal(text);
  if (!value) user.Error(kInvalid);
  return value;
}

BalanceButtonResult Refresh(const model::ProgramState& state, bool completed) {
  BalanceButtonResult result;
  result.ran = true;
  result.completed = completed;
  result.averages = ShowAverages(state);
  result.score = ScoreDivision(state);
  return result;
}

}  // namespace

BalanceButtonResult bsSkinButton16Click(model::ProgramState& state, model::UserPort& user,
                                        const std::string& range_choice,
                                        const std::string& control_text) {
  const auto control = ReadControl(user, control_text, false);
  if (!control) return {};
  const bool completed = BalanceTotals(state, user, range_choice, true, *control);
  return Refresh(state, completed);
}

BalanceButtonResult bsSkinButton17Click(model::ProgramState& state, model::UserPort& user,
                                        const std::string& range_choice, const std::string& subject,
                                        const std::string& control_text) {
  const auto control = ReadControl(user, control_text, subject.empty());
  if (!control) return {};
  const bool completed = BalanceSubject(state, user, range_choice, subject, true, *control);
  return Refresh(state, completed);
}

}  // namespace tessaly::engine
