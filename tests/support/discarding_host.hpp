// DiscardingHost: a HostApplication that accepts every call and keeps
// nothing, for benchmarks, fuzzing and long-running tests.
#pragma once

#include "automation/silent_host.hpp"

namespace tamrel::testing {

using DiscardingHost = detail::SilentHost;

}  // namespace tamrel::testing
