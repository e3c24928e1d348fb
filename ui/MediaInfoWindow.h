#pragma once
// The media information window's widgets over its form model: three framed
// groups of captions and values, named after their labels, and "确定".
// Shown modally by the main window's information request.
#include <QDialog>
#include <vector>

#include "app/MediaInfoForm.h"
#include "ui/Skins.h"

class QLabel;

namespace velmora {

class TMediaInfoWindowView : public QDialog {
  Q_OBJECT
 public:
  explicit TMediaInfoWindowView(TForm9 &form, QWidget *parent = nullptr);

  // Runs the window's showing (skin, values) and mirrors the model.
  void Prepare(const TMediaInfoValues &values);
  // Prepare, then the window until "确定" closes it.
  void ShowModal(const TMediaInfoValues &values);

 private:
  void Refresh();

  TForm9 &form_;
  TSkinView skinView_;
  std::vector<std::pair<const TLabelState *, QLabel *>> values_;
};

}  // namespace velmora
