#include "automation/application_title.hpp"

#include <utility>

#include "tamrel/context.hpp"

namespace tamrel {
namespace detail {
namespace {
std::string& ThreadTitle() {
  thread_local std::string title = "Tamrel";
  return title;
}
}  // namespace

const std::string& CurrentApplicationTitle() { return ThreadTitle(); }
void SetApplicationTitle(std::string title) { ThreadTitle() = std::move(title); }

}  // namespace detail

std::string ApplicationTitle() { return detail::CurrentApplicationTitle(); }

}  // namespace tamrel
