#pragma once
// The page "分班规则制定2(可选)".

#include <QWidget>

#include "ui/session.h"

namespace tessaly::ui {

class RulesTab2 : public QWidget {
  Q_OBJECT
 public:
  RulesTab2(Session& session, QWidget* parent = nullptr);
  // Entering the page renders it from the rule lists.
  void Enter();

 private:
  Session& s_;
};

}  // namespace tessaly::ui
