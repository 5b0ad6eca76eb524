#pragma once
// Keeps the teacher's work safe in the main window. After every command it
// looks at the state once: the window title shows the unsaved mark, and a
// recovery copy is written (at most once every few seconds for a burst of
// commands) or removed when the work is saved. Before unsaved work is closed
// or replaced it asks whether to save it; at start it offers a copy that a
// program which did not end cleanly left behind.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <string>

#include "io/recovery.h"
#include "ui/session.h"

class QWidget;

namespace tessaly::ui {

class ProgressWindow;

// The least time between two recovery copies (milliseconds).
inline constexpr int kRecoveryPauseMs = 3000;

// The question before unsaved work is closed or replaced.
QString KeepWorkQuestionText();
// The offer of a left copy, with the time it was written (seconds since 1970).
QString RecoveryOfferText(std::int64_t written);

class WorkGuard : public QObject {
  Q_OBJECT
 public:
  // `window` is the main window: the questions open over it, and user input
  // anywhere in the program makes the guard look after it was handled.
  // `busy` is shown while a long command runs; no look happens then.
  WorkGuard(Session& session, QWidget* window, const ProgressWindow* busy,
            std::string recovery_folder);

  // Looks at the state now: notes a change, shows the mark, keeps the
  // recovery copy up to date.
  void Look();
  // Before unsaved work is closed or replaced: asks
  // "是否保存对当前分班数据的更改？" (保存 / 不保存 / 取消). True when the work may
  // go: nothing was unsaved, it was saved, or the teacher does not want it.
  bool MayLeave();
  // At start: offers each copy left by a program that did not end cleanly,
  // newest first. Yes opens it as unsaved work (the later ones stay for
  // the next start); No moves it aside.
  void OfferLeftCopies();
  // A clean exit: this program's copy goes.
  void Finish();

  io::RecoveryCopies& copies() { return copies_; }

 signals:
  // The unsaved mark or the division file of the work changed.
  void markChanged();
  // A recovery copy was opened: the pages show the state again.
  void restored();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void KeepCopy();

  Session& s_;
  QWidget* window_;
  const ProgressWindow* busy_;
  io::RecoveryCopies copies_;
  QTimer look_timer_;
  QTimer copy_timer_;
  QElapsedTimer since_copy_;
  std::uint64_t shown_revision_ = 0;
  std::uint64_t copied_revision_ = 0;
  bool copy_failed_ = false;
};

}  // namespace tessaly::ui
