// Clone and Copy judged by what the target holds afterwards, not by
// comparing one path of the call with another.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/recording_host.hpp"
#include "tamrel/context.hpp"
#include "tamrel/records.hpp"

namespace tamrel {
namespace {

using testing::RecordingHost;
using Held = std::vector<Record>;

class CloneCopyTest : public ::testing::Test {
 protected:
  CloneCopyTest() {
    for (auto* context : {source_.get(), target_.get()}) context->SetApplicationContext(host_);
    // Source: Recent/File with two instances (newest first), a gap in
    // numbering from CloneAdd, and a second Tag.
    source_->Add("Recent", "File", Variant("a.txt"));
    source_->Add("Recent", "File", Variant("b.txt"));
    source_->Add("Window", "Left", Variant(int16_t{10}));
    source_->CloneAdd("Recent", "Dir", "/tmp", 7);
  }

  std::shared_ptr<RecordingHost> host_ = RecordingHost::Make();
  std::shared_ptr<ContextCls> source_ = std::make_shared<ContextCls>();
  std::shared_ptr<ContextCls> target_ = std::make_shared<ContextCls>();
  const Held source_records_{{"Window", "Left", 1, "10"},
                             {"Recent", "File", 1, "b.txt"},
                             {"Recent", "File", 2, "a.txt"},
                             {"Recent", "Dir", 7, "/tmp"}};
};

TEST_F(CloneCopyTest, CopyReplacesOnlyTheTagAndAppendsItAtTheEnd) {
  target_->Add("Recent", "File", Variant("old.txt"));
  target_->Add("Keep", "Me", Variant("x"));
  target_->Add("Other", "Id", Variant("y"));
  source_->Copy(target_, "Recent");
  EXPECT_EQ(Records(*target_), (Held{{"Other", "Id", 1, "y"},
                                     {"Keep", "Me", 1, "x"},
                                     {"Recent", "File", 1, "b.txt"},
                                     {"Recent", "File", 2, "a.txt"},
                                     {"Recent", "Dir", 7, "/tmp"}}));
  EXPECT_EQ(Records(*source_), source_records_);
  // The target loses the Tag before the source's records of it are read:
  // into itself, a Copy only removes.
  source_->Copy(source_, "Recent");
  EXPECT_EQ(Records(*source_), (Held{{"Window", "Left", 1, "10"}}));
  EXPECT_TRUE(host_->Errors().empty());
}

TEST_F(CloneCopyTest, CloneGivesTheSameRecordsInOrderAndEmptiesATargetFirst) {
  source_->MoveFirst("Recent", "File");
  source_->MoveNext("Recent", "File");
  ASSERT_EQ(Records(*source_), source_records_);
  EXPECT_EQ(CStr(source_->Read("Recent", "File")), "a.txt") << "Records moves no cursor";

  std::shared_ptr<ContextCls> fresh;
  source_->Clone(fresh);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(Records(*fresh), source_records_);

  target_->Add("Old", "Value", Variant("gone"));
  target_->name("Target");
  const std::shared_ptr<ContextCls> held_before = target_;
  source_->Clone(target_);
  EXPECT_EQ(target_, held_before) << "a target that exists is kept, not replaced";
  EXPECT_EQ(Records(*target_), source_records_);
  EXPECT_EQ(target_->name(), "Target");
  EXPECT_EQ(Records(*source_), source_records_);
  // Into itself, a Clone empties.
  std::shared_ptr<ContextCls> self = source_;
  source_->Clone(self);
  EXPECT_EQ(self, source_);
  EXPECT_TRUE(Records(*source_).empty());
  EXPECT_TRUE(host_->Errors().empty());
}

}  // namespace
}  // namespace tamrel
