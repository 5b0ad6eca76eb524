#include "ui/new_division_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include "ui/key_input.h"

namespace tessaly::ui {

NewDivisionWindow::NewDivisionWindow(Session& session, QWidget* parent)
    : QDialog(parent), s_(session) {
  setObjectName(QStringLiteral("TNewClass_f"));
  setWindowTitle(QStringLiteral("新建分班"));
  setModal(true);
  auto* layout = new QGridLayout(this);
  combine_ = new QCheckBox(QStringLiteral("导入多份成绩折合"), this);
  combine_->setObjectName(QStringLiteral("bsSkinCheckRadioBox1"));
  count_ = new QSpinBox(this);
  count_->setObjectName(QStringLiteral("bsSkinSpinEdit1"));
  count_->setRange(import::NewDivisionDialog::kMinCount, import::NewDivisionDialog::kMaxCount);
  count_->setSingleStep(1);
  AcceptFullWidth(count_);
  single_ = new QCheckBox(QStringLiteral("仅导入一份成绩"), this);
  single_->setObjectName(QStringLiteral("bsSkinCheckRadioBox2"));
  ok_ = new QPushButton(QStringLiteral("确   定"), this);
  ok_->setObjectName(QStringLiteral("bsSkinXFormButton1"));
  ok_->setDefault(true);
  layout->addWidget(combine_, 0, 0);
  layout->addWidget(new QLabel(QStringLiteral("成绩份数："), this), 0, 1);
  layout->addWidget(count_, 0, 2);
  layout->addWidget(single_, 1, 0, 1, 3);
  layout->addWidget(ok_, 2, 0, 1, 3, Qt::AlignCenter);
  layout->setVerticalSpacing(14);
  layout->setContentsMargins(24, 20, 24, 16);

  connect(combine_, &QCheckBox::toggled, this, [this](bool on) {
    dialog_.SetCombine(on);
    Render();
  });
  connect(single_, &QCheckBox::toggled, this, [this](bool on) {
    dialog_.SetSingle(on);
    Render();
  });
  connect(count_, &QSpinBox::valueChanged, this, [this](int v) { dialog_.SetCount(v); });
  connect(ok_, &QPushButton::clicked, this, [this] {
    if (!dialog_.Accept(s_.state, s_.user)) return;
    accepting_ = true;
    accept();
    accepting_ = false;
  });
  Render();
}

void NewDivisionWindow::Render() {
  const QSignalBlocker b1(combine_);
  const QSignalBlocker b2(single_);
  const QSignalBlocker b3(count_);
  combine_->setChecked(dialog_.combine());
  single_->setChecked(dialog_.single());
  count_->setValue(dialog_.count());
}

void NewDivisionWindow::Open() {
  Render();
  exec();
}

void NewDivisionWindow::done(int result) {
  // Escape and the window's close button end here too: closing is refused
  // while neither box is checked.
  if (!accepting_ && !dialog_.RequestClose(s_.user)) return;
  QDialog::done(result);
}

}  // namespace tessaly::ui
