// tessaly-shots-versions: pictures of the versions window, the chart of the
// class averages and the print window on a division file, for people to
// look at.
//   tessaly-shots-versions DIVISION.fb OUTPUT_FOLDER

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QThread>
#include <algorithm>

#include "ui/division/averages_chart_view.h"
#include "ui/division/averages_page.h"
#include "ui/division/division_page.h"
#include "ui/division/print_window.h"
#include "ui/division/versions_window.h"
#include "ui/main_window.h"
#include "ui/qt_settings.h"
#include "ui/shots/settle.h"

namespace {

using namespace tessaly::ui;

using shots::Settle;

void Save(QWidget* w, const QString& folder, const QString& name) {
  shots::Save(w, folder, name, 200);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList args = QApplication::arguments();
  if (args.size() != 3) {
    qWarning("usage: tessaly-shots-versions DIVISION.fb OUTPUT_FOLDER");
    return 2;
  }
  const QString out = args[2];
  QDir().mkpath(out);
  const ProgramFiles files = ProgramFiles::In(ProgramFolder());
  MainWindow window(files, std::make_unique<QtIniSettings>(files.settings));
  const QRect screen = QApplication::primaryScreen()->availableGeometry();
  window.setGeometry(screen);
  window.show();
  window.OpenDivisionFile(QFileInfo(args[1]).absoluteFilePath());
  window.pages()->setCurrentIndex(3);
  division::DivisionPage* page = window.divisionPage();
  page->Divide();
  Settle(300);

  // Two versions: the division, and the division after the optimiser.
  division::VersionsWindow* versions = division::ShowVersionsWindow(page->context(), page);
  versions->nameBox()->setText(QStringLiteral("初次分班"));
  versions->SaveVersion();
  page->Optimise();
  versions->nameBox()->setText(QStringLiteral("优化均衡人数后"));
  versions->SaveVersion();
  versions->Compare();
  versions->resize(std::min(1100, screen.width() - 40), std::min(700, screen.height() - 40));
  Save(versions, out, QStringLiteral("11-versions"));
  versions->hide();

  division::AveragesChartWindow* chart =
      division::ShowAveragesChart(page->context(), page->averagesPage());
  chart->resize(std::min(1100, screen.width() - 40), screen.height() - 60);
  Save(chart, out, QStringLiteral("12-averages-chart"));
  chart->hide();

  division::PrintWindow print(page->context(), page);
  print.show();
  Save(&print, out, QStringLiteral("13-print-class-lists"));
  return 0;
}
