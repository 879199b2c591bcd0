#include "persist/context_text.hpp"

#include <charconv>
#include <cstdint>
#include <limits>

#include "context/error_trap.hpp"
#include "persist/special_chars.hpp"
#include "tamrel/error.hpp"

namespace tamrel::detail {
namespace {

constexpr int kRecordsPerFlush = 11;

void AppendDecimal(std::string& out, int16_t number) {
  char digits[8];
  auto [end, ec] = std::to_chars(digits, digits + sizeof digits, number);
  out.append(digits, end);
}

// The value escaped under EncodeSpecialChrs' trap: a failure leaves no part
// of the value in `out`.
void AppendValue(ContextState& state, std::string& out, const std::string& value) {
  const std::size_t mark = out.size();
  Trapped(state, "EncodeSpecialChrs", [&] {
    try {
      AppendEncoded(out, value);
    } catch (...) {
      out.resize(mark);
      throw;
    }
  });
}

}  // namespace

void AppendElement(ContextState& state, std::string& out, const ContextItem& item) {
  out.push_back('<');
  out.append(item.Tag);
  out.append(" id=\"");
  out.append(item.Id);
  out.append("\" instance=\"");
  AppendDecimal(out, item.Instance);
  out.append("\">");
  AppendValue(state, out, item.Value);
  out.append("</");
  out.append(item.Tag);
  out.push_back('>');
  out.append(kCrLf);
}

std::string ContextText(ContextState& state) {
  std::string text(kRootStart);
  state.items.ForEach([&](const ContextItem& item) { AppendElement(state, text, item); });
  text.append(kRootEnd);
  return text;
}

std::string SaveText(ContextState& state) {
  if (state.items.Count() > std::numeric_limits<int16_t>::max()) Raise(errc::kOverflow);
  std::string text(kRootStart);
  std::string buffer;
  int records_in_buffer = 0;
  state.items.ForEach([&](const ContextItem& item) {
    AppendElement(state, buffer, item);
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
