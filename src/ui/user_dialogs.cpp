#include "ui/user_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpacerItem>
#include <QStandardPaths>
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

// A message box sizes itself to its text; a short text made it narrower
// than its title ("警告 — Tessaly"), which the window frame then cut. A
// spacer as wide as the title and the frame's buttons keeps the title whole.
void FitTitle(QMessageBox& box) {
  auto* layout = qobject_cast<QGridLayout*>(box.layout());
  if (layout == nullptr) return;
  QString title = box.windowTitle();
  if (!QGuiApplication::applicationDisplayName().isEmpty()) {
    title += QStringLiteral(" — ") + QGuiApplication::applicationDisplayName();
  }
  QFont bold = box.font();
  bold.setBold(true);
  const int width = QFontMetrics(bold).horizontalAdvance(title) * 5 / 4 + 140;
  layout->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  layout->rowCount(), 0, 1, layout->columnCount());
}

void ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
             const std::string& text) {
  QMessageBox box(icon, caption, MessageText(text), QMessageBox::Ok, parent);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  FitTitle(box);
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

FileDialogPlan PlanFileDialog(const QString& filter, bool save) {
  const QStringList parts = filter.split(QChar('|'));
  FileDialogPlan plan;
  QStringList entries;
  bool workbook = false;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString& patterns = parts[i + 1];
    QString caption = parts[i];
    if (!caption.contains(patterns)) caption += QStringLiteral(" (") + patterns + ")";
    if (patterns.split(QChar(';')).contains(QStringLiteral("*.fb"))) {
      plan.kind = FileKind::kDivision;
    } else {
      workbook = true;
    }
    if (save && plan.extension.isEmpty()) {
      plan.extension = patterns.section(QChar(';'), 0, 0).section(QChar('.'), 1);
    }
    entries << caption;
  }
  if (workbook) plan.kind = save ? FileKind::kExport : FileKind::kImport;
  if (plan.kind == FileKind::kImport) {
    // The workbook import reads .csv tables as well.
    entries.prepend(QStringLiteral("全部表格文件 (*.xls *.xlsx *.csv)"));
    entries << QStringLiteral("CSV 文件(*.csv)");
  }
  plan.entries = entries.join(QStringLiteral(";;"));
  return plan;
}

QString WithExtension(const QString& path, const QString& extension) {
  if (extension.isEmpty()) return path;
  const QFileInfo info(path);
  const QString suffix = info.suffix().toLower();
  if (suffix == extension.toLower()) return path;
  static const QStringList kFileTypes{QStringLiteral("fb"), QStringLiteral("xls"),
                                      QStringLiteral("xlsx"), QStringLiteral("csv"),
                                      QStringLiteral("txt")};
  if (kFileTypes.contains(suffix)) {
    return path.left(path.size() - suffix.size()) + extension;
  }
  return path + QChar('.') + extension;
}

QString FileNameFrom(const QString& name) {
  QString file = name.trimmed();
  for (QChar& c : file) {
    if (c.unicode() < 32 || QStringLiteral("\\/:*?\"<>|").contains(c)) c = QChar('_');
  }
  return file;
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
  FitTitle(box);
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

namespace {

const char* FolderKey(FileKind kind) {
  switch (kind) {
    case FileKind::kDivision:
      return "DivisionFiles";
    case FileKind::kImport:
      return "ImportedTables";
    case FileKind::kExport:
      return "ExportedTables";
  }
  return "DivisionFiles";
}

}  // namespace

QString QtUser::StartFolder(FileKind kind) const {
  if (settings_ != nullptr) {
    if (auto folder = settings_->Read("Folders", FolderKey(kind))) {
      const QString path = Q(*folder);
      if (!path.isEmpty() && QFileInfo(path).isDir()) return path;
    }
  }
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return documents.isEmpty() ? QDir::homePath() : documents;
}

void QtUser::NoteFile(FileKind kind, const QString& path) {
  if (kind == FileKind::kDivision) division_file_ = path;
  if (settings_ != nullptr) {
    settings_->Write("Folders", FolderKey(kind), Gb(QFileInfo(path).absolutePath()));
  }
}

QString QtUser::ProposedName() const {
  if (!division_file_.isEmpty()) return QFileInfo(division_file_).completeBaseName();
  return proposed_name_ ? FileNameFrom(Q(proposed_name_())) : QString();
}

std::optional<std::string> QtUser::ChooseOpenFile(const std::string& title,
                                                  const std::string& filter) {
  const FileDialogPlan plan = PlanFileDialog(Q(filter), false);
  QFileDialog dialog(parent_, Q(title), StartFolder(plan.kind), plan.entries);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString path = dialog.selectedFiles().front();
  if (path.isEmpty()) return std::nullopt;
  NoteFile(plan.kind, path);
  return PathText(path);
}

std::optional<std::string> QtUser::ChooseSaveFile(const std::string& title,
                                                  const std::string& filter) {
  const FileDialogPlan plan = PlanFileDialog(Q(filter), true);
  QFileDialog dialog(parent_, Q(title), StartFolder(plan.kind), plan.entries);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // A name typed without extension gets the extension of what is written,
  // before the dialog asks whether to replace an existing file.
  dialog.setDefaultSuffix(plan.extension);
  const QString name = ProposedName();
  if (!name.isEmpty()) dialog.selectFile(WithExtension(name, plan.extension));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString chosen = dialog.selectedFiles().front();
  if (chosen.isEmpty() || QFileInfo(chosen).isDir()) return std::nullopt;
  const QString path = WithExtension(chosen, plan.extension);
  // The dialog asked about replacing the name as typed; a name that got
  // another extension is asked about here.
  if (path != chosen && QFileInfo::exists(path) &&
      !Confirm(Gb(QStringLiteral("%1 已存在。要替换它吗？").arg(QFileInfo(path).fileName())))) {
    return std::nullopt;
  }
  NoteFile(plan.kind, path);
  return PathText(path);
}

}  // namespace tessaly::ui
