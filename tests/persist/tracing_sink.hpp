// A reader sink that writes down what it is handed, one short line an event,
// so that two reads, or a read and what it should give, can be compared.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "persist/context_reader.hpp"
#include "tamrel/error.hpp"

namespace tamrel::testing {

// Writes each event as one short line: "S A", "A A id=x", "T A v", "E A",
// "L <next>", "F 5 <rest>".
class TracingSink final : public detail::ReaderSink {
 public:
  void StartTag(std::string_view element) override { Add("S ", element); }
  void Attribute(std::string_view element, std::string_view name, std::string_view value) override {
    Add("A ", std::string(element) + " " + std::string(name) + "=" + std::string(value));
  }
  void ElementText(std::string_view element, std::string_view text,
                   detail::References references) override {
    Add("T ", std::string(element) + " " + std::string(text));
    if (references == detail::References::kNone) {
      ++texts_without_references;
      // A wrong hint would leave a reference undecoded: it fails the trace.
      if (text.find('&') != std::string_view::npos) Add("wrong hint ", text);
    }
  }
  void EndTag(std::string_view element) override { Add("E ", element); }
  void LookAhead(std::string_view next) override { Add("L ", next); }
  void LevelFailed(const Error& failure, std::string_view rest) override {
    Add("F ", std::to_string(failure.number()) + " " + std::string(rest));
  }

  std::vector<std::string> trace;
  int texts_without_references = 0;

 private:
  void Add(const char* kind, std::string_view text) { trace.push_back(kind + std::string(text)); }
};

using Trace = std::vector<std::string>;

// The events and the error number of reading `text` in one of the modes.
inline Trace TraceOf(std::string_view text,
                     detail::PlainElements plain = detail::PlainElements::kOwnPass) {
  TracingSink sink;
  try {
    detail::ReadContextText(text, sink, plain);
  } catch (const Error& error) {
    sink.trace.push_back("raised " + std::to_string(error.number()));
  }
  return sink.trace;
}

}  // namespace tamrel::testing
