#include "persist/context_reader.hpp"

#include <cstdint>
#include <string>

#include "context/context_state.hpp"
#include "context/error_trap.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"

namespace tamrel::detail {
namespace {

constexpr int16_t kStartTag = 0;
constexpr int16_t kElementText = 1;
constexpr int16_t kAttribute = 2;
constexpr int32_t kOutOfStackSpace = 28;
constexpr std::size_t kNotFound = std::string_view::npos;

std::string_view TrimSpaces(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == kNotFound) return {};
  std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

// One reader per DecodeXML call from outside; nested calls share it. Each
// level keeps its own remaining text and element name on its stack frame.
class Reader {
 public:
  explicit Reader(ContextCls& context) : context_(context), state_(StateOf(context)) {}

  // One level: decodes `xml` (the text this level consumes) and reports and
  // raises again on failure.
  void Decode(std::string_view xml, int depth) {
    std::string_view rest = xml;
    try {
      if (depth > kMaxNesting) Raise(kOutOfStackSpace, "Out of stack space");
      std::string element;
      while (!rest.empty()) DecodeElement(rest, element, depth);
    } catch (...) {
      ReportAndRaise(rest);
    }
  }

 private:
  // One pass of the loop: the text before the next tag, the start tag with
  // its attributes, the content. `rest` is left at the text after the end tag.
  void DecodeElement(std::string_view& rest, std::string& element, int depth) {
    std::size_t lt = rest.find('<');
    if (lt != kNotFound && lt > 0) {
      if (!element.empty()) Event(kElementText, element, rest.substr(0, lt));
      rest.remove_prefix(lt);
      lt = 0;
    }
    std::size_t name_end = NameEnd(rest);
    std::size_t name_start = (lt == kNotFound) ? 0 : 1;
    element.assign(rest.substr(name_start, name_end - name_start));
    Event(kStartTag, element);

    std::size_t p = name_end;
    if (rest[p] != '>') ScanAttributes(rest, element, p);
    ++p;  // past the ">"

    end_tag_.assign("</").append(element).append(">");
    std::size_t end_tag = rest.find(end_tag_);
    if (end_tag == kNotFound || end_tag < p) Raise(errc::kInvalidArgument);
    std::string_view content = rest.substr(p, end_tag - p);
    rest = TrimSpaces(rest.substr(end_tag + end_tag_.size()));

    std::size_t nested = content.find('<');
    if (nested == kNotFound) {
      Event(kElementText, element, content);
    } else {
      Event(kElementText, element, content.substr(0, nested));
      Decode(content.substr(nested), depth + 1);
    }
  }

  // Where the element name ends: at the first ">" unless a space comes
  // first. A text with no ">" at all has no name that can be cut.
  static std::size_t NameEnd(std::string_view rest) {
    std::size_t end = rest.find_first_of(" >");
    if (end == kNotFound) Raise(errc::kInvalidArgument);
    if (rest[end] == ' ' && rest.find('>', end) == kNotFound) Raise(errc::kInvalidArgument);
    return end;
  }

  // Entered on the space after the name; stops on the ">" that closes the
  // start tag or one before the last character of `rest`.
  void ScanAttributes(std::string_view rest, const std::string& element, std::size_t& p) {
    attribute_.clear();
    for (++p; p + 1 < rest.size(); ++p) {
      char c = rest[p];
      if (c == ' ') {
        if (!attribute_.empty()) {
          Event(kAttribute, element, attribute_, no_value_);
          attribute_.clear();
        }
      } else if (c == '>') {
        if (!attribute_.empty()) Event(kAttribute, element, attribute_, no_value_);
        return;
      } else if (c == '=') {
        ScanValue(rest, element, p);
        attribute_.clear();
      } else {
        attribute_.push_back(c);
      }
    }
  }

  // Entered on "=". A quoted value ends at its closing quote (p stays on
  // it); an unquoted one at a space or ">" (p steps back so the attribute
  // scan sees that character). A space right after the opening quote is
  // dropped. Two quotes in a row are an empty value.
  void ScanValue(std::string_view rest, const std::string& element, std::size_t& p) {
    value_.clear();
    bool in_quotes = false;
    for (++p; p + 1 < rest.size(); ++p) {
      char c = rest[p];
      if (c == ' ' && value_.empty()) continue;
      if (c == ' ' || c == '>') {
        if (in_quotes) {
          value_.push_back(c);
          continue;
        }
        Event(kAttribute, element, attribute_, value_);
        --p;
        return;
      }
      if (c == '"') {
        if (value_.empty() && !in_quotes) {
          in_quotes = true;
          continue;
        }
        Event(kAttribute, element, attribute_, value_);
        return;
      }
      value_.push_back(c);
    }
  }

  void Event(int16_t portion, const std::string& element) { context_.ProcessXML(portion, element); }

  void Event(int16_t portion, const std::string& element, std::string_view text) {
    text_.assign(text);
    context_.ProcessXML(portion, element, text_);
  }

  void Event(int16_t portion, const std::string& element, const std::string& name,
             const std::string& value) {
    context_.ProcessXML(portion, element, name, value);
  }

  [[noreturn]] void ReportAndRaise(std::string_view rest) {
    Error failure = CurrentExceptionAsError();
    {
      CurrentErrorScope current(failure);
      HostApplication& host = Host(state_);
      host.RegisterError(ErrorLocation("DecodeXML"), std::string(kInitialStage));
      host.WriteDetail("XML: " + std::string(rest));
      host.HandleError(false, false, false);
      std::string error_text;
      host.GetErrorText(error_text);
    }
    throw Error(failure.number(), failure.description());
  }

  ContextCls& context_;
  ContextState& state_;
  const std::string no_value_;
  // Scratch strings reused from element to element.
  std::string end_tag_;
  std::string attribute_;
  std::string value_;
  std::string text_;
};

}  // namespace

void DecodeXML(ContextCls& context, std::string_view xml) { Reader(context).Decode(xml, 1); }

}  // namespace tamrel::detail
