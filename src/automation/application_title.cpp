#include "automation/application_title.hpp"

#include <utility>

namespace tamrel::detail {
namespace {
std::string& ThreadTitle() {
  thread_local std::string title = "Tamrel";
  return title;
}
}  // namespace

const std::string& CurrentApplicationTitle() { return ThreadTitle(); }
void SetApplicationTitle(std::string title) { ThreadTitle() = std::move(title); }

}  // namespace tamrel::detail
