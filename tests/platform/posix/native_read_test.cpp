// The native backend reads a file whose length it cannot know beforehand:
// a pipe reports none and hands its bytes over in pieces as a writer sends
// them. The read must grow its room past the first guess and stop only at
// the end, with every byte in order. Reading a file only if it exists finds
// out from the open alone: what is not a file there is nothing to read,
// and a pipe with no writer must not keep it waiting.
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "support/temp_dir.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"

namespace tamrel::testing {
namespace {

// Bytes that differ from one position to the next, so that a piece read
// twice or skipped shows.
std::string Pattern(std::size_t size) {
  std::string text(size, '\0');
  for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
  return text;
}

// Writes `text` to the pipe `path` in pieces of `piece` bytes, then closes it.
// A reader that stops early makes a write fail rather than end the process.
void SendInPieces(const std::string& path, const std::string& text, std::size_t piece) {
  sigset_t pipe_signal;
  sigemptyset(&pipe_signal);
  sigaddset(&pipe_signal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe_signal, nullptr);
  const int fd = open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  for (std::size_t at = 0; at < text.size(); at += piece) {
    const std::size_t size = std::min(piece, text.size() - at);
    ASSERT_EQ(write(fd, text.data() + at, size), static_cast<ssize_t>(size));
  }
  close(fd);
}

TEST(NativeReadTest, PipeOfUnknownLengthComesWhole) {
  TempDir tmp;
  for (const std::size_t size : {std::size_t{0}, std::size_t{5000}, std::size_t{100000}}) {
    SCOPED_TRACE(size);
    const std::string path = tmp.Path("pipe" + std::to_string(size));
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    const std::string sent = Pattern(size);
    std::thread writer(SendInPieces, path, sent, 3000);
    const std::string read = platform::NativeFileBackend()->ReadFile(path);
    writer.join();
    EXPECT_EQ(read.size(), sent.size());
    EXPECT_TRUE(read == sent);
  }
}

// Missing files and folders are the conformance story's (tests/testing).
TEST(NativeReadTest, ReadIfExistsReadsOnlyFiles) {
  TempDir tmp;
  const auto backend = platform::NativeFileBackend();
  const std::string content = Pattern(70000);
  EXPECT_EQ(backend->ReadFileIfExists(tmp.WriteFile("file", content)), content);
  EXPECT_EQ(backend->ReadFileIfExists(tmp.WriteFile("empty", "")), std::string());
  EXPECT_EQ(backend->ReadFileIfExists(""), std::nullopt);
  const std::string pipe = tmp.Path("pipe");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(backend->ReadFileIfExists(pipe), std::nullopt);  // returns at once: no writer comes
}

// Reads `path` with no descriptor left to open it with, and ends the
// process with the number of the error raised (0: none).
[[noreturn]] void ReadWithNoDescriptorLeft(const std::string& path) {
  const int lowest_free = open("/dev/null", O_RDONLY);
  close(lowest_free);
  const rlimit limit{static_cast<rlim_t>(lowest_free), static_cast<rlim_t>(lowest_free)};
  setrlimit(RLIMIT_NOFILE, &limit);
  try {
    platform::NativeFileBackend()->ReadFileIfExists(path);
  } catch (const Error& error) {
    std::_Exit(error.number());
  }
  std::_Exit(0);
}

// A file that is there but cannot be opened is not absent: the read
// raises, here "Too many files".
TEST(NativeReadTest, ReadIfExistsRaisesWhatIsNotAbsence) {
  TempDir tmp;
  const std::string path = tmp.WriteFile("file", "text");
  EXPECT_EXIT(ReadWithNoDescriptorLeft(path), ::testing::ExitedWithCode(67), "");
}

}  // namespace
}  // namespace tamrel::testing
