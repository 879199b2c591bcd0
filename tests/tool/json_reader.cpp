#include "json_reader.hpp"

#include <cstdlib>
#include <stdexcept>

namespace tamrel::testing {
namespace {

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  JsonValue Document() {
    JsonValue value = Value();
    SkipBlanks();
    if (at_ != text_.size()) Fail("text after the value");
    return value;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(at_));
  }

  void SkipBlanks() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' ||
                                  text_[at_] == '\r' || text_[at_] == '\t')) {
      ++at_;
    }
  }

  bool Take(std::string_view word) {
    if (text_.substr(at_).starts_with(word)) {
      at_ += word.size();
      return true;
    }
    return false;
  }

  void Expect(char c) {
    SkipBlanks();
    if (at_ >= text_.size() || text_[at_] != c) Fail(std::string("expected '") + c + "'");
    ++at_;
  }

  JsonValue Value() {
    SkipBlanks();
    if (at_ >= text_.size()) Fail("unexpected end");
    JsonValue value;
    const char c = text_[at_];
    if (c == '{') return Object();
    if (c == '[') return Array();
    if (c == '"') {
      value.kind = JsonValue::Kind::kString;
      value.text = String();
    } else if (Take("true")) {
      value.kind = JsonValue::Kind::kBoolean;
      value.boolean = true;
    } else if (Take("false")) {
      value.kind = JsonValue::Kind::kBoolean;
    } else if (Take("null")) {
      value.kind = JsonValue::Kind::kNull;
    } else {
      value.kind = JsonValue::Kind::kNumber;
      value.number = Number();
    }
    return value;
  }

  JsonValue Object() {
    JsonValue value;
    value.kind = JsonValue::Kind::kObject;
    Expect('{');
    SkipBlanks();
    if (Take("}")) return value;
    do {
      SkipBlanks();
      if (at_ >= text_.size() || text_[at_] != '"') Fail("expected a member name");
      std::string name = String();
      Expect(':');
      value.members.emplace_back(std::move(name), Value());
      SkipBlanks();
    } while (Take(","));
    Expect('}');
    return value;
  }

  JsonValue Array() {
    JsonValue value;
    value.kind = JsonValue::Kind::kArray;
    Expect('[');
    SkipBlanks();
    if (Take("]")) return value;
    do {
      value.elements.push_back(Value());
      SkipBlanks();
    } while (Take(","));
    Expect(']');
    return value;
  }

  double Number() {
    const std::size_t start = at_;
    auto digits = [&] {
      const std::size_t from = at_;
      while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
      if (at_ == from) Fail("expected a digit");
    };
    Take("-");
    if (!Take("0")) digits();
    if (Take(".")) digits();
    if (Take("e") || Take("E")) {
      if (!Take("+")) Take("-");
      digits();
    }
    return std::strtod(std::string(text_.substr(start, at_ - start)).c_str(), nullptr);
  }

  unsigned Hex4() {
    if (at_ + 4 > text_.size()) Fail("short \\u escape");
    unsigned value = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[at_++];
      value <<= 4;
      if (c >= '0' && c <= '9') value |= static_cast<unsigned>(c - '0');
      else if (c >= 'a' && c <= 'f') value |= static_cast<unsigned>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F') value |= static_cast<unsigned>(c - 'A' + 10);
      else Fail("bad hex digit");
    }
    return value;
  }

  static void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  unsigned Escape() {
    const char c = text_[at_++];
    switch (c) {
      case '"': return '"';
      case '\\': return '\\';
      case '/': return '/';
      case 'b': return '\b';
      case 'f': return '\f';
      case 'n': return '\n';
      case 'r': return '\r';
      case 't': return '\t';
      case 'u': {
        const unsigned code = Hex4();
        if (code < 0xD800 || code > 0xDBFF) return code;
        if (!Take("\\u")) Fail("lone surrogate");
        const unsigned low = Hex4();
        if (low < 0xDC00 || low > 0xDFFF) Fail("bad surrogate pair");
        return 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      }
      default:
        Fail("bad escape");
    }
  }

  // Checks that the raw bytes from `at_` form one valid UTF-8 sequence and
  // copies it to `out`.
  void CopyUtf8(std::string& out) {
    const auto lead = static_cast<unsigned char>(text_[at_]);
    const std::size_t length = lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    if (length == 0 || at_ + length > text_.size()) Fail("invalid UTF-8");
    for (std::size_t i = 1; i < length; ++i) {
      if ((static_cast<unsigned char>(text_[at_ + i]) & 0xC0) != 0x80) Fail("invalid UTF-8");
    }
    out.append(text_.substr(at_, length));
    at_ += length;
  }

  std::string String() {
    ++at_;  // the opening quote
    std::string out;
    while (true) {
      if (at_ >= text_.size()) Fail("unterminated string");
      const auto c = static_cast<unsigned char>(text_[at_]);
      if (c == '"') {
        ++at_;
        return out;
      }
      if (c < 0x20) Fail("raw control character in a string");
      if (c == '\\') {
        ++at_;
        if (at_ >= text_.size()) Fail("unterminated escape");
        AppendUtf8(out, Escape());
      } else if (c >= 0x80) {
        CopyUtf8(out);
      } else {
        out += static_cast<char>(c);
        ++at_;
      }
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

const JsonValue& JsonValue::operator[](const std::string& name) const {
  for (const auto& [key, value] : members) {
    if (key == name) return value;
  }
  throw std::runtime_error("JSON: no member " + name);
}

std::vector<std::string> JsonValue::Keys() const {
  std::vector<std::string> keys;
  for (const auto& member : members) keys.push_back(member.first);
  return keys;
}

JsonValue ParseJson(std::string_view text) { return Reader(text).Document(); }

}  // namespace tamrel::testing
