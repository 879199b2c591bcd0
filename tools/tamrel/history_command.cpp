// tamrel history: one value across every copy of a context file that is
// kept: the file, its backup copy, the generations of both and the damaged
// copies set aside beside both, newest first.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "commands.hpp"
#include "json_text.hpp"
#include "tamrel/backup_copy.hpp"
#include "tamrel/error.hpp"
#include "tamrel/file_records.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/locations.hpp"
#include "tamrel/variant.hpp"
#include "utf8_path.hpp"

namespace tamrel::tool {
namespace {

namespace fs = std::filesystem;

struct Copy {
  std::string path;
  std::string kind;  // "file", "backup copy", "generation", ...
  double date = 0;   // last written, an OLE date in local time
  FileRecords read;
  std::vector<Record> values;  // the instances of TAG and ID it holds
};

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Whether `name` is `stem` + "(" + a number + ")" + `tail`: a generation
// ("Setup(3).tmc") or a copy set aside ("Setup.tmc_corrupt(2)").
bool IsNumbered(const std::string& name, const std::string& stem, const std::string& tail) {
  if (name.size() < stem.size() + tail.size() + 3) return false;
  if (name.compare(0, stem.size(), stem) != 0) return false;
  if (name.compare(name.size() - tail.size(), tail.size(), tail) != 0) return false;
  const std::string_view middle(name.data() + stem.size(), name.size() - stem.size() - tail.size());
  return middle.front() == '(' && middle.back() == ')' &&
         AllDigits(middle.substr(1, middle.size() - 2));
}

// The copies kept beside `file`, itself first when it exists: its
// generations and the damaged copies set aside, `what` naming whose.
void AddCopiesOf(const std::string& file, const std::string& what, std::vector<Copy>& copies) {
  const fs::path path = PathOf(file);
  const std::string name = TextOf(path.filename());
  const std::string stem = TextOf(path.stem());
  const std::string extension = TextOf(path.extension());
  std::error_code error;
  if (fs::is_regular_file(path, error)) copies.push_back({file, what, 0, {}, {}});
  std::vector<Copy> found;
  for (const fs::directory_entry& entry : fs::directory_iterator(path.parent_path(), error)) {
    if (!entry.is_regular_file(error)) continue;
    const std::string entry_name = TextOf(entry.path().filename());
    std::string kind;
    if (IsNumbered(entry_name, stem, extension)) kind = "generation of the " + what;
    if (IsNumbered(entry_name, name + "_corrupt", "")) kind = "set aside as damaged, " + what;
    if (!kind.empty()) found.push_back({TextOf(entry.path()), kind, 0, {}, {}});
  }
  std::sort(found.begin(), found.end(),
            [](const Copy& a, const Copy& b) { return a.path < b.path; });
  copies.insert(copies.end(), found.begin(), found.end());
}

void Read(Copy& copy, const std::string& tag, const std::string& id) {
  copy.read = ReadFileRecords(copy.path);
  for (const Record& record : copy.read.records) {
    if (record.tag == tag && record.id == id) copy.values.push_back(record);
  }
  try {
    copy.date = FileSystemObject().GetFile(copy.path).DateLastModified();
  } catch (const Error&) {
    copy.date = 0;  // gone meanwhile: sorted last
  }
}

std::string DateText(double date) { return CStr(Variant::FromDate(date)); }

// Why a copy gives no records, or "".
std::string Trouble(const Copy& copy) {
  switch (copy.read.state) {
    case FileRecords::State::kDamaged:
      return "damaged: " + copy.read.reason;
    case FileRecords::State::kUnreadable:
      return "cannot be read: " + copy.read.reason;
    case FileRecords::State::kMissing:
      return "gone while it was read";
    case FileRecords::State::kLoaded:
      return "";
  }
  return "";
}

void PrintText(const Session& session, const std::vector<Copy>& copies) {
  for (const Copy& copy : copies) {
    session.out << DateText(copy.date) << "  " << copy.path << "  (" << copy.kind << ")\n";
    const std::string trouble = Trouble(copy);
    if (!trouble.empty()) session.out << "    " << trouble << '\n';
    if (trouble.empty() && copy.values.empty()) session.out << "    no value\n";
    for (const Record& record : copy.values) {
      session.out << "    " << record.instance << "  " << record.value << '\n';
    }
  }
}

void PrintJson(const Session& session, const std::vector<Copy>& copies) {
  for (const Copy& copy : copies) {
    session.out << "{\"path\": " << JsonString(copy.path) << ", \"copy\": " << JsonString(copy.kind)
                << ", \"date\": " << JsonString(DateText(copy.date)) << ", \"instances\": [";
    for (std::size_t i = 0; i < copy.values.size(); ++i) {
      session.out << (i == 0 ? "" : ", ") << "{\"instance\": " << copy.values[i].instance
                  << ", \"value\": " << JsonString(copy.values[i].value) << "}";
    }
    session.out << "]";
    const std::string trouble = Trouble(copy);
    if (!trouble.empty()) session.out << ", \"error\": " << JsonString(trouble);
    session.out << "}\n";
  }
}

}  // namespace

int History(const Session& session) {
  const std::string& file = session.Argument(0);
  const std::string& tag = session.Argument(1);
  const std::string& id = session.Argument(2);
  std::vector<Copy> copies;
  // Generations and set-aside copies are made beside the file a link leads to.
  std::error_code error;
  const fs::path resolved = fs::weakly_canonical(PathOf(file), error);
  AddCopiesOf(error ? file : TextOf(resolved), "file", copies);
  AddCopiesOf(BackupCopyPath(file), "backup copy", copies);
  for (Copy& copy : copies) Read(copy, tag, id);
  std::stable_sort(copies.begin(), copies.end(),
                   [](const Copy& a, const Copy& b) { return a.date > b.date; });
  if (session.invocation.Has("--json")) {
    PrintJson(session, copies);
  } else {
    PrintText(session, copies);
  }
  const bool held = std::any_of(copies.begin(), copies.end(),
                                [](const Copy& copy) { return !copy.values.empty(); });
  if (!held) session.err << "tamrel: no copy of " << file << " holds " << tag << " " << id << '\n';
  return held ? kExitOk : kExitNotFound;
}

}  // namespace tamrel::tool
