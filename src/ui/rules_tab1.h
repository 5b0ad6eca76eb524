#pragma once
// The page "分班规则制定1(必须)".

#include <QWidget>

#include "ui/session.h"

namespace tessaly::ui {

class RulesTab1 : public QWidget {
  Q_OBJECT
 public:
  RulesTab1(Session& session, QWidget* parent = nullptr);
  // Entering the page renders it from the rule lists.
  void Enter();
  // Leaving the page writes the weights, the sound pairs and the ranges.
  void Leave();

 private:
  Session& s_;
};

}  // namespace tessaly::ui
