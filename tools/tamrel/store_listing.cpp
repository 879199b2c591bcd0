#include "store_listing.hpp"

#include <array>
#include <charconv>
#include <utility>

#include "tamrel/error.hpp"

namespace tamrel::tool {
namespace {

constexpr std::string_view kRoot = "<context>";
constexpr std::string_view kRootEnd = "</context>";
constexpr std::string_view kIdOpen = " id=\"";
constexpr std::string_view kInstanceOpen = "\" instance=\"";
constexpr std::string_view kStartClose = "\">";
constexpr std::string_view kLineBreakMark = "~";
constexpr std::string_view kListLabel = "tamrel-list";

constexpr std::array<std::pair<std::string_view, char>, 5> kReferences{{
    {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'}}};

std::string Unescape(std::string_view text) {
  std::string plain;
  plain.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    bool replaced = false;
    if (text[i] == '&') {
      for (const auto& [reference, character] : kReferences) {
        if (text.substr(i).starts_with(reference)) {
          plain += character;
          i += reference.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) plain += text[i++];
  }
  return plain;
}

// Reads `-?digits` followed by `">` at the start of `text`; the number and
// the length read, or nullopt.
std::optional<std::pair<int32_t, std::size_t>> InstanceAt(std::string_view text) {
  int32_t number = 0;
  const auto [stop, status] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (status != std::errc()) return std::nullopt;
  const auto length = static_cast<std::size_t>(stop - text.data());
  if (!text.substr(length).starts_with(kStartClose)) return std::nullopt;
  return std::make_pair(number, length + kStartClose.size());
}

// Parses one element at the start of `rest` and advances `rest` past it and
// its line-break mark.
std::optional<StoreRecord> TakeElement(std::string_view& rest) {
  if (!rest.starts_with('<')) return std::nullopt;
  const std::size_t id_open = rest.find(kIdOpen);
  if (id_open == std::string_view::npos) return std::nullopt;
  StoreRecord record;
  record.tag = rest.substr(1, id_open - 1);
  const std::size_t id_start = id_open + kIdOpen.size();
  // The id is written verbatim: take the first `" instance="` that is
  // followed by a number and `">`.
  for (std::size_t at = rest.find(kInstanceOpen, id_start); at != std::string_view::npos;
       at = rest.find(kInstanceOpen, at + 1)) {
    const std::size_t number_start = at + kInstanceOpen.size();
    const auto instance = InstanceAt(rest.substr(number_start));
    if (!instance) continue;
    record.id = rest.substr(id_start, at - id_start);
    record.instance = instance->first;
    const std::size_t value_start = number_start + instance->second;
    const std::size_t value_end = rest.find('<', value_start);
    if (value_end == std::string_view::npos) return std::nullopt;
    record.value = Unescape(rest.substr(value_start, value_end - value_start));
    const std::string end_tag = "</" + record.tag + ">";
    if (rest.substr(value_end, end_tag.size()) != end_tag) return std::nullopt;
    rest.remove_prefix(value_end + end_tag.size());
    if (!rest.starts_with(kLineBreakMark)) return std::nullopt;
    rest.remove_prefix(kLineBreakMark.size());
    return record;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<StoreRecord>> ParseLoggedContext(std::string_view text) {
  if (!text.starts_with(kRoot) || !text.ends_with(kRootEnd)) return std::nullopt;
  std::string_view rest = text.substr(kRoot.size(), text.size() - kRoot.size() - kRootEnd.size());
  std::vector<StoreRecord> records;
  while (!rest.empty()) {
    std::optional<StoreRecord> record = TakeElement(rest);
    if (!record) return std::nullopt;
    records.push_back(std::move(*record));
  }
  return records;
}

std::vector<StoreRecord> ListRecords(ContextCls& context, ConsoleHost& host) {
  const std::size_t errors_before = host.errors().size();
  std::vector<std::string> lines;
  {
    ConsoleHost::Capture capture(host);
    context.log(std::string(kListLabel));
    lines = capture.lines();
  }
  if (host.errors().size() != errors_before) {
    const ErrorReport& report = host.errors()[errors_before];
    Raise(report.number, "cannot list the values: " + report.Describe());
  }
  const std::string prefix = "Context log: " + std::string(kListLabel) + " ";
  if (lines.size() == 1 && lines.front().starts_with(prefix)) {
    if (auto records = ParseLoggedContext(std::string_view(lines.front()).substr(prefix.size()))) {
      return *records;
    }
  }
  Raise(errc::kInvalidArgument, "cannot list the values: the context text is not readable");
}

}  // namespace tamrel::tool
