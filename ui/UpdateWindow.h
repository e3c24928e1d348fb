#pragma once
// The online update window over its form model.
#include <QDialog>
#include <memory>

#include "app/UpdateForm.h"
#include "ui/FormRefresh.h"
#include "ui/Skins.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace velmora {

class TUpdateWindow : public QDialog {
 public:
  explicit TUpdateWindow(TForm6 &form, QWidget *parent = nullptr);

 protected:
  void showEvent(QShowEvent *event) override;
  void closeEvent(QCloseEvent *event) override;
  void reject() override;

 private:
  void Mirror();

  TForm6 &form_;
  QLabel *status_ = nullptr;
  QProgressBar *bar_ = nullptr;
  QPlainTextEdit *messages_ = nullptr;
  QPushButton *check_ = nullptr;
  QPushButton *download_ = nullptr;
  QPushButton *back_ = nullptr;
  TSkinView skinView_;
  std::unique_ptr<TFormRefresh> refresh_;
};

}  // namespace velmora
