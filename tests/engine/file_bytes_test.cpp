// Picture files that are not what they claim, or change while they are read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "../support/bmp_builder.h"
#include "../support/decoded_pixels.h"
#include "../support/failure_matchers.h"
#include "../support/files.h"
#include "decode/open_picture.h"
#include "files/file_bytes.h"

namespace morvexa {
namespace {

namespace fs = std::filesystem;

class PictureFiles : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("morvexa-files-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(PictureFiles, OnlyRegularFilesAreOpenedAndNothingBlocks) {
  ASSERT_EQ(mkfifo((dir_ / "p.bmp").c_str(), 0644), 0);
  fs::create_symlink("p.bmp", dir_ / "link.bmp");
  for (const fs::path& path : {dir_ / "p.bmp", dir_ / "link.bmp", fs::path("/dev/zero"), dir_, dir_ / "missing.bmp"}) {
    SCOPED_TRACE(path);
    EXPECT_FAILURE(FileBytes::Open(path), "Cannot open file " + path.string());
  }
}

TEST_F(PictureFiles, FilesAreTakenByWhatTheyHoldNotTheSizeTheyReport) {
  // /proc files report no size but have content: not an empty picture.
  EXPECT_FAILURE(OpenPicture("/proc/self/status"), "Bitmap image is not valid");
  const FileBytes status = FileBytes::Open("/proc/self/status");
  EXPECT_GT(status.Size(), 0u);
  testing_support::WriteFile(dir_ / "empty.bmp", "");
  EXPECT_EQ(OpenPicture(dir_ / "empty.bmp")->Height(), 0u) << "a file that is truly empty is an empty picture";
}

TEST_F(PictureFiles, EndlessFilesAndStreamsAreReadNoFurtherThanAPictureMayBe) {
  // /proc/self/pagemap holds eight bytes for each page the process could
  // map: far more than any picture. With a small limit for the test, it is
  // refused once that much is read.
  EXPECT_FAILURE(FileBytes::Open("/proc/self/pagemap", 1 << 20), "Bitmap image is not valid");
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t writer = fork();
  if (writer == 0) {
    close(fds[0]);
    const std::string block(65536, 'x');
    while (write(fds[1], block.data(), block.size()) > 0) {
    }
    _exit(0);
  }
  close(fds[1]);
  EXPECT_FAILURE(FileBytes::ReadStream(fds[0], 1 << 20), "Bitmap image is not valid");
  close(fds[0]);
  kill(writer, SIGKILL);
  waitpid(writer, nullptr, 0);
  // Up to the limit, a stream is read whole.
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(write(fds[1], "BM", 2), 2);
  close(fds[1]);
  EXPECT_EQ(FileBytes::ReadStream(fds[0], 2).Size(), 2u);
  close(fds[0]);
  // Its memory grows many times over as it is read, every byte kept.
  std::string many(5'000'003, '\0');
  for (std::size_t i = 0; i < many.size(); ++i) many[i] = static_cast<char>(i * 7919 % 251);
  const fs::path file = dir_ / "many";
  testing_support::WriteFile(file, many);
  const int in = open(file.c_str(), O_RDONLY);
  ASSERT_GE(in, 0);
  const FileBytes read = FileBytes::ReadStream(in, many.size());
  close(in);
  std::string back(read.Size(), '\0');
  read.Read(0, {reinterpret_cast<unsigned char*>(back.data()), back.size()});
  EXPECT_TRUE(back == many);
  EXPECT_EQ(FileBytes::kMostBytes, (std::uint64_t{1} << 30) + (1 << 20)) << "2^28 pixels of four bytes, and headers";
}

TEST_F(PictureFiles, APictureThatShrinksWhileReadFailsWithoutCrashing) {
  std::vector<unsigned> indices(512 * 512);
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<unsigned>(i % 3);
  const testing_support::BmpBuilder picture(512, 512, indices, {0xFF0000, 0x00FF00, 0x0000FF});
  for (const testing_support::BmpForm& form : {testing_support::BmpForm{40, 24}, {40, 8, 1}, {40, 1}}) {
    SCOPED_TRACE(form.Name());
    const fs::path file = dir_ / (form.Name() + ".bmp");
    testing_support::WriteFile(file, picture.Build(form));
    for (const auto cut : {std::uintmax_t{1000}, fs::file_size(file) / 2, std::uintmax_t{0}}) {
      SCOPED_TRACE(cut);
      auto reader = OpenPicture(file);
      RowBand band;
      ASSERT_GT(reader->ReadRows(8, band), 0u);
      fs::resize_file(file, cut);  // another program writes the file anew
      EXPECT_FAILURE(testing_support::ReadAllPixels(*reader), "Stream read error");
      testing_support::WriteFile(file, picture.Build(form));
    }
  }
}

}  // namespace
}  // namespace morvexa
