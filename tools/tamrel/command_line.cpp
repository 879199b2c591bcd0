#include "command_line.hpp"

#include <charconv>
#include <limits>

namespace tamrel::tool {
namespace {

// One word of the command line, split into option or argument.
struct Token {
  bool is_option = false;
  std::string text;  // the option's name ("--max", "-v") or the argument
  std::optional<std::string> value;
};

bool IsGlobalFlag(std::string_view name, std::string_view long_name, std::string_view short_name) {
  return name == long_name || name == short_name;
}

bool LooksLikeOption(std::string_view word) {
  if (word.size() < 2 || word[0] != '-') return false;
  const char next = word[1];
  return !(next >= '0' && next <= '9') && next != '.';
}

// Whether the option `name` takes a value, in whichever command it exists;
// nullopt for an option that no command knows.
std::optional<bool> TakesValue(std::string_view name) {
  if (name == "--log") return true;
  if (IsGlobalFlag(name, "--verbose", "-v") || IsGlobalFlag(name, "--help", "-h")) return false;
  for (const CommandSpec& command : Commands()) {
    if (const OptionSpec* option = FindOption(command, name)) {
      return option->value != OptionValue::kNone;
    }
  }
  return std::nullopt;
}

struct Tokenized {
  std::vector<Token> tokens;
  std::string error;
};

Tokenized Tokenize(const std::vector<std::string>& args) {
  Tokenized result;
  bool options_ended = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (options_ended || !LooksLikeOption(word)) {
      result.tokens.push_back({false, word, std::nullopt});
      continue;
    }
    if (word == "--") {
      options_ended = true;
      continue;
    }
    Token token{true, word, std::nullopt};
    if (const std::size_t equals = word.find('=');
        word.starts_with("--") && equals != std::string::npos) {
      token.text = word.substr(0, equals);
      token.value = word.substr(equals + 1);
    }
    const std::optional<bool> takes_value = TakesValue(token.text);
    if (!takes_value) {
      result.error = "unknown option " + token.text;
      return result;
    }
    if (*takes_value && !token.value) {
      if (i + 1 >= args.size()) {
        result.error = "option " + token.text + " needs a value";
        return result;
      }
      token.value = args[++i];
    } else if (!*takes_value && token.value) {
      result.error = "option " + token.text + " takes no value";
      return result;
    }
    result.tokens.push_back(std::move(token));
  }
  return result;
}

template <class Integer>
std::optional<Integer> ParseInteger(std::string_view text) {
  Integer value{};
  const char* end = text.data() + text.size();
  const auto [stop, status] = std::from_chars(text.data(), end, value);
  if (status != std::errc() || stop != end || text.empty()) return std::nullopt;
  return value;
}

// "" when `value` suits `option`, else the complaint.
std::string CheckValue(const OptionSpec& option, const std::string& value) {
  const std::string what = "option " + std::string(option.name) + " needs ";
  switch (option.value) {
    case OptionValue::kNone:
    case OptionValue::kText:
      return "";
    case OptionValue::kInt16:
      return ParseInteger<int16_t>(value) ? "" : what + "a whole number from -32768 to 32767";
    case OptionValue::kInt32:
      return ParseInteger<int32_t>(value) ? "" : what + "a whole number";
    case OptionValue::kPositive16: {
      const std::optional<int16_t> number = ParseInteger<int16_t>(value);
      return number && *number >= 1 ? "" : what + "a whole number from 1 to 32767";
    }
  }
  return "";
}

// Applies one option token to `invocation`; returns the complaint or "".
std::string ApplyOption(const Token& token, Invocation& invocation) {
  if (IsGlobalFlag(token.text, "--verbose", "-v")) {
    invocation.verbose = true;
    return "";
  }
  if (IsGlobalFlag(token.text, "--help", "-h")) {
    invocation.help = true;
    return "";
  }
  if (token.text == "--log") {
    if (token.value->empty()) return "option --log needs a file name";
    invocation.log_file = *token.value;
    return "";
  }
  if (invocation.command == nullptr) return "option " + token.text + " needs a command";
  const OptionSpec* option = FindOption(*invocation.command, token.text);
  if (option == nullptr) {
    return std::string(invocation.command->name) + " has no option " + token.text;
  }
  if (invocation.Has(token.text)) return "option " + token.text + " given twice";
  const std::string value = token.value.value_or("");
  if (std::string complaint = CheckValue(*option, value); !complaint.empty()) return complaint;
  invocation.options.emplace(token.text, value);
  return "";
}

std::string CheckExclusive(const Invocation& invocation) {
  std::string first;
  for (std::string_view name : invocation.command->exclusive) {
    if (!invocation.Has(name)) continue;
    if (!first.empty())
      return "options " + first + " and " + std::string(name) + " exclude each other";
    first = name;
  }
  return "";
}

std::string CheckArgumentCount(const Invocation& invocation) {
  const CommandSpec& command = *invocation.command;
  const auto count = static_cast<int>(invocation.arguments.size());
  if (count < command.min_arguments) return std::string(command.name) + ": too few arguments";
  if (count > command.max_arguments) return std::string(command.name) + ": too many arguments";
  return "";
}

ParseResult Failure(std::string error, const CommandSpec* command) {
  ParseResult result;
  result.error = std::move(error);
  result.command = command;
  return result;
}

// Picks the command from the first argument ("help COMMAND" included) and
// leaves the rest as its arguments; returns the complaint or "".
std::string TakeCommand(std::vector<std::string> words, Invocation& invocation) {
  if (words.empty()) return invocation.help ? "" : "missing command";
  std::string name = words.front();
  words.erase(words.begin());
  if (name == "help") {
    invocation.help = true;
    if (words.empty()) return "";
    name = words.front();
    words.erase(words.begin());
  }
  invocation.command = FindCommand(name);
  if (invocation.command == nullptr) return "unknown command '" + name + "'";
  invocation.arguments = std::move(words);
  return "";
}

}  // namespace

std::string Invocation::Text(std::string_view option, std::string fallback) const {
  const auto found = options.find(option);
  return found == options.end() ? fallback : found->second;
}

int32_t Invocation::Number(std::string_view option, int32_t fallback) const {
  const auto found = options.find(option);
  if (found == options.end()) return fallback;
  return ParseInteger<int32_t>(found->second).value_or(fallback);
}

ParseResult ParseCommandLine(const std::vector<std::string>& args) {
  Tokenized tokenized = Tokenize(args);
  std::vector<std::string> words;
  for (const Token& token : tokenized.tokens) {
    if (!token.is_option) words.push_back(token.text);
  }
  if (!tokenized.error.empty()) {
    // The command named before the bad option, if any, so that the usage
    // shown is that command's alone.
    Invocation named;
    TakeCommand(std::move(words), named);
    return Failure(tokenized.error, named.command);
  }

  Invocation invocation;
  for (const Token& token : tokenized.tokens) {
    if (token.is_option && IsGlobalFlag(token.text, "--help", "-h")) invocation.help = true;
  }
  if (std::string complaint = TakeCommand(std::move(words), invocation); !complaint.empty()) {
    return Failure(complaint, invocation.command);
  }
  for (const Token& token : tokenized.tokens) {
    if (!token.is_option) continue;
    if (std::string complaint = ApplyOption(token, invocation); !complaint.empty()) {
      return Failure(complaint, invocation.command);
    }
  }
  if (!invocation.help && invocation.command != nullptr) {
    std::string complaint = CheckExclusive(invocation);
    if (complaint.empty()) complaint = CheckArgumentCount(invocation);
    if (!complaint.empty()) return Failure(complaint, invocation.command);
  }
  ParseResult result;
  result.command = invocation.command;
  result.invocation = std::move(invocation);
  return result;
}

}  // namespace tamrel::tool
