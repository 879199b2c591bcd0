// Fuzz target for the context file reader.
//
// Any input must decode or fail with a tamrel::Error, never crash, hang or
// leak. Two properties are checked on the way: escaping round-trips the
// input, and a store read from the input, written out as a context file
// text, reads back as the same records (when its tags and ids are plain
// names, the only ones the file format carries faithfully).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "context/state_of.hpp"
#include "persist/context_reader.hpp"
#include "persist/context_text.hpp"
#include "persist/entity_escaping.hpp"
#include "support/discarding_host.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"

namespace {

using Records = std::vector<std::tuple<std::string, std::string, int16_t, std::string>>;

std::shared_ptr<tamrel::ContextCls> NewContext() {
  auto context = std::make_shared<tamrel::ContextCls>();
  context->SetApplicationContext(std::make_shared<tamrel::testing::DiscardingHost>());
  return context;
}

// Decodes as Load does (with an instance table); false when the reader failed.
bool Decode(tamrel::ContextCls& context, std::string_view text) {
  tamrel::detail::ContextState& state = tamrel::detail::StateOf(context);
  state.load_instances = std::make_shared<tamrel::detail::LoadInstances>();
  bool decoded = true;
  try {
    tamrel::detail::DecodeXML(tamrel::detail::StateOf(context), text);
  } catch (const tamrel::Error&) {
    decoded = false;
  }
  state.load_instances.reset();
  return decoded;
}

Records RecordsOf(tamrel::ContextCls& context) {
  Records records;
  tamrel::detail::StateOf(context).items.ForEach([&](const tamrel::detail::ItemView& item) {
    records.emplace_back(item.Tag, item.Id, item.Instance, item.Value);
  });
  return records;
}

bool IsPlainName(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 c == '_' || c == '.' || c == '-';
    if (!plain) return false;
  }
  return true;
}

bool HasOnlyPlainNames(const Records& records) {
  for (const auto& [tag, id, instance, value] : records) {
    if (!IsPlainName(tag) || !IsPlainName(id)) return false;
  }
  return true;
}

void CheckEscapingRoundTrip(std::string_view text) {
  std::string encoded;
  tamrel::detail::AppendEncoded(encoded, text);
  std::string decoded;
  tamrel::detail::AppendDecoded(decoded, encoded);
  if (decoded != text) std::abort();
}

// Load removes CR LF pairs, in one pass from left to right, before decoding.
std::string WithoutCrLf(std::string_view text) {
  std::string kept;
  std::size_t from = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string_view::npos;
       at = text.find("\r\n", from)) {
    kept.append(text.substr(from, at - from));
    from = at + 2;
  }
  kept.append(text.substr(from));
  return kept;
}

void CheckStoreRoundTrip(tamrel::ContextCls& context) {
  Records records = RecordsOf(context);
  if (!HasOnlyPlainNames(records)) return;
  for (auto& record : records) std::get<3>(record) = WithoutCrLf(std::get<3>(record));
  std::string text = tamrel::detail::ContextText(tamrel::detail::StateOf(context));
  auto again = NewContext();
  if (!Decode(*again, WithoutCrLf(text)) || RecordsOf(*again) != records) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckEscapingRoundTrip(text);
  auto context = NewContext();
  Decode(*context, text);
  CheckStoreRoundTrip(*context);
  return 0;
}
