#pragma once
// What the inner pages of the division page share: the program session, the
// undo history of the division and the score caption under "开始分班". Every
// command that changes a finished division runs through Change, so that it
// becomes one undo step and every page learns that the division changed.

#include <QObject>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>

#include "stats/division_page.h"
#include "ui/session.h"

namespace tessaly::ui::division {

class DivisionContext : public QObject {
  Q_OBJECT
 public:
  explicit DivisionContext(Session& session, QObject* parent = nullptr);

  Session& session() { return s_; }
  model::ProgramState& state() { return s_.state; }
  model::UserPort& user() { return s_.user; }
  model::ClipboardPort& clipboard() { return s_.clipboard; }

  // The text of bsSkinStdLabel23 (empty until the first score).
  const std::string& caption() const { return caption_; }
  // The chosen item of the class list ("全部学生" or "3 班"); the roster shows it.
  const std::string& rosterItem() const { return roster_item_; }
  void SetRosterItem(const std::string& item) { roster_item_ = item; }

  // A fixed seed for the coin of the division (tests); the clock otherwise.
  void SetCoinSeed(std::optional<std::uint32_t> seed) { coin_seed_ = seed; }

  // "开始分班": asks first when the division shown has changed since it was
  // made, divides (one undo step when it replaces a division) and shows the
  // division's score.
  void Divide();

  // Runs `command` (which changes the finished division) as one undo step
  // named `label` (UTF-8), then tells the pages. Returns what the command
  // returned.
  template <class Command>
  auto Change(const char* label, Command&& command) {
    history_.ForgetIfChangedElsewhere(s_.state);
    if constexpr (std::is_void_v<decltype(command())>) {
      history_.Run(s_.state, label, caption_, command);
      Changed();
    } else {
      auto result = history_.Run(s_.state, label, caption_, command);
      Changed();
      return result;
    }
  }

  // The score caption shows ScoreDivision of the current placement (kept as
  // it is when there is no score).
  void ShowCurrentScore();

  // Notes a command of the page that changes the range sets but is no undo
  // step ("开始统计" re-ranks them).
  void NoteSeen() { history_.Seen(s_.state); }
  // Forgets the history when the division was replaced on another page (an
  // import, an opened file, a new division) and shows the score of the
  // division now held. Called when the page is entered.
  void CheckChangedElsewhere();

  bool CanUndo() const { return history_.CanUndo(); }
  bool CanRedo() const { return history_.CanRedo(); }
  // The labels of the steps Undo and Redo would take (UTF-8).
  const std::string& UndoLabel() const { return history_.UndoLabel(); }
  const std::string& RedoLabel() const { return history_.RedoLabel(); }
  void Undo();
  void Redo();

 signals:
  // The range sets changed: the pages show the division again.
  void divisionChanged();
  // The score caption changed.
  void captionChanged();
  // The undo or redo steps changed.
  void historyChanged();

 private:
  void Changed();

  Session& s_;
  stats::DivisionPageHistory history_;
  std::string caption_;
  std::string roster_item_;
  std::optional<std::uint32_t> coin_seed_;
};

}  // namespace tessaly::ui::division
