#include "ui/rules_tab1.h"

namespace tessaly::ui {

RulesTab1::RulesTab1(Session& session, QWidget* parent) : QWidget(parent), s_(session) {
  setObjectName(QStringLiteral("bsSkinTabSheet2"));
}

void RulesTab1::Enter() {}

void RulesTab1::Leave() {}

}  // namespace tessaly::ui
