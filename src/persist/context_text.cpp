#include "persist/context_text.hpp"

#include <charconv>
#include <cstdint>
#include <limits>

#include "persist/entity_escaping.hpp"
#include "tamrel/error.hpp"

namespace tamrel::detail {
namespace {

constexpr int kRecordsPerFlush = 11;
// A first guess at the room the text needs, so that it rarely grows.
constexpr std::size_t kTypicalElementSize = 72;

constexpr std::string_view kIdStart = " id=\"";
constexpr std::string_view kInstanceStart = "\" instance=\"";
constexpr std::string_view kStartTagEnd = "\">";
constexpr std::string_view kEndTagStart = "</";

char* Put(char* out, std::string_view text) { return std::copy(text.begin(), text.end(), out); }

// Writes the element into room made for it at the end of `out`: one size
// computation and one growth per element instead of a dozen appends.
void WriteElement(std::string& out, const ItemView& item, std::size_t value_size) {
  char digits[8];
  auto [digits_end, ec] = std::to_chars(digits, digits + sizeof digits, item.Instance);
  const std::string_view instance(digits, static_cast<std::size_t>(digits_end - digits));
  const std::size_t size = 1 + item.Tag.size() + kIdStart.size() + item.Id.size() +
                           kInstanceStart.size() + instance.size() + kStartTagEnd.size() +
                           value_size + kEndTagStart.size() + item.Tag.size() + 1 + kCrLf.size();
  const std::size_t start = out.size();
  out.resize(start + size);
  char* at = out.data() + start;
  *at++ = '<';
  at = Put(at, item.Tag);
  at = Put(at, kIdStart);
  at = Put(at, item.Id);
  at = Put(at, kInstanceStart);
  at = Put(at, instance);
  at = Put(at, kStartTagEnd);
  at = WriteEncoded(at, item.Value);
  at = Put(at, kEndTagStart);
  at = Put(at, item.Tag);
  *at++ = '>';
  Put(at, kCrLf);
}

}  // namespace

void AppendElement(std::string& out, const ItemView& item) {
  WriteElement(out, item, EncodedSize(item.Value));
}

std::string ContextText(ContextState& state) {
  std::string text(kRootStart);
  state.items.ForEach([&](const ItemView& item) { AppendElement(text, item); });
  text.append(kRootEnd);
  return text;
}

std::string SaveText(ContextState& state) {
  if (state.items.Count() > std::numeric_limits<int16_t>::max()) Raise(errc::kOverflow);
  std::string text(kRootStart);
  text.reserve(static_cast<std::size_t>(state.items.Count()) * kTypicalElementSize);
  std::string buffer;
  int records_in_buffer = 0;
  state.items.ForEach([&](const ItemView& item) {
    AppendElement(buffer, item);
    if (++records_in_buffer > kRecordsPerFlush - 1) {
      text.append(buffer);
      buffer.clear();
      records_in_buffer = 0;
    }
  });
  text.append(buffer);
  text.append(kRootEnd);
  return text;
}

}  // namespace tamrel::detail
