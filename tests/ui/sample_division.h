#pragma once
// The division page on the bundled sample cohort, divided with a fixed coin,
// with a scripted user, a clipboard in memory and no settings file: what the
// tests of the division page's windows and inner pages start from. Needs
// TESSALY_SOURCE_DIR.

#include <optional>
#include <string>

#include "io/division_file.h"
#include "model/clipboard_port.h"
#include "model/settings_port.h"
#include "support/fake_user.h"
#include "ui/division/division_context.h"
#include "ui/division/division_page.h"
#include "ui/session.h"

namespace tessaly::uitest {

class NoSettings : public model::SettingsPort {
 public:
  std::optional<std::string> Read(const std::string&, const std::string&) override { return {}; }
  bool Write(const std::string&, const std::string&, const std::string&) override { return true; }
};

struct SampleDivision {
  testing::FakeUser user;
  model::MemoryClipboard clipboard;
  NoSettings settings;
  ui::Session session{{}, {}, user, clipboard, settings, {}};
  ui::division::DivisionPage page{session};

  explicit SampleDivision(int height = 768) {
    const io::DivisionRead read =
        io::LoadDivisionFile(std::string(TESSALY_SOURCE_DIR) + "/data/sample.fb", {});
    if (!read.ok) qFatal("the sample cannot be read");
    session.state = read.state;
    page.context().SetCoinSeed(1);
    page.resize(1366, height);
    page.Enter();
    page.divideButton()->click();
  }
  model::ProgramState& state() { return session.state; }
};

}  // namespace tessaly::uitest
