#pragma once
// The output format chooser's window over its form model: the prompt, the
// 38 types as large icons with captions, "下一步" and "取消". It is modal
// while shown and shows or hides itself as the model says.
#include <QDialog>

#include "dialogs/OutputFormatChooser.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace velmora {

class TOutputFormatChooserView : public QDialog {
  Q_OBJECT
 public:
  explicit TOutputFormatChooserView(TForm7 &form, QWidget *parent = nullptr);
  ~TOutputFormatChooserView() override;

  // Mirrors the model into the widgets and the window's visibility.
  void Refresh();

 public slots:
  // Esc and the title bar's close button: "取消".
  void reject() override;

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void MirrorList();

  TForm7 &form_;
  bool mirroring_ = false;
  QLabel *prompt_ = nullptr;
  QListWidget *list_ = nullptr;
  QPushButton *next_ = nullptr;
  QPushButton *cancel_ = nullptr;
};

// The picture of an image index of the chooser's icon list (60 by 60).
QIcon TypeIcon(int imageIndex);

}  // namespace velmora
