#include "rules/preset_toggle.h"

#include <gtest/gtest.h>

#include <map>

#include "model/show_table.h"
#include "page_fixtures.h"

namespace tessaly::rules {
namespace {

// Settings kept in a map; `writable` false makes every write fail.
struct MapSettings : model::SettingsPort {
  std::map<std::pair<std::string, std::string>, std::string> values;
  bool writable = true;
  std::optional<std::string> Read(const std::string& s, const std::string& k) override {
    auto it = values.find({s, k});
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  bool Write(const std::string& s, const std::string& k, const std::string& v) override {
    if (!writable) return false;
    values[{s, k}] = v;
    return true;
  }
};

TEST(PresetToggle, StartUpReadsTheIntegerValue) {
  MapSettings ini;
  EXPECT_TRUE(ReadShowPresetClass(ini));
  for (auto [text, shown] : std::vector<std::pair<std::string, bool>>{
           {"0", false}, {"1", true}, {"-3", true}, {"abc", true}, {"", true}, {"00", false}}) {
    ini.values[{"YuSeBanJi", "YSBJ_Show"}] = text;
    EXPECT_EQ(ReadShowPresetClass(ini), shown) << text;
  }
  EXPECT_EQ(PresetStatusText(true), "S");
  EXPECT_EQ(PresetStatusText(false), "H");
}

TEST(PresetToggle, TwoBackspacesRestoreTheSettingAndTheFile) {
  MapSettings ini;
  model::ProgramState st =
      testing::SingleState(testing::NumberedTable("T", 1, 2, {"语文", "数学"}, {"住校"}));
  st.ImportedSets[0].Headings.ExtraHeadings.push_back("x");
  for (auto& s : st.ImportedSets[0].Students) s.ExtraValues.push_back("e");
  model::ImportPage page;
  std::string status;
  EXPECT_FALSE(PresetToggleKey('a', st, page, ini, status));
  EXPECT_TRUE(st.ShowPresetClass);
  ASSERT_TRUE(PresetToggleKey(8, st, page, ini, status));
  EXPECT_FALSE(st.ShowPresetClass);
  EXPECT_EQ(status, "H");
  EXPECT_EQ(ini.Read("YuSeBanJi", "YSBJ_Show"), "0");
  EXPECT_EQ(page.ScoreView.ColumnCount(), 10u);
  ASSERT_TRUE(PresetToggleKey(8, st, page, ini, status));
  EXPECT_TRUE(st.ShowPresetClass);
  EXPECT_EQ(status, "S");
  EXPECT_EQ(ini.Read("YuSeBanJi", "YSBJ_Show"), "1");
  EXPECT_EQ(page.ScoreView.ColumnCount(), 11u);
}

TEST(PresetToggle, WithoutTablesOrWritableFileTheSettingStillChanges) {
  MapSettings ini;
  ini.writable = false;
  model::ProgramState st;
  model::ImportPage page;
  std::string status;
  ASSERT_TRUE(PresetToggleKey(8, st, page, ini, status));
  EXPECT_FALSE(st.ShowPresetClass);
  EXPECT_EQ(status, "H");
  EXPECT_EQ(page.ScoreView.RowCount(), 0u);
}

}  // namespace
}  // namespace tessaly::rules
