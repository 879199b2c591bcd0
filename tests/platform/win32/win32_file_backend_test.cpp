// The Win32 file backend: its table of error numbers, and files that another
// program holds open without sharing them.
#include <windows.h>
// After <windows.h>: the security descriptor language.
#include <sddl.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "automation/error_number.hpp"
#include "platform/win32/win32_errors.hpp"
#include "support/native_file.hpp"
#include "support/temp_dir.hpp"
#include "support/win32/wide.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"

namespace tamrel::testing {
namespace {

using platform::native::RuntimeErrorFor;
using platform::native::Subject;

// The numbers the library and its callers tell apart, beyond those the
// conformance story (tests/testing) meets on the disk.
TEST(Win32ErrorsTest, EachWin32FailureHasItsRunTimeNumber) {
  const struct {
    DWORD code;
    Subject subject;
    int32_t number;
  } cases[] = {
      {ERROR_FILE_NOT_FOUND, Subject::kFolder, errc::kPathNotFound},
      {ERROR_SHARING_VIOLATION, Subject::kFile, errc::kPermissionDenied},
      {ERROR_INVALID_NAME, Subject::kFile, 52},
      {ERROR_DISK_FULL, Subject::kFile, 61},
      {ERROR_INVALID_FUNCTION, Subject::kFile, errc::kPathFileAccess},  // anything else
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RuntimeErrorFor(c.code, c.subject), c.number) << "Win32 error " << c.code;
  }
}

// Holds a file open without sharing it, as a virus scanner or an editor
// may, until the given time has passed.
class HeldFile {
 public:
  HeldFile(const std::string& path, std::chrono::milliseconds hold)
      : handle_(CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)),
        release_([this, hold] {
          std::this_thread::sleep_for(hold);
          CloseHandle(handle_);
        }) {}
  ~HeldFile() { release_.join(); }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
  std::thread release_;
};

// Writes `text` to `path` as the library writes a context file.
void Rewrite(const std::string& path, const std::string& text) {
  TextStream stream = FileSystemObject().GetFile(path).OpenAsTextStream(IOMode::ForWriting);
  stream.Write(text);
  stream.Close();
}

TEST(HeldFileTest, AWriteWaitsForAFileHeldAMomentAndFailsWith70WhenItStaysHeld) {
  TempDir tmp;
  const std::string path = tmp.WriteFile("Setup.tmc", "old");
  {
    HeldFile briefly(path, std::chrono::milliseconds(300));
    ASSERT_TRUE(briefly.held());
    Rewrite(path, "new");
    EXPECT_EQ(TempDir::ReadFile(path), "new");
  }
  {
    HeldFile briefly(path, std::chrono::milliseconds(300));
    EXPECT_EQ(FileSystemObject().GetFile(path).OpenAsTextStream().ReadAll(), "new");
  }
  HeldFile long_held(path, std::chrono::milliseconds(3000));
  ASSERT_TRUE(long_held.held());
  EXPECT_EQ(ErrorNumberOf([&] { Rewrite(path, "lost"); }), errc::kPermissionDenied);
  EXPECT_EQ(ErrorNumberOf([&] { FileSystemObject().GetFile(path).OpenAsTextStream(); }),
            errc::kPermissionDenied);
}

TEST(HeldFileTest, AForcedDeleteThatFailsLeavesTheReadOnlyMark) {
  TempDir tmp;
  const std::string path = tmp.WriteFile("Setup.tmc", "keep");
  MakeReadOnly(path);
  HeldFile held(path, std::chrono::milliseconds(1600));
  ASSERT_TRUE(held.held());
  EXPECT_EQ(ErrorNumberOf([&] { FileSystemObject().GetFile(path).Delete(true); }),
            errc::kPermissionDenied);
  EXPECT_TRUE(FileSystemObject().backend()->Status(path).read_only);
}

// The access control list of `path` in the security descriptor language;
// "" when it cannot be read.
std::wstring AclText(const std::string& path) {
  DWORD size = 0;
  GetFileSecurityW(Wide(path).c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
  std::vector<char> descriptor(size);
  LPWSTR text = nullptr;
  if (size == 0 ||
      !GetFileSecurityW(Wide(path).c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), size,
                        &size) ||
      !ConvertSecurityDescriptorToStringSecurityDescriptorW(
          descriptor.data(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
    return L"";
  }
  std::wstring acl(text);
  LocalFree(text);
  return acl;
}

// A rewritten file keeps its attributes and its own access control list (the
// new text is made with them, never with the folder's).
TEST(Win32IdentityTest, ARewriteKeepsAttributesAndSecurity) {
  TempDir tmp;
  const std::string path = tmp.WriteFile("Setup.tmc", "old");
  ASSERT_TRUE(SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_HIDDEN));
  // Not what the folder hands on: a list of its own, protected from it.
  const wchar_t* kOwnList = L"D:P(A;;FA;;;WD)";
  PSECURITY_DESCRIPTOR wanted = nullptr;
  const bool acl_set = ConvertStringSecurityDescriptorToSecurityDescriptorW(
                           kOwnList, SDDL_REVISION_1, &wanted, nullptr) &&
                       SetFileSecurityW(Wide(path).c_str(), DACL_SECURITY_INFORMATION, wanted);
  LocalFree(wanted);
  const std::wstring acl_before = AclText(path);
  Rewrite(path, "new");
  EXPECT_EQ(TempDir::ReadFile(path), "new");
  EXPECT_NE(GetFileAttributesW(Wide(path).c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  // Where the system keeps access control lists for its files.
  if (acl_set && !acl_before.empty()) {
    EXPECT_EQ(AclText(path), acl_before);
  }
}

TEST(Win32PathTest, ANameThatIsNotUtf8IsABadFileNameAndNamesNothing) {
  TempDir tmp;
  const std::string bad = tmp.Path("") + "bad\xff.tmc";
  FileSystemObject fso;
  EXPECT_FALSE(fso.FileExists(bad));
  EXPECT_EQ(ErrorNumberOf([&] { fso.CreateTextFile(bad).Close(); }), 52);
}

}  // namespace
}  // namespace tamrel::testing
