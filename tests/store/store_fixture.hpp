// StoreTest: a context with a recording host, and a compact view of its
// store for assertions.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "context/context_state.hpp"
#include "support/recording_host.hpp"
#include "tamrel/context.hpp"

namespace tamrel::testing {

class StoreTest : public ::testing::Test {
 protected:
  StoreTest() { ctx->SetApplicationContext(host); }

  // The store as "Tag/Id/Instance=Value" texts in store order.
  static std::vector<std::string> Layout(ContextCls& context) {
    std::vector<std::string> layout;
    detail::StateOf(context).items.ForEach([&](const detail::ContextItem& item) {
      layout.push_back(item.Tag + "/" + item.Id + "/" + std::to_string(item.Instance) + "=" +
                       item.Value);
    });
    return layout;
  }
  std::vector<std::string> Layout() { return Layout(*ctx); }

  static std::vector<std::string> Keys(ContextCls& context) {
    std::vector<std::string> keys;
    detail::StateOf(context).items.ForEach(
        [&](const detail::ContextItem& item) { keys.push_back(item.Key); });
    return keys;
  }

  int32_t Cursor(const std::string& tag, const std::string& id) {
    return detail::StateOf(*ctx).cursors.at(tag + "_" + id);
  }

  // Runs the MoveFirst / EOF / Read / MoveNext loop and collects the values.
  std::vector<std::string> ReadAll(const std::string& tag, const std::string& id) {
    std::vector<std::string> values;
    for (ctx->MoveFirst(tag, id); !ctx->Eof(tag, id); ctx->MoveNext(tag, id)) {
      values.push_back(CStr(ctx->Read(tag, id)));
    }
    return values;
  }

  std::shared_ptr<ContextCls> ctx = std::make_shared<ContextCls>();
  std::shared_ptr<RecordingHost> host = RecordingHost::Make();
};

using Texts = std::vector<std::string>;

}  // namespace tamrel::testing
