#include "ui/work_guard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QMessageBox>

#include "io/division_commands.h"
#include "io/work_commands.h"
#include "ui/qt_text.h"
#include "ui/user_dialogs.h"

namespace tessaly::ui {
namespace {

// How often the guard looks when no input came (a command started by a
// timer, a file opened at start); input makes it look at once.
constexpr int kSlowLookMs = 2000;

}  // namespace

QString KeepWorkQuestionText() {
  return Q(io::KeepWorkQuestion());
}

QString RecoveryOfferText(std::int64_t written) {
  const QString when =
      QDateTime::fromSecsSinceEpoch(written).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  return QStringLiteral("上次未正常退出，是否恢复未保存的分班数据？\n（恢复副本写于 ") + when +
         QStringLiteral("）");
}

WorkGuard::WorkGuard(Session& session, QWidget* window, const ProgressWindow* busy,
                     std::string recovery_folder)
    : QObject(window),
      s_(session),
      window_(window),
      busy_(busy),
      copies_(std::move(recovery_folder)) {
  look_timer_.setSingleShot(true);
  look_timer_.setInterval(0);
  connect(&look_timer_, &QTimer::timeout, this, &WorkGuard::Look);
  copy_timer_.setSingleShot(true);
  connect(&copy_timer_, &QTimer::timeout, this, &WorkGuard::KeepCopy);
  auto* slow = new QTimer(this);
  slow->setInterval(kSlowLookMs);
  connect(slow, &QTimer::timeout, this, [this] { look_timer_.start(); });
  slow->start();
  qApp->installEventFilter(this);
}

bool WorkGuard::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::KeyRelease:
    case QEvent::Drop:
    case QEvent::Wheel:
      // The command this input starts runs before the queued look.
      if (!look_timer_.isActive()) look_timer_.start();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

void WorkGuard::Look() {
  // A command that asks something, or a long one that shows the progress
  // window, lets events through before it ends; its state is not looked at
  // half way.
  if (QApplication::activeModalWidget() != nullptr || (busy_ != nullptr && busy_->isVisible())) {
    look_timer_.start(200);
    return;
  }
  look_timer_.setInterval(0);
  s_.work.Look(s_.state);
  if (s_.work.Revision() == shown_revision_) return;
  shown_revision_ = s_.work.Revision();
  emit markChanged();
  if (!s_.work.Changed()) {
    // Saved, opened or started anew: no copy is needed any more.
    copy_timer_.stop();
    copies_.Remove();
    copied_revision_ = shown_revision_;
    return;
  }
  if (!since_copy_.isValid() || since_copy_.elapsed() >= kRecoveryPauseMs) {
    KeepCopy();
  } else if (!copy_timer_.isActive()) {
    copy_timer_.start(static_cast<int>(kRecoveryPauseMs - since_copy_.elapsed()));
  }
}

void WorkGuard::KeepCopy() {
  if (!s_.work.Changed() || s_.work.Revision() == copied_revision_) return;
  if (busy_ != nullptr && busy_->isVisible()) {
    copy_timer_.start(500);
    return;
  }
  since_copy_.restart();
  copied_revision_ = s_.work.Revision();
  if (auto error = copies_.Write(s_.state, s_.work.File())) {
    // Said once: the work itself is still in the program.
    if (copy_failed_) return;
    copy_failed_ = true;
    s_.user.Warning(*error + "\n未保存的更改只在程序中，请及时保存分班结果。"_gb);
  }
}

bool WorkGuard::MayLeave() {
  s_.work.Look(s_.state);  // whatever else is showing: the answer rests on it
  Look();
  if (!s_.work.Changed()) return true;
  QMessageBox box(QMessageBox::Question, QStringLiteral("Tessaly"), KeepWorkQuestionText(),
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, window_);
  box.button(QMessageBox::Save)->setText(QStringLiteral("保存"));
  box.button(QMessageBox::Discard)->setText(QStringLiteral("不保存"));
  box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
  box.setDefaultButton(QMessageBox::Save);
  box.setEscapeButton(QMessageBox::Cancel);
  const int answer = box.exec();
  if (answer == QMessageBox::Discard) return true;
  if (answer != QMessageBox::Save) return false;
  const bool saved = io::SaveWorkBeforeLeaving(s_.state, s_.work, s_.user);
  Look();
  return saved;
}

void WorkGuard::OfferLeftCopies() {
  std::vector<io::LeftCopy> left = copies_.Left();
  for (io::LeftCopy& copy : left) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("恢复未保存的分班数据"),
                    RecoveryOfferText(copy.written), QMessageBox::Yes | QMessageBox::No, window_);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("恢复"));
    box.button(QMessageBox::No)->setText(QStringLiteral("不恢复"));
    box.setDefaultButton(QMessageBox::Yes);
    if (box.exec() != QMessageBox::Yes) {
      copies_.SetAside(copy);
      continue;
    }
    io::DivisionRead read = io::RecoveryCopies::Read(copy, s_.state);
    if (!read.ok) {
      s_.user.Error(read.error);
      copies_.SetAside(copy);
      continue;
    }
    s_.page = io::ImportPageFor(read.state);
    s_.state = std::move(read.state);
    s_.work.Restored(s_.state, copy.file);
    shown_revision_ = s_.work.Revision();
    emit markChanged();
    emit restored();
    // The work lives on in this program's copy before the old one goes.
    since_copy_.invalidate();
    KeepCopy();
    if (!copy_failed_) io::RecoveryCopies::Forget(copy);
    return;  // the copies not offered yet wait for the next start
  }
}

void WorkGuard::Finish() {
  copy_timer_.stop();
  copies_.Remove();
}

}  // namespace tessaly::ui
