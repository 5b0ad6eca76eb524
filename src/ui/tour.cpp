// tessaly-tour: one whole division in the desktop program, step by step with
// a caption over the window, for the demonstration video that
// scripts/record-demo.sh films. It drives the real window: a new division,
// the pasted import of the sample's table, the rules, "开始分班", the inner
// pages, the deep optimisation, saving the division file and the Excel
// export; the dialogs are answered as a teacher would, after a pause.
//   tessaly-tour DIVISION.fb OUTPUT_FOLDER

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <functional>
#include <vector>

#include "io/division_file.h"
#include "model/number_format.h"
#include "ui/division/counts_page.h"
#include "ui/division/division_page.h"
#include "ui/import_tab.h"
#include "ui/main_window.h"
#include "ui/new_division_window.h"
#include "ui/qt_settings.h"
#include "ui/qt_text.h"
#include "ui/shots/settle.h"

namespace {

using namespace tessaly;
using namespace tessaly::ui;

// Lets the window paint and the recorder film for `ms`.
void Pause(int ms) {
  shots::Settle(ms);
}

// The caption at the bottom of the window.
class Caption : public QLabel {
 public:
  explicit Caption(QWidget* window) : QLabel(window) {
    setStyleSheet(
        QStringLiteral("background: rgba(20, 40, 80, 215); color: white; "
                       "font-size: 26px; padding: 10px 24px; border-radius: 8px;"));
    setAlignment(Qt::AlignCenter);
  }
  void Say(const QString& text) {
    setText(text);
    adjustSize();
    QWidget* w = parentWidget();
    move((w->width() - width()) / 2, w->height() - height() - 40);
    raise();
    show();
    repaint();
  }
};

// Answers the modal windows that the commands open, after a pause in which
// the viewer sees them: file dialogs get the prepared name, the
// new-division dialog one table, message boxes their default button.
class Answerer : public QObject {
 public:
  Answerer() {
    timer_.setInterval(100);
    connect(&timer_, &QTimer::timeout, this, &Answerer::Poll);
    timer_.start();
  }
  QString next_file;

 private:
  void Poll() {
    QWidget* w = QApplication::activeModalWidget();
    if (w == nullptr || w != seen_) {
      // A new window may reuse the address of one already answered.
      seen_ = w;
      answered_ = nullptr;
      since_.start();
      return;
    }
    if (since_.elapsed() < 1800 || answered_ == w) return;
    answered_ = w;
    if (auto* dialog = qobject_cast<QFileDialog*>(w)) {
      if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        name->setText(next_file);
      } else {
        dialog->selectFile(next_file);
      }
      QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    } else if (auto* d = qobject_cast<NewDivisionWindow*>(w)) {
      d->singleBox()->setChecked(true);
      QMetaObject::invokeMethod(d->okButton(), "click", Qt::QueuedConnection);
    } else if (auto* box = qobject_cast<QMessageBox*>(w)) {
      QAbstractButton* b = box->defaultButton();
      if (b == nullptr) b = box->button(QMessageBox::Ok);
      if (b == nullptr) b = box->button(QMessageBox::Yes);
      if (b != nullptr) QMetaObject::invokeMethod(b, "click", Qt::QueuedConnection);
    }
  }
  QTimer timer_;
  QWidget* seen_ = nullptr;
  QWidget* answered_ = nullptr;
  QElapsedTimer since_;
};

// The sample's table as a teacher copies it out of a spreadsheet: the
// headings (subjects "KEMU", balance columns "JUNHENG"), then a row a
// student, cells separated by tabs.
QString TableText(const model::Student_F& t) {
  QStringList lines;
  QStringList head = {QStringLiteral("学号"), QStringLiteral("姓名"), QStringLiteral("性别"),
                      QStringLiteral("预设班级")};
  for (const std::string& h : t.Headings.SubjectHeadings) head << QStringLiteral("KEMU") + Q(h);
  for (const std::string& h : t.Headings.BalanceHeadings) head << QStringLiteral("JUNHENG") + Q(h);
  for (const std::string& h : t.Headings.ExtraHeadings) head << Q(h);
  lines << head.join(QChar('\t'));
  for (const model::student& s : t.Students) {
    QStringList row = {Q(s.Number), Q(s.Name), Q(s.Gender),
                       s.PresetClass >= 0 ? QString::number(s.PresetClass) : QString()};
    for (double v : s.Scores) row << Q(model::FormatNumber(v));
    for (const std::string& v : s.BalanceValues) row << Q(v);
    for (const std::string& v : s.ExtraValues) row << Q(v);
    lines << row.join(QChar('\t'));
  }
  return lines.join(QChar('\n')) + QChar('\n');
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() != 3) {
    qWarning("usage: tessaly-tour DIVISION.fb OUTPUT_FOLDER");
    return 2;
  }
  const io::DivisionRead sample = io::LoadDivisionFile(PathText(args[1]), {});
  if (!sample.ok || sample.state.ImportedSets.empty()) {
    qWarning("cannot read %s", qPrintable(args[1]));
    return 1;
  }
  const QDir out(args[2]);
  QDir().mkpath(out.path());
  const ProgramFiles files = ProgramFiles::In(ProgramFolder());
  MainWindow window(files, std::make_unique<QtIniSettings>(files.settings));
  window.showMaximized();
  Caption caption(&window);
  Answerer answerer;
  Session& s = window.session();
  ImportTab* import = window.importTab();
  division::DivisionPage* division = window.divisionPage();
  auto step = [&](const QString& text, const std::function<void()>& act, int ms) {
    caption.Say(text);
    Pause(900);
    if (act) act();
    Pause(ms);
  };

  step(QStringLiteral("Tessaly 分班演示：一个年级 1,500 名学生，从导入到导出"), nullptr, 2500);
  step(
      QStringLiteral("第 1 步：新建分班数据，选择导入一份成绩"), [&] { import->NewDivision(); },
      1000);
  QApplication::clipboard()->setText(TableText(sample.state.ImportedSets[0]));
  step(
      QStringLiteral("第 2 步：在表格软件中复制成绩表，点击“装入分班数据”"),
      [&] {
        import->findChild<QLineEdit*>(QStringLiteral("bsSkinEdit2"))
            ->setText(QStringLiteral("高一期末考试"));
        import->PasteImport();
      },
      2500);
  // The rules of the sample, as the teacher sets them on the two pages.
  s.state.ClassRangeRows = sample.state.ClassRangeRows;
  s.state.BandConditionRows = sample.state.BandConditionRows;
  s.state.BalanceItemRows = sample.state.BalanceItemRows;
  s.state.InitialSoundPairs = sample.state.InitialSoundPairs;
  s.state.FinalSoundPairs = sample.state.FinalSoundPairs;
  step(
      QStringLiteral("第 3 步：分班规则：班级类型范围、班数、模糊音"),
      [&] { window.pages()->setCurrentIndex(1); }, 3000);
  step(
      QStringLiteral("可选规则：分数段均衡条件和均衡项目的级别"),
      [&] { window.pages()->setCurrentIndex(2); }, 3000);
  step(
      QStringLiteral("第 4 步：点击“开始分班”"),
      [&] {
        window.pages()->setCurrentIndex(3);
        Pause(800);
        division->divideButton()->click();
      },
      2500);
  const QStringList inner = {QStringLiteral("各班平均分：每个班都接近本范围的平均"),
                             QStringLiteral("分班名单：每个学生的新班级"),
                             QStringLiteral("人数统计：性别、均衡项目、分数段"),
                             QStringLiteral("同名同音：名字相同或读音相近的学生分在不同班"),
                             QStringLiteral("查询调整：手工调班，自动补回")};
  for (int k = 0; k < inner.size(); ++k) {
    step(
        inner[k],
        [&, k] {
          division->innerPages()->setCurrentIndex(k);
          if (k == 2) division->countsPage()->computeButton()->click();
        },
        2200);
  }
  step(
      QStringLiteral("第 5 步：选择“深度优化”，点击“优化分班结果”"),
      [&] {
        division->innerPages()->setCurrentIndex(0);
        const QList<QAbstractButton*> options = division->options()->buttons();
        options.back()->setChecked(true);
        Pause(800);
        division->optimiseButton()->click();
      },
      2500);
  answerer.next_file = out.filePath(QStringLiteral("高一分班.fb"));
  step(
      QStringLiteral("第 6 步：保存分班结果（.fb 文件），以后可以打开继续"),
      [&] { division->saveButton()->click(); }, 2000);
  answerer.next_file = out.filePath(QStringLiteral("高一分班.xlsx"));
  step(
      QStringLiteral("第 7 步：保存所有数据到 Excel：平均分、名单、统计，每班一张表"),
      [&] { division->exportButton()->click(); }, 2000);
  step(
      QStringLiteral("分班完成：分班结果已保存，所有数据已导出到 Excel"),
      [&] { division->innerPages()->setCurrentIndex(1); }, 3000);
  return 0;
}
