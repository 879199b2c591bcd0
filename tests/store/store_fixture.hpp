// StoreTest: a context with a recording host, and a compact view of its
// store for assertions.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "context/context_state.hpp"
#include "support/recording_host.hpp"
#include "tamrel/context.hpp"

namespace tamrel::testing {

using Texts = std::vector<std::string>;
using Reports = std::vector<std::pair<std::string, int32_t>>;

class StoreTest : public ::testing::Test {
 protected:
  StoreTest() { ctx->SetApplicationContext(host); }

  // The store as "Tag/Id/Instance=Value" texts, or as keys, in store order.
  static Texts Layout(ContextCls& context, bool keys = false) {
    Texts layout;
    detail::StateOf(context).items.ForEach([&](const detail::ContextItem& item) {
      layout.push_back(keys ? item.Key
                            : item.Tag + "/" + item.Id + "/" + std::to_string(item.Instance) +
                                  "=" + item.Value);
    });
    return layout;
  }
  Texts Layout() { return Layout(*ctx); }
  Texts Keys() { return Layout(*ctx, true); }

  int32_t Cursor(const std::string& tag, const std::string& id) {
    return detail::StateOf(*ctx).cursors.at(tag + "_" + id);
  }

  // The MoveFirst / EOF / Read / MoveNext loop.
  Texts ReadAll(const std::string& tag, const std::string& id) {
    Texts values;
    for (ctx->MoveFirst(tag, id); !ctx->Eof(tag, id); ctx->MoveNext(tag, id)) {
      values.push_back(CStr(ctx->Read(tag, id)));
    }
    return values;
  }

  void AddAll(const std::string& tag, const std::string& id, const Texts& values) {
    for (const std::string& value : values) ctx->Add(tag, id, Variant(value));
  }

  std::shared_ptr<ContextCls> ctx = std::make_shared<ContextCls>();
  std::shared_ptr<RecordingHost> host = RecordingHost::Make();
};

}  // namespace tamrel::testing
