// FormsTest: a context with a recording host, and a look into its store.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "context/context_state.hpp"
#include "support/recording_host.hpp"
#include "tamrel/context.hpp"
#include "tamrel/dictionary.hpp"
#include "tamrel/forms.hpp"

namespace tamrel::testing {

// The list separator of form binding.
inline std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) text += (i == 0 ? "" : "`") + parts[i];
  return text;
}

class FormsTest : public ::testing::Test {
 protected:
  FormsTest() { context_->SetApplicationContext(host_); }

  // The values under (tag, id) in store order, newest first.
  std::vector<std::string> Stored(const std::string& tag, const std::string& id) {
    std::vector<std::string> values;
    detail::StateOf(*context_).items.ForEach([&](const detail::ContextItem& item) {
      if (item.Tag == tag && item.Id == id) values.push_back(item.Value);
    });
    return values;
  }

  // The number of records in the store.
  int32_t RecordCount() { return detail::StateOf(*context_).items.Count(); }

  std::string Entry(const std::string& key) {
    EXPECT_TRUE(snapshot_.Exists(key)) << key;
    return snapshot_.Exists(key) ? CStr(snapshot_.Item(key)) : std::string();
  }

  std::shared_ptr<RecordingHost> host_ = RecordingHost::Make();
  std::shared_ptr<ContextCls> context_ = std::make_shared<ContextCls>();
  Dictionary snapshot_;
};

}  // namespace tamrel::testing
