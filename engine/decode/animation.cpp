#include "morvexa/animation.h"

#include <string>

#include "decode/frames.h"
#include "decode/open_picture.h"
#include "morvexa/picture_file.h"

namespace morvexa {

std::unique_ptr<Animation> Animation::Open(const std::filesystem::path& path, const ReadSettings& settings) {
  return PictureFile::Open(path, settings).Frames();
}

std::unique_ptr<Animation> Animation::ReadStream(int fd, const ReadSettings& settings) {
  return PictureFile::ReadStream(fd, settings).Frames();
}

std::unique_ptr<Animation> Animation::Of(const FileBytes& file, const ReadSettings& settings) {
  if (!HoldsFrames(file)) return nullptr;
  std::unique_ptr<Frames> frames = ReadFrames(file, settings);
  if (!frames || !frames->Next() || !frames->HasMore()) return nullptr;
  frames->Restart();
  return std::unique_ptr<Animation>(new Animation(std::move(frames), settings.background));
}

Animation::Animation(std::unique_ptr<Frames> frames, Rgb background)
    : frames_(std::move(frames)), background_(background) {}
Animation::~Animation() = default;

std::size_t Animation::Width() const { return frames_->Width(); }
std::size_t Animation::Height() const { return frames_->Height(); }
int Animation::Plays() const { return frames_->Plays(); }
bool Animation::Next() { return frames_->Next(); }
int Animation::Delay() const { return frames_->Delay(); }
Picture Animation::Frame() const { return Picture(CanvasPicture(*frames_, background_)); }
void Animation::Restart() { frames_->Restart(); }

NoSuchFrame::NoSuchFrame(std::size_t frames)
    : std::out_of_range("The picture has only " + std::to_string(frames) + (frames == 1 ? " frame." : " frames.")),
      frames_(frames) {}

}  // namespace morvexa
