#include "commands.hpp"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <string_view>
#include <system_error>

#include "context_path.hpp"
#include "json_text.hpp"
#include "opened_context.hpp"
#include "record_columns.hpp"
#include "tamrel/backup_copy.hpp"
#include "tamrel/context_file_lock.hpp"
#include "tamrel/error.hpp"
#include "tamrel/locations.hpp"
#include "tamrel/records.hpp"
#include "utf8_path.hpp"

namespace tamrel::tool {
namespace {

namespace fs = std::filesystem;

constexpr int16_t kDefaultMaxCount = 4;
constexpr int16_t kDefaultRetainCycles = 4;
constexpr std::string_view kVerifyLinePrefix = "Tamrel/ContextCls/Verify";

// An object with a readable `title`, which Appl takes the application title from.
class TitledApplication : public Object {
 public:
  explicit TitledApplication(std::string title) : title_(std::move(title)) {}
  std::string TypeName() const override { return "TitledApplication"; }
  Variant Get(const std::string& name, const std::vector<Variant>& indices) override {
    if (!SameName(name, "title") || !indices.empty()) NoSuchMember(name);
    return Variant(title_);
  }

 private:
  std::string title_;
};

// The values of `tag` and `id` in store order, through the read cursor.
std::vector<std::string> ValuesOf(ContextCls& context, const std::string& tag,
                                  const std::string& id) {
  std::vector<std::string> values;
  context.MoveFirst(tag, id);
  while (!context.Eof(tag, id)) {
    values.push_back(ConcatText(context.Read(tag, id)));
    context.MoveNext(tag, id);
  }
  return values;
}

// Ends the command with status 2 when the context file would not give the
// record back as given (RoundTrips), naming the part at fault: the tag when
// it fails with a plain id, else the id when it fails with an empty value,
// else the value. Such keys can leave the whole file unreadable, so that
// the next read sets it aside with all its values.
// Keys that Add refuses itself (an empty tag or id, the tag "context") are
// left to Add, whose own report ends the command with status 3.
void RefuseUnstorable(const std::string& tag, const std::string& id, const std::string& value) {
  const bool refused_by_add = tag.empty() || id.empty() || tag == "context";
  if (refused_by_add || RoundTrips(tag, id, value)) return;
  const std::string what = !RoundTrips(tag, "id", "") ? "the tag '" + tag + "'"
                           : !RoundTrips(tag, id, "") ? "the id '" + id + "'"
                                                      : "the value";
  throw CommandFailure(kExitUsage, what +
                                       " cannot be kept in a context file: it would not read "
                                       "back as given (a space or \">\" in a tag, a double "
                                       "quote in an id, a line break anywhere, ...)");
}

void PrintColumns(const std::vector<Record>& records, std::ostream& out) {
  for (const std::string& line : RecordColumns(records)) out << line << '\n';
}

}  // namespace

OpenedContext Session::Open(FileMissing missing, Access access) const {
  return OpenedContext(Argument(0), host, err, missing, access);
}

int List(const Session& session) {
  OpenedContext opened = session.Open(FileMissing::kRefuse, Access::kRead);
  const std::vector<Record> records = Records(opened.context());
  if (session.invocation.Has("--json")) {
    session.out << RecordsAsJson(records);
  } else {
    PrintColumns(records, session.out);
  }
  return kExitOk;
}

int Get(const Session& session) {
  OpenedContext opened = session.Open(FileMissing::kRefuse, Access::kRead);
  ContextCls& context = opened.context();
  const std::string& tag = session.Argument(1);
  const std::string& id = session.Argument(2);
  const std::size_t reports_before = session.host->errors().size();
  std::vector<std::string> values;
  std::string missing = "no value of " + tag + " " + id;
  if (session.invocation.Has("--instance")) {
    const int32_t instance = session.invocation.Number("--instance", 1);
    const Variant value = context.Item(tag, id, instance);
    if (!IsNull(value)) values.push_back(ConcatText(value));
    missing = "no instance " + std::to_string(instance) + " of " + tag + " " + id;
  } else {
    values = ValuesOf(context, tag, id);
    if (!session.invocation.Has("--all") && values.size() > 1) values.resize(1);
  }
  FailOnReport(*session.host, reports_before, "cannot read " + tag + " " + id);
  if (values.empty()) throw CommandFailure(kExitNotFound, missing + " in " + opened.path());
  for (const std::string& value : values) session.out << value << '\n';
  return kExitOk;
}

int Set(const Session& session) {
  RefuseUnstorable(session.Argument(1), session.Argument(2), session.Argument(3));
  OpenedContext opened = session.Open(FileMissing::kStartEmpty, Access::kWrite);
  const int32_t max_count = session.invocation.Number("--max", kDefaultMaxCount);
  const std::size_t reports_before = session.host->errors().size();
  opened.context().Add(session.Argument(1), session.Argument(2), Variant(session.Argument(3)),
                       static_cast<int16_t>(max_count), session.invocation.Text("--link"));
  FailOnReport(*session.host, reports_before,
               "cannot set " + session.Argument(1) + " " + session.Argument(2));
  return opened.Save();
}

int Remove(const Session& session) {
  OpenedContext opened = session.Open(FileMissing::kRefuse, Access::kWrite);
  ContextCls& context = opened.context();
  const auto& arguments = session.invocation.arguments;
  const std::size_t before = Records(context).size();
  const std::size_t reports_before = session.host->errors().size();
  std::optional<Variant> id;
  std::optional<Variant> value;
  if (arguments.size() > 2) id = Variant(arguments[2]);
  if (arguments.size() > 3) value = Variant(arguments[3]);
  context.Remove(arguments[1], id, value);
  FailOnReport(*session.host, reports_before, "cannot remove");
  const std::size_t removed = before - Records(context).size();
  if (removed == 0) throw CommandFailure(kExitNotFound, "nothing matched in " + opened.path());
  const int saved = opened.Save();
  session.out << "removed " << removed << (removed == 1 ? " value\n" : " values\n");
  return saved;
}

int Verify(const Session& session) {
  RefuseUnstorable(session.Argument(1), session.Argument(2), session.Argument(3));
  OpenedContext opened = session.Open(FileMissing::kStartEmpty, Access::kWrite);
  ContextCls& context = opened.context();
  const std::string& tag = session.Argument(1);
  const std::string& id = session.Argument(2);
  const std::vector<std::string> before = ValuesOf(context, tag, id);
  const std::size_t reports_before = session.host->errors().size();
  std::vector<std::string> lines;
  {
    ConsoleHost::Capture capture(*session.host);
    context.Verify(tag, id, Variant(session.Argument(3)));
    lines = capture.lines();
  }
  FailOnReport(*session.host, reports_before, "cannot verify " + tag + " " + id);
  if (ValuesOf(context, tag, id) == before) return kExitOk;
  const int saved = opened.Save();
  for (const std::string& line : lines) {
    if (std::string_view(line).starts_with(kVerifyLinePrefix)) session.out << line << '\n';
  }
  return saved;
}

int Log(const Session& session) {
  OpenedContext opened = session.Open(FileMissing::kRefuse, Access::kRead);
  const auto& arguments = session.invocation.arguments;
  const std::string label =
      arguments.size() > 1 ? arguments[1] : TextOf(PathOf(opened.path()).filename());
  const std::size_t reports_before = session.host->errors().size();
  std::vector<std::string> lines;
  {
    ConsoleHost::Capture capture(*session.host);
    opened.context().log(label);
    lines = capture.lines();
  }
  FailOnReport(*session.host, reports_before, "cannot log " + opened.path());
  for (const std::string& line : lines) session.out << line << '\n';
  return kExitOk;
}

// Load as a host does it, and say what was found and done.
int Repair(const Session& session) {
  OpenedContext opened = session.Open(FileMissing::kRefuse, Access::kWrite);
  if (!opened.was_damaged()) {
    session.out << opened.path() << " loads whole; nothing to repair\n";
    return kExitOk;
  }
  session.out << "restored " << opened.path() << " from its backup copy " << opened.backup_path()
              << "; the damaged file is kept as " << opened.corrupt_name() << '\n';
  return kExitOk;
}

namespace {

std::set<std::string> FileNamesIn(const fs::path& folder) {
  std::set<std::string> names;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    names.insert(TextOf(entry.path().filename()));
  }
  return names;
}

}  // namespace

int Cycle(const Session& session) {
  const std::string path = AbsolutePath(session.Argument(0));
  std::error_code error;
  if (!fs::is_regular_file(PathOf(path), error)) {
    throw CommandFailure(kExitNotFound, path + ": no such file");
  }
  const fs::path folder = PathOf(path).parent_path();
  const std::set<std::string> before = FileNamesIn(folder);
  auto context = std::make_shared<ContextCls>();
  context->SetApplicationContext(session.host);
  const std::size_t reports_before = session.host->errors().size();
  context->RenameAsNextFileCycle(
      path, static_cast<int16_t>(session.invocation.Number("--keep", kDefaultRetainCycles)));
  FailOnReport(*session.host, reports_before, "cannot cycle " + path);
  const std::set<std::string> after = FileNamesIn(folder);
  std::vector<std::string> created;
  std::ranges::set_difference(after, before, std::back_inserter(created));
  if (fs::exists(PathOf(path), error) || created.size() != 1) {
    throw CommandFailure(kExitFailed, "cannot cycle " + path +
                                          ": its next generation name is taken or it was not "
                                          "found when renamed");
  }
  session.out << "renamed " << path << " to " << TextOf(folder / PathOf(created.front())) << '\n';
  const std::string own_name = TextOf(PathOf(path).filename());
  for (const std::string& name : before) {
    if (name != own_name && !after.contains(name)) {
      session.out << "deleted " << TextOf(folder / PathOf(name)) << '\n';
    }
  }
  return kExitOk;
}

namespace {

// The application folder is the application's name inside the configuration
// folder (a "/" in it becomes "-"), and `where` creates it: an empty name,
// "." or ".." would settle on the configuration folder or the one above it.
void RefuseFolderlessApplicationName(const std::string& application) {
  if (application.empty() || application == "." || application == "..") {
    throw CommandFailure(
        kExitUsage,
        "APPNAME \"" + application + "\" names no folder of its own: give an application's name");
  }
}

// The name of generation N of `path` beside it: base(N)ext, split at the
// last dot of the name.
std::string GenerationForm(const std::string& path) {
  const fs::path file = PathOf(path);
  std::string name = TextOf(file.filename());
  const std::size_t dot = name.rfind('.');
  name.insert(dot == std::string::npos ? name.size() : dot, "(N)");
  return TextOf(file.parent_path() / PathOf(name));
}

// Where the copies of one context file are, for a person looking for them.
int WhereFile(const Session& session) {
  const std::string given = AbsolutePath(session.invocation.Text("--file"));
  const std::string file = ResolvedContextPath(given);
  const std::string backup = BackupCopyPath(file);
  session.out << "context file:       " << file;
  if (file != given) session.out << " (through the link " << given << ")";
  session.out << '\n'
              << "backup copy:        " << backup << '\n'
              << "lock file:          " << ContextFileLock::LockFileOf(file)
              << " (while a save runs)\n"
              << "generations:        " << GenerationForm(file) << '\n'
              << "backup generations: " << GenerationForm(backup) << '\n'
              << "set aside as:       " << file << "_corrupt(N), " << backup << "_corrupt(N)\n";
  return kExitOk;
}

}  // namespace

int Where(const Session& session) {
  const bool for_file = session.invocation.Has("--file");
  if (for_file == !session.invocation.arguments.empty()) {
    throw CommandFailure(kExitUsage, "where: give either APPNAME or --file FILE");
  }
  if (for_file) return WhereFile(session);
  const std::string& application = session.Argument(0);
  RefuseFolderlessApplicationName(application);
  auto context = std::make_shared<ContextCls>();
  context->SetApplicationContext(session.host);
  context->Appl(std::make_shared<TitledApplication>(application));
  const std::string folder = context->GetApplicationConfigLocation();
  const std::size_t reports_before = session.host->errors().size();
  context->GetUserPreferences(application);
  FailOnReport(*session.host, reports_before,
               "cannot settle the user preferences of " + application);
  std::string preferences = context->SaveLocation();
  if (preferences.empty()) preferences = TextOf(PathOf(folder) / "UserPreferences.tmc");
  session.out << "application folder: " << folder << '\n'
              << "user preferences:   " << preferences << '\n'
              << "backup copies:      " << GetWindowsFolder() << '\n';
  return kExitOk;
}

int RunCommand(const Invocation& invocation, const std::shared_ptr<ConsoleHost>& host,
               std::ostream& out, std::ostream& err) {
  const Session session{invocation, host, out, err};
  try {
    return invocation.command->run(session);
  } catch (const CommandFailure& failure) {
    err << "tamrel: " << failure.what() << '\n';
    return failure.status();
  } catch (const Error& error) {
    err << "tamrel: " << invocation.command->name << ": " << error.description() << " (error "
        << error.number() << ")\n";
  } catch (const std::exception& error) {
    err << "tamrel: " << invocation.command->name << ": " << error.what() << '\n';
  }
  return kExitFailed;
}

}  // namespace tamrel::tool
