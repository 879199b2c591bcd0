#include "persist/context_reader.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "automation/error_trap.hpp"
#include "persist/byte_search.hpp"
#include "store/same_text.hpp"
#include "tamrel/error.hpp"

namespace tamrel::detail {
namespace {

constexpr std::size_t kNotFound = std::string_view::npos;

// The characters that end a run inside a start tag: a space or ">" ends an
// element name; those and "=" end an attribute name.
constexpr unsigned char kEndsElementName = 1;
constexpr unsigned char kEndsAttributeName = 2;

constexpr std::array<unsigned char, 256> MakeRunEnds() {
  std::array<unsigned char, 256> ends{};
  ends[' '] = kEndsElementName | kEndsAttributeName;
  ends['>'] = kEndsElementName | kEndsAttributeName;
  ends['='] = kEndsAttributeName;
  return ends;
}
constexpr std::array<unsigned char, 256> kRunEnds = MakeRunEnds();

// The first place from `from` on, before `stop`, holding a character that
// ends the run (`ends`: one of the kEnds marks); `from` or `stop` when none.
std::size_t RunEnd(std::string_view text, std::size_t from, std::size_t stop, unsigned char ends) {
  while (from < stop && (kRunEnds[static_cast<unsigned char>(text[from])] & ends) == 0) ++from;
  return from;
}

std::string_view TrimSpaces(std::string_view text) {
  // Loops rather than find_first_not_of: that searches a one-character set
  // with a call per character.
  std::size_t first = 0;
  while (first < text.size() && text[first] == ' ') ++first;
  std::size_t end = text.size();
  while (end > first && text[end - 1] == ' ') --end;
  return text.substr(first, end - first);
}

// One reader per ReadContextText call; nested levels share it. Each level
// keeps its own remaining text and element name on its stack frame.
class Reader {
 public:
  Reader(ReaderSink& sink, PlainElements plain) : sink_(sink), plain_(plain) {}

  // One level: decodes `xml` (the text this level consumes) and reports and
  // raises again on failure.
  void Decode(std::string_view xml, int depth) {
    std::string_view rest = xml;
    try {
      if (depth > kMaxNesting) Raise(errc::kOutOfStackSpace, "Out of stack space");
      std::string_view element;  // the name of the element decoded last
      std::string carried;       // see ScanAttributes
      while (!rest.empty()) DecodeElement(rest, element, carried, depth);
    } catch (...) {
      ReportAndRaise(rest);
    }
  }

 private:
  // One pass of the loop: the text before the next tag, the start tag with
  // its attributes, the content. `rest` is left at the text after the end tag.
  void DecodeElement(std::string_view& rest, std::string_view& element, std::string& carried,
                     int depth) {
    if (plain_ == PlainElements::kOwnPass && carried.empty() && DecodePlainElement(rest, element)) {
      return;
    }
    std::size_t lt = FirstLt(rest);
    if (lt != kNotFound && lt > 0) {
      if (!element.empty()) sink_.ElementText(element, rest.substr(0, lt), References::kMaybe);
      rest.remove_prefix(lt);
      lt = 0;
    }
    std::size_t name_end = NameEnd(rest);
    std::size_t name_start = (lt == kNotFound) ? 0 : 1;
    element = rest.substr(name_start, name_end - name_start);
    sink_.StartTag(element);

    std::size_t p = name_end;
    if (rest[p] != '>') ScanAttributes(rest, element, carried, p);
    ++p;  // past the ">"

    std::size_t first_inside = kNotFound;  // the content's first "<", if any
    std::size_t end_tag = FindEndTag(rest, element, p, first_inside);
    if (end_tag == kNotFound || end_tag < p) Raise(errc::kInvalidArgument);
    std::string_view content = rest.substr(p, end_tag - p);
    rest = TrimSpaces(rest.substr(end_tag + EndTagSize(element)));
    sink_.LookAhead(rest);

    if (first_inside == end_tag) {
      sink_.ElementText(element, content, References::kMaybe);
    } else {
      const std::size_t nested = first_inside - p;
      sink_.ElementText(element, content.substr(0, nested), References::kMaybe);
      Decode(content.substr(nested), depth + 1);
    }
    sink_.EndTag(element);
  }

  // An element as Save writes every record: "<" name, attributes each
  // ' name="value"', ">", a text without "<", and the end tag. It is read
  // in one pass, and handed over as the general path would hand it over;
  // anything else is left to the general path, untouched, with nothing
  // handed over yet: text before the tag, a "<" inside the start tag (the
  // general path would look there for the end tag), an attribute without
  // quotes or not set off by one space, more than kPlainAttributes
  // attributes, nested content. The first "<" after the tag's own is where
  // its content must end, and stops every scan of the start tag.
  bool DecodePlainElement(std::string_view& rest, std::string_view& element) {
    if (rest.size() < 4 || rest[0] != '<') return false;
    bool references = false;  // a "&" before the end tag, in the text or not
    const std::size_t lt = FindByteNoting<'<', '&'>(rest, 1, references);
    if (lt == rest.size()) return false;
    const char* const text = rest.data();
    std::size_t p = PlainNameEnd(rest, 1);
    if (p == 1 || text[p] == '<') return false;
    const std::string_view name(text + 1, p - 1);

    std::array<PlainAttribute, kPlainAttributes> attributes;
    std::size_t count = 0;
    while (text[p] == ' ') {
      if (count == kPlainAttributes) return false;
      const std::size_t name_start = p + 1;
      const std::size_t equals = SavedNameEnd(rest, name_start, lt);
      if (equals == name_start || text[equals] != '=' || text[equals + 1] != '"') return false;
      std::size_t value_start = equals + 2;
      while (text[value_start] == ' ') ++value_start;  // dropped, as ScanQuoted drops them
      const std::size_t quote = FindByte<'"', '<'>(rest, value_start);
      if (text[quote] != '"') return false;
      attributes[count++] = {std::string_view(text + name_start, equals - name_start),
                             std::string_view(text + value_start, quote - value_start)};
      p = quote + 1;
    }
    if (text[p] != '>' || !IsEndTagAt(rest, lt, name)) return false;

    element = name;
    sink_.StartTag(element);
    for (std::size_t i = 0; i < count; ++i) {
      sink_.Attribute(element, attributes[i].name, attributes[i].value);
    }
    const std::string_view content(text + p + 1, lt - p - 1);
    rest = TrimSpaces(rest.substr(lt + EndTagSize(element)));
    sink_.LookAhead(rest);
    sink_.ElementText(element, content, references ? References::kMaybe : References::kNone);
    sink_.EndTag(element);
    return true;
  }

  // Save writes two attributes, id and instance.
  static constexpr std::size_t kPlainAttributes = 2;

  // Where a name in an element as Save writes it ends: at a space, ">",
  // "=", a quote, or at the "<" after the start tag at the latest.
  static std::size_t PlainNameEnd(std::string_view rest, std::size_t from) {
    return FindByte<' ', '>', '=', '"', '<'>(rest, from);
  }

  // Where the attribute name from `start` ends: for the names Save writes,
  // found by comparison, for others by PlainNameEnd.
  static std::size_t SavedNameEnd(std::string_view rest, std::size_t start, std::size_t lt) {
    constexpr std::size_t kId = 2;        // "id"
    constexpr std::size_t kInstance = 8;  // "instance"
    const char* const name = rest.data() + start;
    if (lt - start > kId + 1 && std::memcmp(name, "id=", kId + 1) == 0) return start + kId;
    if (lt - start > kInstance + 1 && std::memcmp(name, "instance=", kInstance + 1) == 0) {
      return start + kInstance;
    }
    return PlainNameEnd(rest, start);
  }
  struct PlainAttribute {
    std::string_view name;
    std::string_view value;
  };

  // text.find('<'), without the search when the text starts with "<", as
  // it does at every element of a well-formed file.
  static std::size_t FirstLt(std::string_view text) {
    return (!text.empty() && text[0] == '<') ? 0 : text.find('<');
  }

  static std::size_t EndTagSize(std::string_view element) { return element.size() + 3; }

  // Whether the end tag of `element` ("</" + element + ">") is at `at`.
  static bool IsEndTagAt(std::string_view text, std::size_t at, std::string_view element) {
    return text.size() - at >= EndTagSize(element) && text[at + 1] == '/' &&
           text[at + 2 + element.size()] == '>' &&
           SameText(text.substr(at + 2, element.size()), element);
  }

  // The first place of the end tag of `element` in `text`, as
  // text.find("</" + element + ">"), but going from one "</" followed by
  // the name's first character to the next: the root's end tag is found
  // without stopping at the end tag of every record (whose names rarely
  // share the root's first character). `first_from` is set to the first "<"
  // at or after `from` up to the end tag (the tag's own place when none
  // comes before it).
  static std::size_t FindEndTag(std::string_view text, std::string_view element, std::size_t from,
                                std::size_t& first_from) {
    const char after_slash = element.empty() ? '>' : element[0];
    std::size_t end_tag = kNotFound;
    for (std::size_t at = FindThreeBytes(text, 0, '<', '/', after_slash); at != text.size();
         at = FindThreeBytes(text, at + 1, '<', '/', after_slash)) {
      if (IsEndTagAt(text, at, element)) {
        end_tag = at;
        break;
      }
    }
    if (end_tag != kNotFound && end_tag >= from) {
      first_from = std::min(text.find('<', from), end_tag);
    }
    return end_tag;
  }

  // Where the element name ends: at the first ">" unless a space comes
  // first. A text with no ">" at all has no name that can be cut. (A text
  // that ends in ">", as every well-formed level does, needs no search.)
  static std::size_t NameEnd(std::string_view rest) {
    const std::size_t end = RunEnd(rest, 0, rest.size(), kEndsElementName);
    if (end == rest.size()) Raise(errc::kInvalidArgument);
    if (rest[end] == ' ' && rest.back() != '>' && rest.find('>', end) == kNotFound) {
      Raise(errc::kInvalidArgument);
    }
    return end;
  }

  // Entered on the space after the name; stops on the ">" that closes the
  // start tag or one before the last character of `rest`. An attribute name
  // is the run of characters since the last space, "=" or value. A name
  // that the closing ">" ends is reported but stays collected: `carried`
  // keeps it for the next element of the same level, whose first attribute
  // name continues it.
  void ScanAttributes(std::string_view rest, std::string_view element, std::string& carried,
                      std::size_t& p) {
    const std::size_t stop = rest.size() - 1;
    std::size_t name = p + 1;  // where the name under way starts
    for (p = RunEnd(rest, p + 1, stop, kEndsAttributeName); p < stop;
         p = RunEnd(rest, p + 1, stop, kEndsAttributeName)) {
      const char c = rest[p];
      const std::string_view collected = NameUnderWay(rest, name, p, carried);
      if (c == ' ') {
        if (!collected.empty()) sink_.Attribute(element, collected, {});
        carried.clear();
        name = p + 1;
      } else if (c == '>') {
        if (!collected.empty()) sink_.Attribute(element, collected, {});
        if (carried.empty()) carried.assign(collected);
        return;
      } else {  // "="
        ScanValue(rest, element, collected, p);
        carried.clear();
        name = p + 1;
      }
    }
  }

  // The attribute name collected when the run from `name` ends at `end`:
  // the run itself, after the carried name when there is one.
  static std::string_view NameUnderWay(std::string_view rest, std::size_t name, std::size_t end,
                                       std::string& carried) {
    const std::string_view run = rest.substr(name, end - name);
    if (carried.empty()) return run;
    carried.append(run);
    return carried;
  }

  // Entered on "=". A quoted value ends at its closing quote (p stays on
  // it); an unquoted one at a space or ">" (p steps back so the attribute
  // scan sees that character). Spaces before the value's first character
  // are dropped, inside quotes too. Two quotes in a row are an empty value.
  // The scan stops one before the last character of `rest`, with no value.
  void ScanValue(std::string_view rest, std::string_view element, std::string_view name,
                 std::size_t& p) {
    const std::size_t stop = rest.size() - 1;
    std::size_t value = p + 1;  // where the value starts; empty while p == value
    for (++p; p < stop; ++p) {
      const char c = rest[p];
      if (c == ' ' && p == value) {
        value = p + 1;
      } else if (c == ' ' || c == '>') {
        sink_.Attribute(element, name, rest.substr(value, p - value));
        --p;
        return;
      } else if (c == '"') {
        if (p == value) {
          ScanQuoted(rest, element, name, p);
        } else {
          sink_.Attribute(element, name, rest.substr(value, p - value));
        }
        return;
      }
    }
  }

  // Entered on the opening quote: inside quotes only the closing quote ends
  // the value, so the scan runs straight to it.
  void ScanQuoted(std::string_view rest, std::string_view element, std::string_view name,
                  std::size_t& p) {
    const std::size_t stop = rest.size() - 1;
    for (++p; p < stop && rest[p] == ' ';) ++p;
    const std::size_t value = p;
    while (p < stop && rest[p] != '"') ++p;
    if (p < stop) sink_.Attribute(element, name, rest.substr(value, p - value));
  }

  [[noreturn]] void ReportAndRaise(std::string_view rest) {
    const Error failure = CurrentExceptionAsError();
    sink_.LevelFailed(failure, rest);
    throw Error(failure.number(), failure.description());
  }

  ReaderSink& sink_;
  const PlainElements plain_;
};

}  // namespace

void ReadContextText(std::string_view xml, ReaderSink& sink, PlainElements plain) {
  Reader(sink, plain).Decode(xml, 1);
}

}  // namespace tamrel::detail
