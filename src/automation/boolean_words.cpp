#include "automation/boolean_words.hpp"

#include <atomic>

namespace tamrel::detail {
namespace {

// Set once by the platform layer's registration, read by every conversion.
constinit std::atomic<BooleanWordsSource> registered_source{nullptr};

}  // namespace

void RegisterBooleanWordsSource(BooleanWordsSource source) {
  registered_source.store(source, std::memory_order_release);
}

BooleanWordPair SystemBooleanWords() {
  const BooleanWordsSource source = registered_source.load(std::memory_order_acquire);
  return source != nullptr ? source() : BooleanWordPair{};
}

}  // namespace tamrel::detail
