#pragma once
// The password window over its form model. It cannot be closed by the
// window's close button, Alt+F4 or Escape: only "确定" with the right
// password and "退出" end it.
#include <QDialog>
#include <memory>

#include "app/PasswordForm.h"
#include "ui/FormRefresh.h"
#include "ui/Skins.h"

class QLineEdit;

namespace velmora {

class TPasswordWindow : public QDialog {
 public:
  explicit TPasswordWindow(TForm5 &form, QWidget *parent = nullptr);

 protected:
  void showEvent(QShowEvent *event) override;
  void closeEvent(QCloseEvent *event) override;
  void reject() override;

 private:
  void Mirror();

  TForm5 &form_;
  QLineEdit *edit_ = nullptr;
  TSkinView skinView_;
  std::unique_ptr<TFormRefresh> refresh_;
};

}  // namespace velmora
