#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace morvexa {

// The unexpected failures. Each has one fixed English text; some name a
// file or a resource in place of %s.
enum class FailureKind {
  StreamReadError,
  BitmapNotValid,
  CannotOpenFile,
  CannotCreateFile,
  StreamWriteError,
  ResourceNotFound,
  CannotOpenFont,
};

// The fixed text of a failure, with %s where a name goes.
std::string_view FailureTemplate(FailureKind kind);

// The one exception type of the engine. what() is the failure's full
// message (UTF-8), e.g. "Cannot open file /home/u/a.bmp".
class Failure : public std::runtime_error {
 public:
  explicit Failure(FailureKind kind, std::string_view name = {});
  FailureKind Kind() const noexcept { return kind_; }

 private:
  FailureKind kind_;
};

// A failure message as the failure report shows it: a full stop is added
// when the last character's code is above that of ".".
std::string FailureReportText(std::string_view message);

}  // namespace morvexa
