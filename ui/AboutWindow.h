#pragma once
// The About window's widgets over its form model, named after its
// controls. Shown modally from the help menu.
#include <QDialog>

#include "app/AboutForm.h"
#include "ui/Skins.h"

class QLabel;
class QTreeWidget;

namespace velmora {

class TAboutWindowView : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutWindowView(TForm4 &form, QWidget *parent = nullptr);

  // Runs the window's showing (skin, libraries) and mirrors the model.
  void Prepare();
  // Prepare, then the window until "确定" closes it.
  void ShowModal();

 private:
  void Refresh();

  TForm4 &form_;
  TSkinView skinView_;
  QLabel *program_;
  QLabel *version_;
  QLabel *description_;
  QLabel *ffmpeg_;
  QTreeWidget *libraries_;
};

}  // namespace velmora
