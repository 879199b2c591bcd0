// ContextFileWatcher: another context's save reaches the signal through the
// thread's Qt event loop alone.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <memory>
#include <vector>

#include "support/discarding_host.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/context.hpp"
#include "tamrel/platform.hpp"
#include "tamrel/qt_watcher.hpp"

namespace tamrel::testing {
namespace {

TEST(ContextFileWatcherTest, AnotherContextsSaveIsSignalledFromTheEventLoop) {
  TempDir dir;
  platform::Hooks hooks;
  hooks.windows_folder = [&] { return dir.Path(""); };
  platform::Scope backups(hooks);
  const std::string file = dir.Path("Prefs.tmc");
  auto host_context = std::make_shared<ContextCls>();
  qt::ContextFileWatcher watcher(file, host_context);
  std::vector<ContextChange> reports;
  QEventLoop loop;
  QObject::connect(&watcher, &qt::ContextFileWatcher::changed, [&](const ContextChange& change) {
    reports.push_back(change);
    loop.quit();
  });

  auto other = std::make_shared<ContextCls>();
  other->SetApplicationContext(std::make_shared<DiscardingHost>());
  other->Add("Window", "Left", Variant("120"));
  ASSERT_TRUE(other->Save(file));
  QTimer::singleShot(3000, &loop, &QEventLoop::quit);
  loop.exec();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].added, (std::vector<Record>{{"Window", "Left", 1, "120"}}));
}

}  // namespace
}  // namespace tamrel::testing
