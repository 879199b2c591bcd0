// The reader of context files: a tokenizer that knows nothing of what it
// fills.
//
// It walks a text element by element and hands what it finds to a sink:
// the start tag, each attribute (name and raw value, quotes removed), the
// element's text, and the end of the element. When an element's content
// holds a further "<", the text before it is the element text and the rest
// is read by a nested level before the element ends.
//
// It knows start tags with attributes, element text and end tags only, and
// expects the line breaks of the file to be gone. An element whose end tag is
// missing, or a text whose element name cannot be cut (no ">" left), fails
// with error 5 (invalid argument); nesting deeper than kMaxNesting fails with
// error 28 (out of stack space).
//
// Failure path: every level hands the failure to the sink in turn,
// innermost first, with the text that level had left to read, and raises
// the error again with its number and description. What the sink was given
// before the failure stays given.
//
// Cost: one scan of the text by position over a view; events are views of
// the text, so nothing of it is copied per element. Element names and
// attribute values stay valid as long as the text does; an attribute name
// may be the reader's own (a carried name), valid during the call only. Elements as Save writes
// them take a shorter pass of their own.
#pragma once

#include <string_view>

#include "tamrel/error.hpp"

namespace tamrel::detail {

inline constexpr int kMaxNesting = 256;

// What the reader learnt of an element's text on the way to it: whether it
// may hold a "&", which starts an entity reference. A sink that decodes
// references need not look for them in a text of kNone.
enum class References { kMaybe, kNone };

// What the reader hands its findings to. A sink may raise from any event;
// the reader then fails as it does on malformed text.
class ReaderSink {
 public:
  virtual void StartTag(std::string_view element) = 0;
  // `value` is empty for an attribute without one (a bare name). `name`
  // may be empty ('<A ="x">'), and a name that ">" cut off is carried into
  // the first attribute name of the next element at the same level.
  virtual void Attribute(std::string_view element, std::string_view name,
                         std::string_view value) = 0;
  virtual void ElementText(std::string_view element, std::string_view text,
                           References references) = 0;
  virtual void EndTag(std::string_view element) = 0;
  // A hint once an element's end tag is found, before its text is handed
  // over: `next` is the text the reader goes on with at this level, which
  // may begin with the next element's start tag.
  virtual void LookAhead(std::string_view next) = 0;
  // A level failed with `failure`, `rest` the text it had left to read.
  virtual void LevelFailed(const Error& failure, std::string_view rest) = 0;

 protected:
  ~ReaderSink() = default;
};

// How an element in the form Save writes every record is read: by a pass
// of its own, which hands over the same events at a fraction of the cost
// (what Load does), or by the general path like any other element (what
// the first must agree with).
enum class PlainElements { kOwnPass, kGeneralPath };

// Reads `xml` into `sink`. Raises tamrel::Error on failure, after the sink
// was told of it at every level.
void ReadContextText(std::string_view xml, ReaderSink& sink,
                     PlainElements plain = PlainElements::kOwnPass);

}  // namespace tamrel::detail
