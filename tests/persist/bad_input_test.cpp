// The library's side of the README's bad-input table, where other tests do
// not already show it: a folder where the file is expected, nesting too deep
// and a file of 50 MB. (A read-only file: the tool's table and the file
// system object's tests.)
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "persist_fixture.hpp"
#include "tamrel/error.hpp"

namespace tamrel::testing {
namespace {

class BadInputTest : public PersistTest {
 protected:
  const std::string path_ = dir_.Path("Setup.tmc");
};

TEST_F(BadInputTest, AFolderWhereTheFileIsExpectedIsNoFileToLoadAndRefusesASave) {
  std::filesystem::create_directory(path_);
  EXPECT_FALSE(context_->Load(path_));
  EXPECT_TRUE(host_->Errors().empty());
  Fill(*context_, {{"Setup", "Port", 1, "COM1"}});
  EXPECT_FALSE(context_->Save(path_));
  EXPECT_EQ(host_->Errors(), (Reports{{"Tamrel/ContextCls/Save", errc::kPermissionDenied}}));
  EXPECT_TRUE(std::filesystem::is_directory(path_));
  EXPECT_FALSE(Exists(Backup("Setup.tmc")));
}

TEST_F(BadInputTest, NestingTooDeepIsADamagedFileNotACrash) {
  constexpr int kDepth = 100000;
  std::string text = "<context>";
  for (int i = 0; i < kDepth; ++i) text += "<a>";
  for (int i = 0; i < kDepth; ++i) text += "</a>";
  text += "</context>";
  dir_.WriteFile("Setup.tmc", text);
  const std::string good = ContextFile(Element("Setup", "Port", 1, "COM1"));
  WriteDated(Backup("Setup.tmc"), good, 45000);

  // What was read before the damage stays, as for any damaged file.
  EXPECT_TRUE(context_->Load(path_));
  EXPECT_EQ(RecordsOf(*context_).back(), (Record{"Setup", "Port", 1, "COM1"}));
  EXPECT_EQ(Read(path_ + "_corrupt(1)"), text);
  EXPECT_EQ(Read(path_), good);
}

TEST_F(BadInputTest, AFileOf50MegabytesLoadsAndSavesWhole) {
  const std::string value(50 << 20, 'x');
  dir_.WriteFile("Setup.tmc", ContextFile(Element("Big", "blob", 1, value)));
  ASSERT_TRUE(context_->Load(path_));
  EXPECT_EQ(CStr(context_->Value("Big", "blob")).size(), value.size());
  ASSERT_TRUE(context_->Save(path_));
  EXPECT_EQ(Read(Backup("Setup.tmc")), Read(path_));
}

}  // namespace
}  // namespace tamrel::testing
