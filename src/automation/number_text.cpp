#include "automation/number_text.hpp"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string_view>
#include <system_error>

#include "automation/text_scan.hpp"
#include "tamrel/variant.hpp"

namespace tamrel::detail {
namespace {

constexpr int kDoubleDigits = 15;
constexpr int kSingleDigits = 7;

// The run-time's texts for values no ordinary number text can show.
std::string NonFiniteText(double value) {
  if (std::isnan(value)) return "-1.#IND";
  return value < 0 ? "-1.#INF" : "1.#INF";
}

// The "%.<digits>G" form, made with to_chars so that the C locale's decimal
// separator never leaks in.
template <class Float>
std::string FormatGeneral(Float value, int digits) {
  if (!std::isfinite(value)) return NonFiniteText(static_cast<double>(value));
  if (value == 0) return "0";
  char buffer[64];
  auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
  std::string text(buffer, ec == std::errc() ? end : buffer);
  for (char& c : text) {
    if (c == 'e') c = 'E';
  }
  return text;
}

}  // namespace

std::string FormatDouble(double value) { return FormatGeneral(value, kDoubleDigits); }
std::string FormatSingle(float value) { return FormatGeneral(value, kSingleDigits); }

}  // namespace tamrel::detail

namespace tamrel {
namespace {

using detail::IsDigit;

// Scans numeric text without its sign: digits with an optional decimal point
// (at least one digit), then an optional exponent with at least one digit.
// Sets `negative_exponent` when the exponent has a minus sign.
bool IsUnsignedNumber(std::string_view text, bool& negative_exponent) {
  std::size_t pos = 0;
  std::size_t digits = 0;
  auto skip_digits = [&] {
    while (pos < text.size() && IsDigit(text[pos])) {
      ++pos;
      ++digits;
    }
  };
  skip_digits();
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    skip_digits();
  }
  if (digits == 0) return false;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
      negative_exponent = text[pos] == '-';
      ++pos;
    }
    digits = 0;
    skip_digits();
    if (digits == 0) return false;
  }
  return pos == text.size();
}

}  // namespace

std::optional<double> ParseNumericText(const std::string& text) {
  std::string_view body = detail::TrimBlanks(text);
  bool negative = false;
  if (!body.empty() && (body.front() == '+' || body.front() == '-')) {
    negative = body.front() == '-';
    body.remove_prefix(1);
  }
  bool negative_exponent = false;
  if (!IsUnsignedNumber(body, negative_exponent)) return std::nullopt;

  double value = 0;
  auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Too small to hold reads as zero; too large is no number at all.
    if (!negative_exponent) return std::nullopt;
    value = 0;
  } else if (ec != std::errc() || end != body.data() + body.size()) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

}  // namespace tamrel
