#include <QLabel>
#include <QPushButton>

#include "../support/bmp_builder.h"
#include "picture_preview.h"
#include "window_fixture.h"

namespace morvexa {
namespace {

using Preview = WindowTest;

TEST_F(Preview, ShowsReadablePicturesAndNoneOtherwise) {
  auto* preview = window.OpenDialog().findChild<PicturePreview*>("picturePreview");
  ASSERT_NE(preview, nullptr) << "the open dialog carries the preview";
  auto* caption = preview->findChild<QLabel*>("previewCaption");
  auto* image = preview->findChild<QLabel*>("previewImage");
  auto* button = preview->findChild<QPushButton*>("previewButton");

  const auto bytes = testing_support::BmpBuilder(5, 3, std::vector<unsigned>(15, 1), {0, 0x336699}).Build({40, 8, 1});
  WriteFile(dir / "p.bmp", bytes);
  preview->ShowFile(Path("p.bmp"));
  EXPECT_EQ(caption->text(), "5 x 3");
  EXPECT_TRUE(button->isEnabled());
  ASSERT_TRUE(preview->Picture().has_value());
  EXPECT_EQ(preview->Picture()->pixel(4, 2), 0xFF336699u);
  EXPECT_FALSE(image->pixmap().isNull());

  QTest::mouseClick(button, Qt::LeftButton);
  auto* full = preview->findChild<QDialog*>("fullSizePreview");
  ASSERT_NE(full, nullptr);
  EXPECT_TRUE(full->isVisible());
  full->close();

  WriteFile(dir / "text.bmp", "not a picture at all, but long enough");
  WriteFile(dir / "empty.bmp", "");
  for (const char* name : {"text.bmp", "empty.bmp", "missing.bmp", ""}) {
    SCOPED_TRACE(name);
    preview->ShowFile(*name ? Path(name) : QString());
    EXPECT_EQ(image->text(), "(None)");
    EXPECT_EQ(caption->text(), "");
    EXPECT_FALSE(button->isEnabled());
  }
  preview->ShowFile(QString::fromStdString(dir.string()));
  EXPECT_FALSE(button->isEnabled()) << "a folder";
}

}  // namespace
}  // namespace morvexa
