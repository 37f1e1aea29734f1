#pragma once

#include <initializer_list>
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
  FileLocked,
  StateFolderNotOwn,
};

// The fixed text of a failure, with %s where each name goes.
std::string_view FailureTemplate(FailureKind kind);

// What is known of why a failure happened, beyond its fixed text: for the
// command line, which says more than the window.
struct FailureCause {
  // The system's reason (an errno value's description, in English), e.g.
  // "No such file or directory".
  std::string reason;
  // For "Bitmap image is not valid": the name of a known kind of picture
  // that the program does not read (e.g. "TIFF").
  std::string unreadFormat;
  // For "Stream read error" in a banner: the character no glyph was found
  // for (0: none), and the font, as messages name it.
  char32_t missingGlyph = 0;
  std::string font;
  // For "Bitmap image is not valid" when the input is no fault of a
  // picture's but something else: what it is, as the end of a sentence
  // about the input ("is not a picture Morvexa reads (...)").
  std::string inputIs;
  // The input refused rather than failed (the command line's exit status
  // 2), and why, whole, in place of the fixed text: a font that lacks the
  // symbols art is matched to.
  std::string refusal;
};

// The one exception type of the engine. what() is the failure's full
// message (UTF-8), e.g. "Cannot open file /home/u/a.bmp".
class Failure : public std::runtime_error {
 public:
  explicit Failure(FailureKind kind, std::string_view name = {}, FailureCause cause = {});
  // A failure whose text names several things, in order.
  Failure(FailureKind kind, std::initializer_list<std::string_view> names, FailureCause cause = {});
  FailureKind Kind() const noexcept { return kind_; }
  const FailureCause& Cause() const noexcept { return cause_; }

 private:
  FailureKind kind_;
  FailureCause cause_;
};

// The system's reason for errno value error, in English.
std::string SystemReason(int error);

// A failure message as the failure report shows it: a full stop is added
// when the last character's code is above that of ".".
std::string FailureReportText(std::string_view message);

}  // namespace morvexa
