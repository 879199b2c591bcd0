#include "commands.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <set>
#include <string_view>
#include <system_error>

#include "json_text.hpp"
#include "opened_context.hpp"
#include "store_listing.hpp"
#include "tamrel/error.hpp"
#include "tamrel/locations.hpp"

namespace tamrel::tool {
namespace {

namespace fs = std::filesystem;

constexpr int16_t kDefaultMaxCount = 4;
constexpr int16_t kDefaultRetainCycles = 4;
constexpr std::string_view kVerifyLinePrefix = "Tamrel/ContextCls/Verify";

// What every command works with.
struct Session {
  const Invocation& invocation;
  std::shared_ptr<ConsoleHost> host;
  std::ostream& out;
  std::ostream& err;

  const std::string& Argument(std::size_t index) const { return invocation.arguments[index]; }
  OpenedContext Open(FileMissing missing, Access access) const {
    return OpenedContext(Argument(0), host, err, missing, access);
  }
};

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

bool IsContextInAnotherCase(std::string_view tag) {
  constexpr std::string_view kRoot = "context";
  if (tag.size() != kRoot.size() || tag == kRoot) return false;
  return std::ranges::equal(
      tag, kRoot, [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

// Why a value filed under `tag` and `id`, or the value itself, would not come
// back from the context file as given; "" when it would. Tags and ids are
// saved as they are: the reader ends a tag at a space or ">", skips elements
// named "context" in any letter case, ends an id at a double quote and drops
// the spaces that open it, and ends an element at the first "</TAG>" (the
// whole context at the first "</context>"); Load drops every line feed. Some
// of these keys leave the whole file unreadable, so that the next read sets
// it aside with all its values. An empty tag or id and the tag "context" are
// refused by Add itself.
std::string UnstorableReason(const std::string& tag, const std::string& id,
                             const std::string& value) {
  const std::string the_tag = "the tag '" + tag + "' cannot be kept in a context file: ";
  const std::string the_id = "the id '" + id + "' cannot be kept in a context file: ";
  if (tag.find_first_of(" >") != std::string::npos) {
    return the_tag + "a tag ends at a space or \">\"";
  }
  if (IsContextInAnotherCase(tag)) {
    return the_tag + "an element named context in any letter case is skipped";
  }
  if (id.find('"') != std::string::npos) return the_id + "an id ends at a double quote";
  if (id.starts_with(' ')) return the_id + "the spaces that open an id are dropped";
  for (const std::string& end_tag : {"</" + tag + ">", std::string("</context>")}) {
    if (id.find(end_tag) != std::string::npos) {
      return the_id + "\"" + end_tag + "\" ends the element early";
    }
  }
  if ((tag + id + value).find('\n') != std::string::npos) {
    return "a line break cannot be kept in a context file: line feeds are dropped when the "
           "file is read";
  }
  return "";
}

// Ends the command with status 2 when UnstorableReason finds a reason.
void RefuseUnstorable(const std::string& tag, const std::string& id, const std::string& value) {
  if (std::string reason = UnstorableReason(tag, id, value); !reason.empty()) {
    throw CommandFailure(kExitUsage, reason);
  }
}

std::string Padded(const std::string& text, std::size_t width) {
  return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

void PrintColumns(const std::vector<StoreRecord>& records, std::ostream& out) {
  std::size_t tag_width = 0;
  std::size_t id_width = 0;
  for (const StoreRecord& record : records) {
    tag_width = std::max(tag_width, record.tag.size());
    id_width = std::max(id_width, record.id.size());
  }
  for (const StoreRecord& record : records) {
    out << Padded(record.tag, tag_width) << "  " << Padded(record.id, id_width) << "  "
        << record.instance << "  " << record.value << '\n';
  }
}

int List(const Session& session) {
  OpenedContext opened = session.Open(FileMissing::kRefuse, Access::kRead);
  const std::vector<StoreRecord> records = ListRecords(opened.context(), *session.host);
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
  opened.Save();
  return kExitOk;
}

int Remove(const Session& session) {
  OpenedContext opened = session.Open(FileMissing::kRefuse, Access::kWrite);
  ContextCls& context = opened.context();
  const auto& arguments = session.invocation.arguments;
  const std::size_t before = ListRecords(context, *session.host).size();
  const std::size_t reports_before = session.host->errors().size();
  std::optional<Variant> id;
  std::optional<Variant> value;
  if (arguments.size() > 2) id = Variant(arguments[2]);
  if (arguments.size() > 3) value = Variant(arguments[3]);
  context.Remove(arguments[1], id, value);
  FailOnReport(*session.host, reports_before, "cannot remove");
  const std::size_t removed = before - ListRecords(context, *session.host).size();
  if (removed == 0) throw CommandFailure(kExitNotFound, "nothing matched in " + opened.path());
  opened.Save();
  session.out << "removed " << removed << (removed == 1 ? " value\n" : " values\n");
  return kExitOk;
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
  opened.Save();
  for (const std::string& line : lines) {
    if (std::string_view(line).starts_with(kVerifyLinePrefix)) session.out << line << '\n';
  }
  return kExitOk;
}

int Log(const Session& session) {
  OpenedContext opened = session.Open(FileMissing::kRefuse, Access::kRead);
  const auto& arguments = session.invocation.arguments;
  const std::string label =
      arguments.size() > 1 ? arguments[1] : fs::path(opened.path()).filename().string();
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

std::set<std::string> FileNamesIn(const fs::path& folder) {
  std::set<std::string> names;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

int Cycle(const Session& session) {
  const std::string path = AbsolutePath(session.Argument(0));
  std::error_code error;
  if (!fs::is_regular_file(path, error)) {
    throw CommandFailure(kExitNotFound, path + ": no such file");
  }
  const fs::path folder = fs::path(path).parent_path();
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
  if (fs::exists(path, error) || created.size() != 1) {
    throw CommandFailure(kExitFailed, "cannot cycle " + path +
                                          ": its next generation name is taken or it was not "
                                          "found when renamed");
  }
  session.out << "renamed " << path << " to " << (folder / created.front()).string() << '\n';
  const std::string own_name = fs::path(path).filename().string();
  for (const std::string& name : before) {
    if (name != own_name && !after.contains(name)) {
      session.out << "deleted " << (folder / name).string() << '\n';
    }
  }
  return kExitOk;
}

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

int Where(const Session& session) {
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
  if (preferences.empty()) preferences = (fs::path(folder) / "UserPreferences.tmc").string();
  session.out << "application folder: " << folder << '\n'
              << "user preferences:   " << preferences << '\n'
              << "backup copies:      " << GetWindowsFolder() << '\n';
  return kExitOk;
}

using CommandFunction = int (*)(const Session&);

CommandFunction FunctionOf(std::string_view name) {
  static const std::vector<std::pair<std::string_view, CommandFunction>> kFunctions = {
      {"list", List}, {"get", Get},       {"set", Set},     {"remove", Remove}, {"verify", Verify},
      {"log", Log},   {"repair", Repair}, {"cycle", Cycle}, {"where", Where}};
  for (const auto& [command, function] : kFunctions) {
    if (command == name) return function;
  }
  return nullptr;
}

}  // namespace

int RunCommand(const Invocation& invocation, const std::shared_ptr<ConsoleHost>& host,
               std::ostream& out, std::ostream& err) {
  const Session session{invocation, host, out, err};
  const CommandFunction function = FunctionOf(invocation.command->name);
  try {
    return function(session);
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
