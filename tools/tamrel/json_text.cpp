#include "json_text.hpp"

#include <cstdint>

namespace tamrel::tool {
namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the valid UTF-8 sequence that starts at `text[at]`, or 0.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length = 0;
  unsigned char low = 0x80;  // allowed range of the second byte
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  const auto second = static_cast<unsigned char>(text[at + 1]);
  if (second < low || second > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!IsContinuation(static_cast<unsigned char>(text[at + i]))) return 0;
  }
  return length;
}

void AppendUnicodeEscape(std::string& json, unsigned value) {
  constexpr char kHex[] = "0123456789abcdef";
  json += "\\u00";
  json += kHex[(value >> 4) & 0xF];
  json += kHex[value & 0xF];
}

// A byte outside any UTF-8 sequence, as the UTF-8 form of its Latin-1 character.
void AppendLatin1(std::string& json, unsigned char byte) {
  json += static_cast<char>(0xC0 | (byte >> 6));
  json += static_cast<char>(0x80 | (byte & 0x3F));
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x80) {
      const std::size_t length = Utf8SequenceLength(text, i);
      if (length == 0) {
        AppendLatin1(json, byte);
        ++i;
      } else {
        json.append(text.substr(i, length));
        i += length;
      }
      continue;
    }
    switch (byte) {
      case '"':
        json += "\\\"";
        break;
      case '\\':
        json += "\\\\";
        break;
      case '\n':
        json += "\\n";
        break;
      case '\r':
        json += "\\r";
        break;
      case '\t':
        json += "\\t";
        break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          AppendUnicodeEscape(json, byte);
        } else {
          json += static_cast<char>(byte);
        }
    }
    ++i;
  }
  return json + "\"";
}

std::string RecordAsJson(const Record& record, std::string_view more) {
  return "{\"tag\": " + JsonString(record.tag) + ", \"id\": " + JsonString(record.id) +
         ", \"instance\": " + std::to_string(record.instance) +
         ", \"value\": " + JsonString(record.value) + std::string(more) + "}";
}

std::string RecordsAsJson(const std::vector<Record>& records) {
  if (records.empty()) return "[]\n";
  std::string json = "[\n";
  for (std::size_t i = 0; i < records.size(); ++i) {
    json += "  " + RecordAsJson(records[i]);
    json += i + 1 < records.size() ? ",\n" : "\n";
  }
  return json + "]\n";
}

}  // namespace tamrel::tool
