#pragma once

#include <QFileDialog>
#include <QList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "art_color_display.h"
#include "dialog_seam.h"
#include "list_char_list.h"
#include "memo_art_area.h"
#include "morvexa/picture_options.h"
#include "morvexa/refusals.h"
#include "morvexa/save_recovery.h"

namespace Ui {
class Tfrmmain;
}

namespace morvexa {

// The main window: the output area, the symbol boxes, the symbol list and
// the five command buttons. Every command reads its boxes, runs one engine
// operation on the art area over Memo1 and the symbol list in lstselc, and
// shows the outcome through the dialog seam.
class Tfrmmain : public QWidget {
  Q_OBJECT

 public:
  explicit Tfrmmain(DialogSeam& dialogs, QWidget* parent = nullptr);
  ~Tfrmmain() override;

  ArtArea& Art() { return *art_; }
  // 彩色显示: whether the output area shows the cells' colors.
  QAction& ColorToggle() { return *colorToggle_; }
  QFileDialog& OpenDialog() { return *opendlgpic; }
  QFileDialog& SaveDialog() { return *savedlgasc; }
  // Whether the output area holds art that was made or changed since it
  // was last saved.
  bool Unsaved() const;

  // Runs a command: whatever it throws goes to the failure report, after
  // the output area shows what the command had changed.
  void RunCommand(const std::function<void()>& command);
  // Converts the picture in path as 图片 does once it is chosen, as a
  // command: for a dropped file or one named when the program starts.
  // frame: of an animated picture, from 0.
  void ConvertPictureCommand(const QString& path, const std::optional<PictureOptions>& options = {},
                             std::size_t frame = 0);
  // Says what became of a save that was cut short.
  void TellOfInterruptedSave(const InterruptedSave& save);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void FormCreate();
  void Dock();
  void ReportFailure(const QString& message);
  // Shows why a command refused, in the window's message box.
  void ShowRefusal(const Refusal& refusal);

  void BtntoascClick();
  void Button1Click();
  void sbtorelClick();
  void sbtosaveClick();
  void SpeedButton1Click();

  void CreateDialogs();
  void CreateShortcuts();
  // Converts the picture in path into the output area, as 图片 does once a
  // file is chosen.
  void ConvertPictureFile(const QString& path, const std::optional<PictureOptions>& options = {},
                          std::size_t frame = 0);
  // Saves the art to a file chosen in the save dialog; whether it was.
  bool Save();
  // Keeps the symbol list in step with the output area's undo and redo of
  // whole commands.
  void FollowUndo();
  // Lets 新字符 take what can replace a symbol of the list: one byte, as
  // it always has, or, while the list holds a character (art drawn in
  // Chinese characters), one character of one or two bytes.
  void FollowList();
  // The output area in its cells' colors, or plain: as the toggle says,
  // and as the art's size allows (the toggle says so when it does not).
  void ShowColors();

  // The symbol list before and after a command, by the output area's undo
  // step that the command made.
  struct ListChange {
    int stepsBefore, stepsAfter;  // the output area's undo steps on either side
    std::vector<ByteString> before, after;
  };
  std::vector<ListChange> listChanges_;
  int undoSteps_ = 0;

  std::unique_ptr<Ui::Tfrmmain> ui;
  DialogSeam& dialogs_;
  QFileDialog* opendlgpic;
  QFileDialog* savedlgasc;
  MemoArtArea* art_;
  ListCharList list_;
  ArtColorDisplay* colorDisplay_;
  QAction* colorToggle_;
};

}  // namespace morvexa
