#include "persist/entity_escaping.hpp"

#include <algorithm>
#include <array>
#include <cstring>

#include "automation/error_trap.hpp"

namespace tamrel::detail {
namespace {

// The reference that stands for each escaped byte; empty for the others.
constexpr std::array<std::string_view, 256> MakeReferenceTable() {
  std::array<std::string_view, 256> table{};
  table[static_cast<unsigned char>('&')] = "&amp;";
  table[static_cast<unsigned char>('<')] = "&lt;";
  table[static_cast<unsigned char>('>')] = "&gt;";
  table[static_cast<unsigned char>('\'')] = "&apos;";
  table[static_cast<unsigned char>('"')] = "&quot;";
  return table;
}
constexpr std::array<std::string_view, 256> kReferenceOf = MakeReferenceTable();

struct Reference {
  std::string_view text;
  char character;
};
constexpr std::array<Reference, 5> kReferences{
    {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'}}};

// The byte that the reference at the start of `text` stands for, with its
// length; length 0 when `text` does not start with one of the five.
Reference ReferenceAt(std::string_view text) {
  for (const Reference& reference : kReferences) {
    if (text.starts_with(reference.text)) return reference;
  }
  return {std::string_view(), '&'};
}

}  // namespace

std::size_t EncodedSize(std::string_view text) {
  std::size_t size = text.size();
  for (char c : text) {
    std::string_view reference = kReferenceOf[static_cast<unsigned char>(c)];
    if (!reference.empty()) size += reference.size() - 1;
  }
  return size;
}

char* WriteEncoded(char* out, std::string_view text) {
  for (char c : text) {
    std::string_view reference = kReferenceOf[static_cast<unsigned char>(c)];
    if (reference.empty()) {
      *out++ = c;
    } else {
      out = std::copy(reference.begin(), reference.end(), out);
    }
  }
  return out;
}

void AppendDecoded(std::string& out, std::string_view text) {
  std::size_t position = 0;
  while (position < text.size()) {
    const void* found = std::memchr(text.data() + position, '&', text.size() - position);
    if (found == nullptr) break;
    std::size_t amp = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
    out.append(text.data() + position, amp - position);
    Reference reference = ReferenceAt(text.substr(amp));
    out.push_back(reference.character);
    position = amp + (reference.text.empty() ? 1 : reference.text.size());
  }
  out.append(text.data() + position, text.size() - position);
}

void DecodeSpecialChrsInto(ContextState& state, std::string_view text, std::string& out) {
  out.clear();
  bool decoded = false;
  Trapped(state, "DecodeSpecialChrs", [&] {
    out.reserve(text.size());
    AppendDecoded(out, text);
    decoded = true;
  });
  if (!decoded) out.clear();
}

}  // namespace tamrel::detail
