// The watcher's figures: how long after another process's Save returns its
// report comes (median and worst over a number of saves), how much processor
// time an idle watcher uses, and what `tamrel history` costs on a file with
// four generations of 32,767 records. POSIX only (the writer is a child
// made with fork).
//
//   watch_figures FOLDER TAMREL [SAVES [IDLE_SECONDS]]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "automation/silent_host.hpp"
#include "tamrel/context.hpp"
#include "tamrel/platform.hpp"
#include "tamrel/watcher.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Millis(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

double ProcessorSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::shared_ptr<tamrel::ContextCls> NewContext() {
  auto context = std::make_shared<tamrel::ContextCls>();
  context->SetApplicationContext(std::make_shared<tamrel::detail::SilentHost>());
  return context;
}

// The writer: saves `saves` times, writing the time each Save returned to
// `times`, and waits for a byte on `go` before the next.
[[noreturn]] void Writer(const std::string& file, int saves, int times, int go) {
  auto context = NewContext();
  context->Load(file);
  for (int i = 0; i < saves; ++i) {
    char ready = 0;
    if (read(go, &ready, 1) != 1) _exit(1);
    context->Value("Figures", "Count", tamrel::Variant(int32_t{i}));
    context->Save(file);
    const Clock::time_point returned = Clock::now();
    if (write(times, &returned, sizeof returned) != sizeof returned) _exit(1);
  }
  _exit(0);
}

void Latency(const std::string& file, int saves) {
  NewContext()->Save(file);
  int times[2], go[2];
  if (pipe(times) != 0 || pipe(go) != 0) std::exit(1);
  const pid_t child = fork();
  if (child == 0) Writer(file, saves, times[1], go[0]);
  tamrel::ContextWatcher watcher(file, NewContext());
  std::vector<double> latencies;
  for (int i = 0; i < saves; ++i) {
    if (write(go[1], "x", 1) != 1) break;
    const std::optional<tamrel::ContextChange> change = watcher.Wait(std::chrono::seconds(5));
    const Clock::time_point reported = Clock::now();
    Clock::time_point returned;
    if (read(times[0], &returned, sizeof returned) != sizeof returned || !change) {
      std::printf("save %d: no report\n", i);
      break;
    }
    latencies.push_back(Millis(reported - returned));
  }
  waitpid(child, nullptr, 0);
  std::sort(latencies.begin(), latencies.end());
  if (latencies.empty()) return;
  std::printf("latency over %zu saves: median %.1f ms, worst %.1f ms, best %.1f ms\n",
              latencies.size(), latencies[latencies.size() / 2], latencies.back(),
              latencies.front());
}

void Idle(const std::string& file, int seconds) {
  tamrel::ContextWatcher watcher(file, NewContext());
  const double before = ProcessorSeconds(RUSAGE_SELF);
  const Clock::time_point start = Clock::now();
  while (Clock::now() - start < std::chrono::seconds(seconds)) {
    watcher.Wait(std::chrono::seconds(1));
  }
  std::printf("idle watcher: %.4f s of processor time over %d s\n",
              ProcessorSeconds(RUSAGE_SELF) - before, seconds);
}

void History(const std::string& folder, const std::string& tool) {
  const std::string file = folder + "/Big.tmc";
  auto context = NewContext();
  for (int32_t i = 0; i < 32767; ++i) {
    context->Add("Group" + std::to_string(i % 97), "Key" + std::to_string(i),
                 tamrel::Variant("value number " + std::to_string(i)));
  }
  context->Save(file);
  for (int n = 1; n <= 4; ++n) fs::copy_file(file, folder + "/Big(" + std::to_string(n) + ").tmc");
  const std::string command = "'" + tool + "' history '" + file + "' Group5 Key5 > /dev/null";
  const double before = ProcessorSeconds(RUSAGE_CHILDREN);
  const Clock::time_point start = Clock::now();
  const int runs = 5;
  for (int i = 0; i < runs; ++i) {
    if (std::system(command.c_str()) != 0) std::printf("history failed\n");
  }
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  std::printf(
      "history over 6 copies of 32,767 records: %.0f ms wall, %.0f ms processor a run, "
      "peak memory %ld MB\n",
      Millis(Clock::now() - start) / runs,
      (ProcessorSeconds(RUSAGE_CHILDREN) - before) * 1000 / runs, usage.ru_maxrss / 1024);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: watch_figures FOLDER TAMREL [SAVES [IDLE_SECONDS]]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int saves = argc > 3 ? std::atoi(argv[3]) : 200;
  const int idle = argc > 4 ? std::atoi(argv[4]) : 60;
  setenv("XDG_STATE_HOME", (folder + "/state").c_str(), 1);
  Latency(folder + "/Latency.tmc", saves);
  History(folder, argv[2]);
  Idle(folder + "/Latency.tmc", idle);
}
