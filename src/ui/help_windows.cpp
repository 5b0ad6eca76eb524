#include "ui/help_windows.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#if TESSALY_MULTIMEDIA
#include <QAudioOutput>
#include <QMediaPlayer>
#include <QVideoWidget>
#else
#include <QDesktopServices>
#endif

#include "ui/program_folder.h"
#include "ui/qt_text.h"

namespace tessaly::ui {

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Thelp_f"));
  setWindowTitle(QStringLiteral("操作说明"));
  setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  browser_ = new QTextBrowser(this);
  browser_->setObjectName(QStringLiteral("WebBrowser1"));
  browser_->setOpenExternalLinks(true);
  layout->addWidget(browser_);
}

void HelpWindow::ShowPage(const QString& path) {
  browser_->setSource(QUrl::fromLocalFile(path));
  if (!QFileInfo::exists(path)) {
    browser_->setHtml(QStringLiteral("<h2>页面没找到</h2><p>") + path.toHtmlEscaped() +
                      QStringLiteral("</p>"));
  }
  if (isVisible()) return;
  setWindowState(windowState() | Qt::WindowMaximized);
  exec();
}

VideoWindow::VideoWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Tyanshi_f"));
  setWindowTitle(QStringLiteral("视频演示"));
  setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
#if TESSALY_MULTIMEDIA
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  video_ = new QVideoWidget(this);
  video_->setObjectName(QStringLiteral("WindowsMediaPlayer1"));
  layout->addWidget(video_);
#endif
}

#if TESSALY_MULTIMEDIA
void VideoWindow::Play(const QString& path) {
  if (isVisible()) return;
  if (player_ == nullptr) {
    // The media stack is started only when a video is played, so the
    // program starts also where it is missing.
    player_ = new QMediaPlayer(this);
    audio_ = new QAudioOutput(this);
    player_->setAudioOutput(audio_);
    player_->setVideoOutput(video_);
  }
  player_->setSource(QUrl::fromLocalFile(path));
  player_->setPosition(0);
  player_->play();
  setWindowState(windowState() | Qt::WindowMaximized);
  exec();
}

void VideoWindow::done(int result) {
  // Closing the window closes the media: the sound stops, and the next
  // opening starts from the beginning.
  if (player_ != nullptr) {
    player_->stop();
    player_->setSource(QUrl());
  }
  QDialog::done(result);
}
#else
// Built without Qt Multimedia: the system's player plays the video.
void VideoWindow::Play(const QString& path) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void VideoWindow::done(int result) {
  QDialog::done(result);
}
#endif

void ShowHelp(HelpWindow* window, const QString& help_path) {
  window->ShowPage(help_path);
}

void ShowVideo(VideoWindow* window, const QString& video_path, model::UserPort& user) {
  if (QFileInfo::exists(video_path)) {
    window->Play(video_path);
    return;
  }
  user.Information(Gb(MissingFileMessage(video_path)));
}

}  // namespace tessaly::ui
