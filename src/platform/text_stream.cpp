#include <utility>

#include "platform/text_stream_impl.hpp"
#include "tamrel/error.hpp"

namespace tamrel {
TextStream::TextStream(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
TextStream::TextStream(TextStream&&) noexcept = default;
TextStream& TextStream::operator=(TextStream&&) noexcept = default;
TextStream::~TextStream() = default;

void TextStream::RequireOpenFor(bool reading) const {
  if (!impl_ || impl_->closed || impl_->reading != reading) Raise(errc::kBadFileMode);
}

bool TextStream::AtEndOfStream() const {
  RequireOpenFor(true);
  return impl_->position >= impl_->text.size();
}

std::string TextStream::ReadLine() {
  RequireOpenFor(true);
  const std::string& text = impl_->text;
  if (impl_->position >= text.size()) Raise(errc::kInputPastEndOfFile);
  const auto start = impl_->position;
  auto end = text.find('\n', start);
  if (end == std::string::npos) end = text.size();
  impl_->position = end < text.size() ? end + 1 : end;
  // Only a CR that pairs with the LF belongs to the line break.
  if (end < text.size() && end > start && text[end - 1] == '\r') --end;
  return text.substr(start, end - start);
}

std::string TextStream::ReadAll() {
  RequireOpenFor(true);
  // The stream is at its end afterwards: the text it held is handed over
  // rather than copied when none of it was read yet.
  std::string rest =
      impl_->position == 0 ? std::move(impl_->text) : impl_->text.substr(impl_->position);
  impl_->text.clear();
  impl_->position = 0;
  return rest;
}

void TextStream::Write(std::string_view text) {
  RequireOpenFor(false);
  impl_->writer->Append(text);
}

void TextStream::WriteLine(std::string_view text) {
  Write(text);
  Write("\r\n");
}

void TextStream::Close() {
  if (!impl_ || impl_->closed) return;
  impl_->closed = true;
  if (!impl_->reading) impl_->writer->Commit();
  impl_->writer.reset();
}

}  // namespace tamrel

namespace tamrel::detail {

TextStream OpenTextForReading(const std::shared_ptr<platform::FileBackend>& backend,
                              const std::string& path) {
  auto impl = std::make_unique<TextStream::Impl>();
  impl->text = backend->ReadFile(path);
  return TextStream(std::move(impl));
}

TextStream OpenTextForWriting(const std::shared_ptr<platform::FileBackend>& backend,
                              const std::string& path, bool append,
                              std::optional<platform::NewFileModel> model) {
  auto impl = std::make_unique<TextStream::Impl>();
  impl->reading = false;
  impl->writer = std::make_unique<AtomicFileWriter>(backend, path, std::move(model));
  if (append) impl->writer->Append(backend->ReadFile(path));
  return TextStream(std::move(impl));
}

void RequireAnsi(Tristate format) {
  if (format == Tristate::TristateTrue) Raise(errc::kInvalidArgument);
}

}  // namespace tamrel::detail
