#pragma once
// The main window's widgets over its form model. Every widget is named
// after its control; the view mirrors the model into the widgets and
// forwards the user's input to the model's handlers. Widgets are changed on
// the GUI thread only: a change the model announces on any thread reaches
// them through a queued refresh.
#include <QMainWindow>
#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "ui/Skins.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolBar;
class QToolButton;

namespace velmora {

class TJobListWidget;

class TMainWindowView : public QMainWindow {
  Q_OBJECT
 public:
  explicit TMainWindowView(TForm1 &form, QWidget *parent = nullptr);
  ~TMainWindowView() override;

  // Mirrors the model into the widgets now; GUI thread only. When another
  // thread holds the model, it tries again shortly instead of waiting.
  void Refresh();

 protected:
  // Tool button hints: the mouse entering or leaving a tool button.
  bool eventFilter(QObject *watched, QEvent *event) override;
  // The model's showing and closing.
  void showEvent(QShowEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

 private:
  void BuildToolBar();
  QWidget *BuildJobList();
  QWidget *BuildOutputSettings();
  QWidget *BuildOutputFolder();
  QWidget *BuildMergeBar();
  QWidget *BuildHiddenControls();

  QToolButton *AddToolButton(QToolBar *bar, TButtonState &state, std::function<void()> click);
  // The button's picture in the colours of its text.
  void PaintToolIcon(QToolButton *button);
  QMenu *AddMenu(QToolButton *button, std::vector<TButtonState *> entries);
  // Runs `handler` when the menu entry `entry` is chosen.
  void OnMenuEntry(const TButtonState &entry, std::function<void()> handler);
  QPushButton *MakeButton(TButtonState &state, std::function<void()> click);
  QPushButton *MakeInertButton(TButtonState &state);
  QComboBox *MakeComboBox(TComboBoxState &state, std::function<void(int)> pick);
  QLabel *MakeLabel(TLabelState &state);
  // Keeps the widget (and the action that shows it in a bar or menu) for
  // mirroring the control's availability and visibility.
  void Register(TControl &control, QWidget *widget, QAction *action = nullptr, bool inert = false);
  // Runs `call` unless the change comes from mirroring the model.
  std::function<void()> Forward(std::function<void()> call);

  void ScheduleRefresh();
  void MirrorAvailability();
  void MirrorJobList();
  void MirrorComboBoxes();
  void MirrorTexts();

  struct TMirror {
    QWidget *Widget;
    QAction *Action;
    bool Inert;  // always drawn unavailable
  };

  TForm1 &form_;
  TSkinView skinView_;
  std::atomic<bool> refreshQueued_{false};
  bool mirroring_ = false;
  std::map<std::string, TMirror> mirrors_;
  std::vector<std::pair<QComboBox *, TComboBoxState *>> comboBoxes_;
  TJobListWidget *list_ = nullptr;
  QLineEdit *folderEdit_ = nullptr;
  QLabel *mergeLabel_ = nullptr;
  QProgressBar *mergeBar_ = nullptr;
  QPlainTextEdit *log_ = nullptr;
  QCheckBox *threadMode_ = nullptr;
  QCheckBox *keepAspect_ = nullptr;
  std::vector<QRadioButton *> logLevels_;
  int servedFocusRequests_ = 0;
  std::size_t mirroredLogLines_ = 0;
  int mirroredLogClears_ = 0;
};

}  // namespace velmora
