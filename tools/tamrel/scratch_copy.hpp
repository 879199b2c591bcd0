// ScratchCopy: copies of a context file and of its backup copy in a private
// scratch folder, for loading a file without changing anything on disk.
//
// Load sets a damaged file aside and puts the backup copy in its place; run
// on the scratch copies (with Hooks() in force, which name the scratch
// backup folder as the Windows folder), it does so there, and the user's
// files keep every byte and every name.
#pragma once

#include <string>

#include "tamrel/platform.hpp"

namespace tamrel::tool {

class ScratchCopy {
 public:
  // Copies `file` and, when it exists, `backup`. Raises
  // std::filesystem::filesystem_error when the copies cannot be made.
  ScratchCopy(const std::string& file, const std::string& backup);
  // Removes the scratch folder and everything in it.
  ~ScratchCopy();
  ScratchCopy(const ScratchCopy&) = delete;
  ScratchCopy& operator=(const ScratchCopy&) = delete;

  // The copy of the file, under the file's own name.
  const std::string& file() const { return file_; }
  // Hooks whose Windows folder holds the copy of the backup copy.
  platform::Hooks Hooks() const;

 private:
  std::string folder_;
  std::string backup_folder_;
  std::string file_;
};

}  // namespace tamrel::tool
