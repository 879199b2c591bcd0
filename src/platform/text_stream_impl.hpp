// The state behind a TextStream: the text being read, or the writer putting
// a new content in place.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/atomic_file_writer.hpp"
#include "tamrel/filesystem.hpp"

namespace tamrel {

struct TextStream::Impl {
  bool reading = true;
  bool closed = false;
  std::string text;  // reading: the whole file
  std::string::size_type position = 0;
  std::unique_ptr<detail::AtomicFileWriter> writer;
};

}  // namespace tamrel

namespace tamrel::detail {

// A stream reading the whole of `path` (53 when it is missing).
TextStream OpenTextForReading(const std::shared_ptr<platform::FileBackend>& backend,
                              const std::string& path);
// A stream writing a new content for `path`, starting with the present
// content when `append`; `model` as for AtomicFileWriter.
TextStream OpenTextForWriting(const std::shared_ptr<platform::FileBackend>& backend,
                              const std::string& path, bool append,
                              std::optional<platform::NewFileModel> model = std::nullopt);

// Raises 5 for a text format other than ANSI.
void RequireAnsi(Tristate format);

}  // namespace tamrel::detail
