#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace morvexa::cli {

// Writes a file by way of a temporary file in the same folder, renamed over
// the target only once every byte is written, so that a write that fails
// part way leaves the file that was there untouched.
//
// A target that cannot be created, or that exists but may not be written,
// fails with "Cannot create file %s" (the full path): the rename does not
// get round a protection that writing the file directly would meet. A short
// write fails with "Stream write error".
class ReplacingFile {
 public:
  explicit ReplacingFile(const std::filesystem::path& target);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  void Write(std::string_view bytes);
  // Puts the written bytes in place of the target.
  void Commit();

 private:
  std::filesystem::path target_;
  std::string tempPath_;
  int fd_ = -1;
};

}  // namespace morvexa::cli
