#pragma once
// The advanced options dialog's window over its form model: the six boxes
// with their labels, the three picture effects, "确定" and "取消". A
// fixed-size dialog, modal while shown; it shows or hides itself as the
// model says.
#include <QDialog>
#include <utility>
#include <vector>

#include "dialogs/AdvancedOptions.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace velmora {

class TAdvancedOptionsView : public QDialog {
  Q_OBJECT
 public:
  explicit TAdvancedOptionsView(TForm8 &form, QWidget *parent = nullptr);
  ~TAdvancedOptionsView() override;

  void Refresh();

 public slots:
  // Esc and the title bar's close button: "取消".
  void reject() override;

 private:
  QComboBox *MakeComboBox(TComboBoxState &state);
  QCheckBox *MakeCheckBox(TCheckBoxState &state);
  // `click` null: the caller connects the button.
  QPushButton *MakeButton(TButtonState &state, void (TForm8::*click)());

  TForm8 &form_;
  bool mirroring_ = false;
  std::vector<std::pair<QComboBox *, TComboBoxState *>> boxes_;
  std::vector<std::pair<QCheckBox *, TCheckBoxState *>> checks_;
  std::vector<std::pair<QWidget *, TControl *>> controls_;
};

}  // namespace velmora
