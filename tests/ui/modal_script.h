#pragma once
// Answers the modal windows that the program opens while a test clicks its
// buttons: every message box, the error window, the new-division dialog and
// the file dialogs. Steps are taken in order, each by the window it expects;
// a message box nobody expected is recorded and answered with OK or No, so a
// test never waits for a person.

#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>

namespace tessaly::uitest {

class ModalScript : public QObject {
 public:
  // A step receives the modal window now showing; it acts on it (preferably
  // with queued clicks) and returns true when the step is done.
  using Step = std::function<bool(QWidget*)>;

  ModalScript() {
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, &ModalScript::Poll);
    timer_.start();
  }

  void Then(Step step) { steps_.push_back(std::move(step)); }

  // Expects a message box and presses `button`; its text goes to `messages`.
  void Answer(QMessageBox::StandardButton button) {
    Then([this, button](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (box == nullptr) return false;
      messages << box->text();
      QMetaObject::invokeMethod(box->button(button), "click", Qt::QueuedConnection);
      return true;
    });
  }

  bool Done() const { return steps_.empty(); }

  QStringList messages;    // texts of the message boxes answered by steps
  QStringList unexpected;  // texts of message boxes no step expected

 private:
  void Poll() {
    QWidget* w = QApplication::activeModalWidget();
    if (w == nullptr || w == last_handled_) return;
    if (!steps_.empty() && steps_.front()(w)) {
      steps_.pop_front();
      last_handled_ = w;
      QTimer::singleShot(30, this, [this] { last_handled_ = nullptr; });
      return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
      unexpected << box->text();
      QAbstractButton* b = box->button(QMessageBox::Ok);
      if (b == nullptr) b = box->button(QMessageBox::No);
      if (b != nullptr) QMetaObject::invokeMethod(b, "click", Qt::QueuedConnection);
      last_handled_ = w;
      QTimer::singleShot(30, this, [this] { last_handled_ = nullptr; });
    }
  }

  QTimer timer_;
  std::deque<Step> steps_;
  QWidget* last_handled_ = nullptr;
};

}  // namespace tessaly::uitest
