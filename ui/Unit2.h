#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>
#include <memory>

namespace Ui {
class TForm2;
}

namespace morvexa {

// The about box: the program's name, a short description, two contact
// links and the credit. Fixed in size, centred on the screen.
class TForm2 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm2(QWidget* parent = nullptr);
  ~TForm2() override;

  // How a contact link is opened; the outcome is not looked at.
  std::function<bool(const QUrl&)> openUrl;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Label3Click();
  void Label4Click();
  void OpenMail(const QString& address);

  std::unique_ptr<Ui::TForm2> ui;
};

}  // namespace morvexa
