// Load when memory runs out, in the manner of pugixml's allocation-failure
// tests: the n-th allocation of a Load of a good file fails, for every n up
// to the allocations the whole Load makes. Running out of memory is no sign
// of a damaged file, so the file must never be set aside.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <string>

#include "support/discarding_host.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"
#include "tamrel/platform.hpp"
#include "tamrel/variant.hpp"

// Under AddressSanitizer the sanitizer's allocator stays in place, and the
// test is skipped.
#if defined(__SANITIZE_ADDRESS__)
#define TAMREL_OWN_ALLOCATOR 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAMREL_OWN_ALLOCATOR 0
#endif
#endif
#ifndef TAMREL_OWN_ALLOCATOR
#define TAMREL_OWN_ALLOCATOR 1
#endif

namespace {
// Allocations left before the one that fails on this thread; 0: none fails.
thread_local long allocations_before_failure = 0;
// Allocations made on this thread, failed ones included.
thread_local long allocations_made = 0;
}  // namespace

#if TAMREL_OWN_ALLOCATOR
namespace {
void* Allocate(std::size_t size) {
  ++allocations_made;
  if (allocations_before_failure > 0 && --allocations_before_failure == 0) {
    throw std::bad_alloc();
  }
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
}  // namespace

// The test program's allocator: counts, and fails the chosen allocation.
void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
#endif

namespace tamrel::testing {
namespace {

class LoadOutOfMemoryTest : public ::testing::Test {
 protected:
  // The shipped example's preferences, and enough records more that the
  // Load grows every table of the store, takes values with references and
  // keeps several instances of a pair, saved as a host saves them.
  void SetUp() override {
    const char* source = std::getenv("TAMREL_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "ctest sets TAMREL_SOURCE_DIR";
    std::filesystem::copy_file(Utf8Path(std::string(source) + "/examples/UserPreferences.tmc"),
                               Utf8Path(file_));
    auto context = std::make_shared<ContextCls>();
    context->SetApplicationContext(std::make_shared<DiscardingHost>());
    ASSERT_TRUE(context->Load(file_));
    for (int i = 0; i < 400; ++i) {
      const std::string n = std::to_string(i);
      context->Add("Tag" + std::to_string(i % 40), "Id" + n, Variant("value & <" + n + ">"));
      context->Add("Recent", "File", Variant("/home/ana/file " + n), 6);
    }
    std::filesystem::create_directory(Utf8Path(tmp_.Path("backup")));
    ASSERT_TRUE(context->Save(file_));
  }

  // One Load of the file into a new context, whose n-th allocation fails
  // (none when n is 0); what it returns or raises does not matter here,
  // only what it does to the file.
  void LoadOnce(long n) {
    auto context = std::make_shared<ContextCls>();
    context->SetApplicationContext(std::make_shared<DiscardingHost>());
    allocations_before_failure = n;
    try {
      context->Load(file_);
    } catch (const Error&) {
      // A failed report reaches the caller; the file is what is checked.
    } catch (const std::bad_alloc&) {
    }
    allocations_before_failure = 0;
  }

  TempDir tmp_;
  const std::string file_ = tmp_.Path("UserPreferences.tmc");
  // A damaged file would send Load to the backup folder: keep it here.
  platform::Scope backup_here_{[this] {
    platform::Hooks hooks;
    hooks.windows_folder = [this] { return tmp_.Path("backup"); };
    return hooks;
  }()};
};

TEST_F(LoadOutOfMemoryTest, AFailedAllocationNeverSetsTheFileAside) {
  if (!TAMREL_OWN_ALLOCATOR) GTEST_SKIP() << "the sanitizer's allocator cannot be replaced";
  const std::map<std::string, std::string> untouched = tmp_.Files();
  const long before = allocations_made;
  LoadOnce(0);
  const long whole_load = allocations_made - before;
  ASSERT_GT(whole_load, 10) << "the allocator of this program must see the library's";

  for (long n = 1; n <= whole_load; ++n) {
    LoadOnce(n);
    ASSERT_EQ(tmp_.Files(), untouched) << "allocation " << n << " of " << whole_load << " failed";
  }
}

}  // namespace
}  // namespace tamrel::testing
