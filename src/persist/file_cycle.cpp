#include "persist/file_cycle.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "automation/ascii_case.hpp"
#include "platform/file_paths.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"

namespace tamrel::detail {
namespace {

// The pieces of the file's path, split at its last separator and the last
// dot of its name.
struct CycleName {
  std::string folder;
  std::string base;
  std::string ext;  // from the last dot, the dot included; "" without a dot

  std::string FileName(int32_t number) const {
    return base + "(" + std::to_string(number) + ")" + ext;
  }
};

CycleName SplitCycleName(const std::string& path) {
  const auto separator = detail::LastSeparator(path);
  // Without a separator the folder cannot be formed.
  if (separator == std::string::npos) Raise(errc::kInvalidArgument);
  CycleName name;
  name.folder = path.substr(0, separator);
  const std::string file = path.substr(separator + 1);
  const auto dot = file.rfind('.');
  name.base = dot == std::string::npos ? file : file.substr(0, dot);
  name.ext = dot == std::string::npos ? "" : file.substr(dot);
  return name;
}

// The cycle number in `file_name`, when it is base(D)ext with numeric D,
// the frame compared without regard to letter case. A D beyond the 32-bit
// range raises 6.
std::optional<int32_t> CycleNumberOf(const std::string& file_name, const CycleName& name) {
  const std::size_t frame = name.base.size() + name.ext.size() + 2;
  if (file_name.size() < frame + 1) return std::nullopt;
  const std::string lower = detail::AsciiLower(file_name);
  std::string opening = detail::AsciiLower(name.base);
  opening += '(';
  std::string closing(1, ')');
  closing += detail::AsciiLower(name.ext);
  if (lower.compare(0, opening.size(), opening) != 0 ||
      lower.compare(lower.size() - closing.size(), std::string::npos, closing) != 0) {
    return std::nullopt;
  }
  const Variant digits(file_name.substr(name.base.size() + 1, file_name.size() - frame));
  if (!IsNumeric(digits)) return std::nullopt;
  return CLng(digits);
}

// The cycle numbers of the files in the folder, in the folder's order.
std::vector<int32_t> FindCycleNumbers(FileSystemObject& fso, const CycleName& name) {
  std::vector<int32_t> numbers;
  for (const File& file : fso.GetFolder(name.folder).Files()) {
    if (auto number = CycleNumberOf(fso.GetFileName(file.Name()), name)) {
      // The count of cycle files is a 16-bit number.
      if (numbers.size() == static_cast<std::size_t>(std::numeric_limits<int16_t>::max())) {
        Raise(errc::kOverflow);
      }
      numbers.push_back(*number);
    }
  }
  return numbers;
}

// Ascending by exchange; equal numbers keep their places.
void ExchangeSort(std::vector<int32_t>& numbers) {
  for (std::size_t i = 0; i + 1 < numbers.size(); ++i) {
    for (std::size_t j = i + 1; j < numbers.size(); ++j) {
      if (numbers[j] < numbers[i]) std::swap(numbers[i], numbers[j]);
    }
  }
}

// Deletes the lowest count - retain + 1 cycle files, by their rebuilt names.
void DeleteOldestCycles(FileSystemObject& fso, const CycleName& name,
                        const std::vector<int32_t>& sorted, int16_t retain) {
  const int32_t last = static_cast<int32_t>(sorted.size()) - retain;
  for (int32_t i = 0; i <= last; ++i) {
    // A retain count below 1 runs past the numbers found.
    if (static_cast<std::size_t>(i) >= sorted.size()) Raise(errc::kSubscriptOutOfRange);
    const std::string path =
        detail::JoinPath(name.folder, name.FileName(sorted[static_cast<std::size_t>(i)]));
    fso.GetFile(path).Delete(false);
  }
}

int32_t NextCycleNumber(const std::vector<int32_t>& sorted) {
  if (sorted.empty()) return 1;
  if (sorted.back() == std::numeric_limits<int32_t>::max()) Raise(errc::kOverflow);
  return sorted.back() + 1;
}

bool EndsSilently(const Error& error) {
  return error.number() == errc::kFileNotFound || error.number() == errc::kFileAlreadyExists;
}

}  // namespace

void RenameAsNextFileCycle(const std::string& path, int16_t retained) {
  try {
    FileSystemObject fso;
    const CycleName name = SplitCycleName(path);
    std::vector<int32_t> numbers = FindCycleNumbers(fso, name);
    ExchangeSort(numbers);
    DeleteOldestCycles(fso, name, numbers, retained);
    const std::string new_name = name.FileName(NextCycleNumber(numbers));
    fso.GetFile(path).Name(new_name);
  } catch (const Error& error) {
    if (!EndsSilently(error)) throw;
  }
}

}  // namespace tamrel::detail
