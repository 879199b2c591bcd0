// Eight programs running `tamrel set` on one file at once keep all of their
// values. The programs are shell loops: POSIX only.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/recording_host.hpp"
#include "support/run_program.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/backup_copy.hpp"
#include "tamrel/context.hpp"
#include "tamrel/platform.hpp"
#include "tamrel/records.hpp"

namespace tamrel::testing {
namespace {

TEST(ToolReliability, EightProgramsSettingValuesAtOnceKeepAllTwoHundred) {
  constexpr int kPrograms = 8;
  constexpr int kSetsEach = 25;
  TempDir dir, io;
  const ProgramFolders folders =
      IsolatedFolders(dir.Path("state"), dir.Path("config"), dir.Path("home"));
  const std::string file = dir.Path("Prefs.tmc");
  // In the script "$0" is the tool and "$1" the file; the ids are distinct.
  std::string script;
  for (int p = 0; p < kPrograms; ++p) {
    script += "(for i in $(seq 1 " + std::to_string(kSetsEach) +
              "); do \"$0\" set \"$1\" Stress p" + std::to_string(p) +
              "_$i v$i || echo failed >&2; done) & ";
  }
  ASSERT_EQ(RunProgram("/bin/sh", {"-c", script + "wait", TAMREL_TOOL_PATH, file},
                       folders.environment, io.Path("out"), io.Path("err")),
            0);
  EXPECT_EQ(TempDir::ReadFile(io.Path("err")), "");

  auto host = RecordingHost::Make();
  auto context = std::make_shared<ContextCls>();
  context->SetApplicationContext(host);
  platform::Hooks hooks;
  hooks.windows_folder = [&] { return folders.backup; };
  platform::Scope scope(hooks);
  ASSERT_TRUE(context->Load(file));
  for (const HostCall& call : host->calls()) {
    EXPECT_NE(call.op, "ShowMessage") << "the file needed a repair";
    EXPECT_NE(call.op, "RegisterError") << call.error.description;
  }
  // One value each, no more.
  EXPECT_EQ(Records(*context).size(), std::size_t{kPrograms * kSetsEach});
  for (int p = 0; p < kPrograms; ++p) {
    for (int i = 1; i <= kSetsEach; ++i) {
      const std::string id = "p" + std::to_string(p) + "_" + std::to_string(i);
      EXPECT_EQ(CStr(context->Value("Stress", id)), "v" + std::to_string(i)) << id;
    }
  }
  EXPECT_EQ(TempDir::ReadFile(BackupCopyPath(file)), TempDir::ReadFile(file));
}

}  // namespace
}  // namespace tamrel::testing
