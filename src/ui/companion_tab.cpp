#include "ui/companion_tab.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QProcess>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/qt_text.h"

namespace tessaly::ui {

bool LaunchCompanion(const QString& program, model::UserPort& user) {
  if (QFileInfo(program).isFile() &&
      QProcess::startDetached(program, {}, QFileInfo(program).absolutePath())) {
    return true;
  }
  user.Information(Gb(MissingFileMessage(program)));
  return false;
}

CompanionTab::CompanionTab(Session& session, QWidget* parent) : QWidget(parent), s_(session) {
  setObjectName(QStringLiteral("bsSkinTabSheet5"));
  auto* layout = new QVBoxLayout(this);
  browser_ = new QTextBrowser(this);
  browser_->setObjectName(QStringLiteral("WebBrowser1"));
  browser_->setOpenExternalLinks(true);
  layout->addWidget(browser_, 1);
  auto* launch = new QPushButton(QStringLiteral("启动排课软件"), this);
  launch->setObjectName(QStringLiteral("bsSkinButton22"));
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(launch);
  row->addStretch();
  layout->addLayout(row);
  connect(launch, &QPushButton::clicked, this,
          [this] { LaunchCompanion(s_.files.companion, s_.user); });
}

void CompanionTab::LoadPage() {
  browser_->setSource(QUrl::fromLocalFile(s_.files.companion_page));
}

}  // namespace tessaly::ui
