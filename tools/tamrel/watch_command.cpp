// tamrel watch: prints the changes of a context file as other programs
// save it, until interrupted.
#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "commands.hpp"
#include "json_text.hpp"
#include "record_columns.hpp"
#include "tamrel/context.hpp"
#include "tamrel/file_records.hpp"
#include "tamrel/watcher.hpp"

namespace tamrel::tool {
namespace {

// How often the wait looks whether it was interrupted.
constexpr std::chrono::milliseconds kInterruptCheck(200);

// Set by the signal handler, read by the wait: the one thing a handler may
// safely touch.
volatile std::sig_atomic_t interrupted = 0;

extern "C" void Interrupt(int) { interrupted = 1; }

struct Shown {
  char mark;              // as in the text output
  std::string_view word;  // as in the JSON output
  const std::vector<Record>* records;
};

// Whether `record` is one the command was asked about.
bool Wanted(const Session& session, const Record& record) {
  const auto& arguments = session.invocation.arguments;
  if (arguments.size() > 1 && record.tag != arguments[1]) return false;
  return arguments.size() <= 2 || record.id == arguments[2];
}

void PrintChange(const Session& session, const ContextChange& change) {
  const Shown shown[] = {{'-', "removed", &change.removed},
                         {'~', "changed", &change.changed},
                         {'+', "added", &change.added}};
  std::vector<Record> records;
  std::vector<const Shown*> kinds;
  for (const Shown& kind : shown) {
    for (const Record& record : *kind.records) {
      if (!Wanted(session, record)) continue;
      records.push_back(record);
      kinds.push_back(&kind);
    }
  }
  if (session.invocation.Has("--json")) {
    for (std::size_t i = 0; i < records.size(); ++i) {
      session.out << RecordAsJson(records[i],
                                  ", \"change\": \"" + std::string(kinds[i]->word) + "\"")
                  << '\n';
    }
  } else {
    const std::vector<std::string> lines = RecordColumns(records);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      session.out << kinds[i]->mark << "  " << lines[i] << '\n';
    }
  }
  session.out.flush();
}

// Says on standard error what became of the file when it does not load,
// and when it loads again after that.
void PrintFileState(const Session& session, const ContextChange& change,
                    FileRecords::State before) {
  const std::string& file = session.Argument(0);
  switch (change.file) {
    case FileRecords::State::kMissing:
      session.err << "tamrel: " << file << " is gone\n";
      break;
    case FileRecords::State::kDamaged:
      session.err << "tamrel: " << file << " is damaged: " << change.reason << '\n';
      break;
    case FileRecords::State::kUnreadable:
      session.err << "tamrel: " << file << " cannot be read: " << change.reason << '\n';
      break;
    case FileRecords::State::kLoaded:
      if (before != FileRecords::State::kLoaded)
        session.err << "tamrel: " << file << " loads again\n";
      break;
  }
}

// A context holding what the file holds now, kept in step with it by the
// reports, so that every change of the file is one from it.
std::shared_ptr<ContextCls> FollowerOf(const std::string& file, const ObjectRef& host) {
  auto context = std::make_shared<ContextCls>();
  context->SetApplicationContext(host);
  for (const Record& record : ReadFileRecords(file).records) {
    context->CloneAdd(record.tag, record.id, record.value, record.instance);
  }
  return context;
}

}  // namespace

int Watch(const Session& session) {
  const std::string& file = session.Argument(0);
  std::shared_ptr<ContextCls> follower = FollowerOf(file, session.host);
  ContextWatcher watcher(file, follower);
  FileRecords::State state = ReadFileRecords(file).state;
  std::signal(SIGINT, Interrupt);
  std::signal(SIGTERM, Interrupt);
  while (interrupted == 0) {
    const std::optional<ContextChange> change = watcher.Wait(kInterruptCheck);
    if (!change) continue;
    PrintFileState(session, *change, state);
    state = change->file;
    PrintChange(session, *change);
    ApplyChange(*follower, *change);
    if (!session.out) return kExitFailed;
  }
  return kExitOk;
}

}  // namespace tamrel::tool
