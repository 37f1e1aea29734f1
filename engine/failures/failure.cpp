#include "morvexa/failure.h"

#include <cstring>

namespace morvexa {

std::string_view FailureTemplate(FailureKind kind) {
  switch (kind) {
    case FailureKind::StreamReadError: return "Stream read error";
    case FailureKind::BitmapNotValid: return "Bitmap image is not valid";
    case FailureKind::CannotOpenFile: return "Cannot open file %s";
    case FailureKind::CannotCreateFile: return "Cannot create file %s";
    case FailureKind::StreamWriteError: return "Stream write error";
    case FailureKind::ResourceNotFound: return "Resource %s not found";
    case FailureKind::CannotOpenFont: return "Cannot open font %s";
    case FailureKind::FileLocked: return "Cannot create file %s: another program holds a lock on it";
    case FailureKind::StateFolderNotOwn: return "Cannot create file %s: the state folder %s is not the user's own";
  }
  return "Unknown failure";
}

namespace {

std::string Format(std::string_view text, std::initializer_list<std::string_view> names) {
  std::string out(text);
  std::size_t at = 0;
  for (const std::string_view name : names) {
    at = out.find("%s", at);
    if (at == std::string::npos) break;
    out.replace(at, 2, name);
    at += name.size();
  }
  return out;
}

}  // namespace

Failure::Failure(FailureKind kind, std::string_view name, FailureCause cause)
    : Failure(kind, {name}, std::move(cause)) {}

Failure::Failure(FailureKind kind, std::initializer_list<std::string_view> names, FailureCause cause)
    : std::runtime_error(Format(FailureTemplate(kind), names)), kind_(kind), cause_(std::move(cause)) {}

std::string SystemReason(int error) {
  const char* description = strerrordesc_np(error);
  return description ? description : "error " + std::to_string(error);
}

std::string FailureReportText(std::string_view message) {
  std::string out(message);
  if (!out.empty() && static_cast<unsigned char>(out.back()) > '.') out += '.';
  return out;
}

}  // namespace morvexa
