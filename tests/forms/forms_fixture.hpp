// FormsTest: a context with a recording host and a form, with a look into the
// context's store and the form binding's dictionary.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "automation/error_number.hpp"
#include "context/context_state.hpp"
#include "support/recording_host.hpp"
#include "tamrel/context.hpp"
#include "tamrel/dictionary.hpp"
#include "tamrel/error.hpp"
#include "tamrel/forms.hpp"

namespace tamrel::testing {

using Values = std::vector<std::string>;
using Reports = std::vector<std::pair<std::string, int32_t>>;

// The list separator of form binding.
inline std::string Joined(const Values& parts) {
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) text += (i == 0 ? "" : "`") + parts[i];
  return text;
}

class FormsTest : public ::testing::Test {
 protected:
  FormsTest() { context_->SetApplicationContext(host_); }

  // The values under (tag, id) in store order, newest first.
  Values Stored(const std::string& tag, const std::string& id) {
    Values values;
    detail::StateOf(*context_).items.ForEach([&](const detail::ContextItem& item) {
      if (item.Tag == tag && item.Id == id) values.push_back(item.Value);
    });
    return values;
  }
  int32_t RecordCount() { return detail::StateOf(*context_).items.Count(); }
  // The dictionary entry under `key`, which must exist.
  std::string Entry(const std::string& key) {
    EXPECT_TRUE(snapshot_.Exists(key)) << key;
    return snapshot_.Exists(key) ? CStr(snapshot_.Item(key)) : std::string();
  }
  // Extracts `form` into the dictionary and returns the caller's flag.
  bool ExtractToCollection(StandardForm& form) {
    bool changed = false;
    context_->ExtractTagsFromFormToCollection("Dlg", form, snapshot_, changed);
    return changed;
  }

  std::shared_ptr<RecordingHost> host_ = RecordingHost::Make();
  std::shared_ptr<ContextCls> context_ = std::make_shared<ContextCls>();
  Dictionary snapshot_;
  StandardForm form_;
};

}  // namespace tamrel::testing
