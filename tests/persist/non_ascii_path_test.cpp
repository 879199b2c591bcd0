// Context files in folders and under names beyond ASCII: saved with their
// backup copy, rotated to a generation, set aside when damaged and restored,
// every name kept as given.
#include <gtest/gtest.h>

#include <string>

#include "persist_fixture.hpp"

namespace tamrel::testing {
namespace {

constexpr double kNow = 45000.5;  // 2023-03-15 12:00:00

class NonAsciiPathTest : public PersistTest {
 protected:
  NonAsciiPathTest() : clock_(Clock()) {}

  static platform::Hooks Clock() {
    platform::Hooks hooks;
    hooks.now = [] { return kNow; };
    return hooks;
  }

  platform::Scope clock_;
};

TEST_F(NonAsciiPathTest, SavesLoadsRotatesAndSetsAsideUnderTheGivenNames) {
  struct Case {
    std::string folder, stem;
  };
  const Case cases[] = {{"Ärger", "Einstellungen"}, {"日本", "設定"}};
  const Records records = {{"Fenster", "Größe", 1, "groß & 日本語"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    const std::string path = dir_.Path(c.folder + "/" + c.stem + ".tmc");
    context_->Clear();
    Fill(*context_, records);
    ASSERT_TRUE(context_->Save(path));  // the folder is made
    EXPECT_EQ(Read(Backup(c.stem + ".tmc")), Read(path));

    platform::Current().file_system->SetModified(path, kNow - 1);
    ASSERT_TRUE(context_->Save(path));
    EXPECT_EQ(Read(dir_.Path(c.folder + "/" + c.stem + "(1).tmc")), Read(path));

    const std::string damaged = "<context><Fenster id=";
    dir_.WriteFile(c.folder + "/" + c.stem + ".tmc", damaged);
    auto loaded = std::make_shared<ContextCls>();
    loaded->SetApplicationContext(RecordingHost::Make());
    ASSERT_TRUE(loaded->Load(path));
    EXPECT_EQ(RecordsOf(*loaded), records);
    EXPECT_EQ(Read(path + "_corrupt(1)"), damaged);
    EXPECT_EQ(Read(path), Read(Backup(c.stem + ".tmc")));
  }
}

}  // namespace
}  // namespace tamrel::testing
