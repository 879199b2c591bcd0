// The system's Boolean words, which CStr gives for a Boolean and CBool
// accepts besides numbers.
//
// Automation knows no operating system: the platform layer, which asks the
// system (or a test's hooks) for the words, registers the function that
// finds them when the library is loaded. Until something is registered the
// words are those of an English system.
#pragma once

#include <string>

namespace tamrel::detail {

struct BooleanWordPair {
  std::string true_word = "True";
  std::string false_word = "False";
};

using BooleanWordsSource = BooleanWordPair (*)();

// Makes `source` the one the conversions ask from now on, on every thread
// (the source itself may answer per thread). REQUIRES: `source` is not null.
void RegisterBooleanWordsSource(BooleanWordsSource source);

// The words of the registered source, or the English ones.
BooleanWordPair SystemBooleanWords();

}  // namespace tamrel::detail
