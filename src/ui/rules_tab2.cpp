#include "ui/rules_tab2.h"

namespace tessaly::ui {

RulesTab2::RulesTab2(Session& session, QWidget* parent) : QWidget(parent), s_(session) {
  setObjectName(QStringLiteral("bsSkinTabSheet3"));
}

void RulesTab2::Enter() {}

}  // namespace tessaly::ui
