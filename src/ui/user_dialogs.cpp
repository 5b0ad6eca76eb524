#include "ui/user_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include "ui/qt_text.h"

namespace tessaly::ui {

namespace {

// Message texts break lines with a carriage return alone or with a line
// feed; a message box wants line feeds.
QString MessageText(const std::string& cp936) {
  QString text = Q(cp936);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QChar('\r'), QChar('\n'));
  return text;
}

void ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
             const std::string& text) {
  QMessageBox box(icon, caption, MessageText(text), QMessageBox::Ok, parent);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  box.exec();
}

}  // namespace

ErrorWindow::ErrorWindow(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("错误提示"));
  setObjectName(QStringLiteral("TERROR_F"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("错误提示："), this));
  memo_ = new QPlainTextEdit(this);
  memo_->setObjectName(QStringLiteral("bsSkinMemo21"));
  memo_->setReadOnly(true);
  memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  layout->addWidget(memo_, 1);
  close_ = new QPushButton(QStringLiteral("关    闭"), this);
  close_->setObjectName(QStringLiteral("bsSkinButton1"));
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(close_);
  row->addStretch();
  layout->addLayout(row);
  connect(close_, &QPushButton::clicked, this, &QDialog::accept);
  resize(640, 420);
}

void ErrorWindow::SetLines(const std::vector<std::string>& lines) {
  QStringList texts;
  for (const std::string& line : lines) texts << Q(line);
  memo_->setPlainText(texts.join(QChar('\n')));
}

ProgressWindow::ProgressWindow(QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("progressWindow"));
  auto* layout = new QVBoxLayout(this);
  label_ = new QLabel(this);
  layout->addWidget(label_);
  bar_ = new QProgressBar(this);
  bar_->setRange(0, 100);
  bar_->setTextVisible(true);
  bar_->setFormat(QStringLiteral("%p%"));
  layout->addWidget(bar_);
  setMinimumWidth(380);
}

void ProgressWindow::Start(const QString& title) {
  setWindowTitle(title);
  label_->setText(title);
  bar_->setValue(0);
  show();
  raise();
  repaint();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressWindow::SetValue(int value) {
  if (value >= 100) {
    bar_->setValue(100);
    hide();
    return;
  }
  if (!isVisible()) show();
  bar_->setValue(value < 0 ? 0 : value);
  // The command runs on this thread: paint now, without taking user input.
  repaint();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString DialogFilter(const QString& filter) {
  const QStringList parts = filter.split(QChar('|'));
  QStringList entries;
  bool workbook = false;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString caption = parts[i];
    if (!caption.contains(parts[i + 1])) caption += QStringLiteral(" (") + parts[i + 1] + ")";
    entries << caption;
    if (parts[i + 1].contains(QStringLiteral("*.xls"))) workbook = true;
  }
  if (workbook) {
    // The workbook import reads .csv tables as well.
    entries.prepend(QStringLiteral("全部表格文件 (*.xls *.xlsx *.csv)"));
    entries << QStringLiteral("CSV 文件(*.csv)");
  }
  return entries.join(QStringLiteral(";;"));
}

QtUser::QtUser(QWidget* parent)
    : parent_(parent), errors_(new ErrorWindow(parent)), progress_(new ProgressWindow(parent)) {}

QtUser::~QtUser() = default;

void QtUser::Warning(const std::string& text) {
  ShowBox(parent_, QMessageBox::Warning, QStringLiteral("警告"), text);
}

void QtUser::Error(const std::string& text) {
  ShowBox(parent_, QMessageBox::Critical, QStringLiteral("错误"), text);
}

void QtUser::Information(const std::string& text) {
  ShowBox(parent_, QMessageBox::Information, QStringLiteral("提示"), text);
}

bool QtUser::Confirm(const std::string& text) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("确认"), MessageText(text),
                  QMessageBox::Yes | QMessageBox::No, parent_);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void QtUser::ShowImportErrors(const std::vector<std::string>& lines) {
  errors_->SetLines(lines);
  if (!errors_->isVisible()) errors_->exec();
}

void QtUser::ProgressStart(const std::string& title) {
  progress_->Start(Q(title));
}

void QtUser::ProgressSet(int value) {
  progress_->SetValue(value);
}

void QtUser::ProgressClose() {
  progress_->hide();
}

std::optional<std::string> QtUser::ChooseOpenFile(const std::string& title,
                                                  const std::string& filter) {
  const QString path =
      QFileDialog::getOpenFileName(parent_, Q(title), QString(), DialogFilter(Q(filter)));
  if (path.isEmpty()) return std::nullopt;
  return PathText(path);
}

std::optional<std::string> QtUser::ChooseSaveFile(const std::string& title,
                                                  const std::string& filter) {
  QString selected;
  QString path = QFileDialog::getSaveFileName(parent_, Q(title), QString(), DialogFilter(Q(filter)),
                                              &selected);
  if (path.isEmpty()) return std::nullopt;
  // The dialog's filter names the extension the file gets when none is typed.
  const int star = selected.indexOf(QStringLiteral("*."));
  if (star >= 0 && QFileInfo(path).suffix().isEmpty()) {
    path += selected.mid(star + 1).section(QChar(')'), 0, 0).section(QChar(' '), 0, 0);
  }
  return PathText(path);
}

}  // namespace tessaly::ui
