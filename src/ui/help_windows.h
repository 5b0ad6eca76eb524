#pragma once
// The help window "操作说明" (the help page in a text browser) and the
// demonstration video window "视频演示" (a media player; where the program is
// built without Qt Multimedia, the system's player plays the video).

#include <QDialog>

#include "model/user_port.h"

class QAudioOutput;
class QMediaPlayer;
class QTextBrowser;
class QVideoWidget;

namespace tessaly::ui {

class HelpWindow : public QDialog {
  Q_OBJECT
 public:
  explicit HelpWindow(QWidget* parent = nullptr);
  // Loads the page and shows the window maximised, modally (unless showing).
  void ShowPage(const QString& path);
  QTextBrowser* browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
};

class VideoWindow : public QDialog {
  Q_OBJECT
 public:
  explicit VideoWindow(QWidget* parent = nullptr);
  // Plays the video from its beginning in the maximised window, modally.
  void Play(const QString& path);
  QMediaPlayer* player() const { return player_; }
  void done(int result) override;

 private:
  QMediaPlayer* player_ = nullptr;
  QAudioOutput* audio_ = nullptr;
  QVideoWidget* video_ = nullptr;
};

// "新手分班必读": the help page.
void ShowHelp(HelpWindow* window, const QString& help_path);

// "视频分班演示": the video, or the missing-file message of `video_path`.
void ShowVideo(VideoWindow* window, const QString& video_path, model::UserPort& user);

}  // namespace tessaly::ui
