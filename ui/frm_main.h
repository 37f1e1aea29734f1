#pragma once

#include <QFileDialog>
#include <QWidget>
#include <functional>
#include <memory>

#include "dialog_seam.h"
#include "list_char_list.h"
#include "memo_art_area.h"

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
  QFileDialog& OpenDialog() { return *opendlgpic; }
  QFileDialog& SaveDialog() { return *savedlgasc; }

  // Runs a command: whatever it throws goes to the failure report, after
  // the output area shows what the command had changed.
  void RunCommand(const std::function<void()>& command);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FormCreate();
  void Dock();
  void ReportFailure(const QString& message);

  void BtntoascClick();
  void Button1Click();
  void sbtorelClick();
  void sbtosaveClick();
  void SpeedButton1Click();

  void CreateDialogs();

  std::unique_ptr<Ui::Tfrmmain> ui;
  DialogSeam& dialogs_;
  QFileDialog* opendlgpic;
  QFileDialog* savedlgasc;
  MemoArtArea* art_;
  ListCharList list_;
};

}  // namespace morvexa
