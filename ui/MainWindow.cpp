#include "ui/MainWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

#include "ui/ComboBoxMirror.h"
#include "ui/JobListWidget.h"
#include "ui/ProgressBarDelegate.h"
#include "ui/ToolIcons.h"

namespace velmora {

namespace {

QString Q(const std::string &text) { return QString::fromStdString(text); }

constexpr int kToolIconSize = 24;

// How long a refresh waits before it tries again when another thread holds
// the model.
constexpr int kRefreshRetryMs = 20;

constexpr int kComboMinimumCharacters = 12;
// Room around a list cell's text.
constexpr int kCellPadding = 24;

// A widget whose children sit side by side, without margins of its own.
QWidget *NewRow(QHBoxLayout *&layout) {
  auto *row = new QWidget;
  layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  return row;
}

}  // namespace

TMainWindowView::TMainWindowView(TForm1 &form, QWidget *parent)
    : QMainWindow(parent), form_(form) {
  setObjectName("TForm1");
  BuildToolBar();
  auto *central = new QWidget(this);
  auto *layout = new QVBoxLayout(central);
  layout->setContentsMargins(8, 6, 8, 4);
  layout->setSpacing(6);
  layout->addWidget(BuildJobList(), 1);
  layout->addWidget(BuildOutputSettings());
  layout->addWidget(BuildOutputFolder());
  layout->addWidget(BuildMergeBar());
  layout->addWidget(BuildHiddenControls());
  setCentralWidget(central);
  auto *status = new QStatusBar(this);
  Register(form_.suiStatusBar2, status);
  setStatusBar(status);
  resize(820, 600);

  form_.SetChangeListener([this] { ScheduleRefresh(); });
  Refresh();
}

TMainWindowView::~TMainWindowView() { form_.SetChangeListener(nullptr); }

void TMainWindowView::Register(TControl &control, QWidget *widget, QAction *action, bool inert) {
  if (widget) widget->setObjectName(Q(control.Name));
  if (action) action->setObjectName(Q(control.Name));
  mirrors_[control.Name] = {widget, action, inert};
}

std::function<void()> TMainWindowView::Forward(std::function<void()> call) {
  return [this, call = std::move(call)] {
    if (!mirroring_) call();
  };
}

// ---- Building ----------------------------------------------------------------

QToolButton *TMainWindowView::AddToolButton(QToolBar *bar, TButtonState &state,
                                            std::function<void()> click) {
  auto *button = new QToolButton(bar);
  button->setText(Q(state.Caption));
  button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  if (click) connect(button, &QToolButton::clicked, this, Forward(std::move(click)));
  button->installEventFilter(this);
  Register(state, button, bar->addWidget(button));
  PaintToolIcon(button);
  return button;
}

QMenu *TMainWindowView::AddMenu(QToolButton *button, std::vector<TButtonState *> entries) {
  auto *menu = new QMenu(button);
  for (TButtonState *entry : entries) Register(*entry, nullptr, menu->addAction(Q(entry->Caption)));
  button->setMenu(menu);
  button->setPopupMode(QToolButton::InstantPopup);
  return menu;
}

void TMainWindowView::BuildToolBar() {
  auto *bar = new QToolBar(this);
  bar->setObjectName("ToolBar1");
  bar->setMovable(false);
  bar->setIconSize(QSize(kToolIconSize, kToolIconSize));
  addToolBar(Qt::TopToolBarArea, bar);
  TForm1 &f = form_;

  QToolButton *add = AddToolButton(bar, f.ToolButton1, nullptr);
  AddMenu(add, {&f.N1, &f.N2});
  OnMenuEntry(f.N1, [&f] { f.N1Click(); });
  OnMenuEntry(f.N2, [&f] { f.N2Click(); });
  AddToolButton(bar, f.ToolButton12, [&f] { f.btnRemoveClick(); });
  AddToolButton(bar, f.ToolButton2, [&f] { f.btnClearClick(); });
  Register(f.ToolButton8, nullptr, bar->addSeparator());
  AddToolButton(bar, f.ToolButton3, [&f] { f.btnStartClick(); });
  AddToolButton(bar, f.ToolButton5, [&f] { f.btnPauseClick(); });
  AddToolButton(bar, f.ToolButton4, [&f] { f.btnStopClick(); });
  Register(f.ToolButton9, nullptr, bar->addSeparator());
  AddToolButton(bar, f.ToolButton6, [&f] { f.ToolButton6Click(); });
  std::vector<TButtonState *> skins;
  for (TButtonState &entry : f.SkinMenu) skins.push_back(&entry);
  AddMenu(AddToolButton(bar, f.ToolButton7, nullptr), skins);
  for (const TButtonState *entry : skins)
    OnMenuEntry(*entry, [&f, name = entry->Name] { f.SkinMenuClick(name); });
  Register(f.ToolButton10, nullptr, bar->addSeparator());
  AddMenu(AddToolButton(bar, f.ToolButton11, nullptr), {&f.N3, &f.N12, &f.N9, &f.N5, &f.N4});
  OnMenuEntry(f.N3, [&f] { f.N3Click(); });
  OnMenuEntry(f.N12, [&f] { f.N12Click(); });
  OnMenuEntry(f.N9, [&f] { f.N9Click(); });
  OnMenuEntry(f.N5, [&f] { f.N5Click(); });
  OnMenuEntry(f.N4, [&f] { f.N4Click(); });
  // The help file's key works anywhere in the window.
  QAction *help = mirrors_["N3"].Action;
  help->setShortcut(QKeySequence::HelpContents);
  help->setShortcutContext(Qt::WindowShortcut);
  addAction(help);
}

void TMainWindowView::OnMenuEntry(const TButtonState &entry, std::function<void()> handler) {
  connect(mirrors_[entry.Name].Action, &QAction::triggered, this, Forward(std::move(handler)));
}

QPushButton *TMainWindowView::MakeButton(TButtonState &state, std::function<void()> click) {
  auto *button = new QPushButton(Q(state.Caption));
  if (click) connect(button, &QPushButton::clicked, this, Forward(std::move(click)));
  Register(state, button);
  return button;
}

QPushButton *TMainWindowView::MakeInertButton(TButtonState &state) {
  auto *button = new QPushButton(Q(state.Caption));
  button->setEnabled(false);
  Register(state, button, nullptr, true);
  return button;
}

QComboBox *TMainWindowView::MakeComboBox(TComboBoxState &state, std::function<void(int)> pick) {
  auto *box = new QComboBox;
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  box->setMinimumContentsLength(kComboMinimumCharacters);
  box->setMaxVisibleItems(10);
  connect(box, &QComboBox::activated, this, [this, pick = std::move(pick)](int index) {
    if (!mirroring_) pick(index);
  });
  Register(state, box);
  comboBoxes_.emplace_back(box, &state);
  return box;
}

QLabel *TMainWindowView::MakeLabel(TLabelState &state) {
  auto *label = new QLabel(Q(state.Caption));
  Register(state, label);
  return label;
}

QWidget *TMainWindowView::BuildJobList() {
  TForm1 &f = form_;
  QHBoxLayout *layout;
  QWidget *area = NewRow(layout);

  list_ = new TJobListWidget;
  Register(f.AdvListView1, list_);
  QStringList headers;
  for (const TListColumn &column : f.AdvListView1.Columns) headers << Q(column.Caption);
  list_->setHeaderLabels(headers);
  // The designed widths, widened where a header or status text would not fit
  // in the window's font.
  const QFontMetrics metrics(list_->font());
  const int statusWidth = metrics.horizontalAdvance(kStatusConverting) + kCellPadding;
  for (int c = 0; c < static_cast<int>(f.AdvListView1.Columns.size()); ++c) {
    const TListColumn &column = f.AdvListView1.Columns[c];
    int width = std::max(column.Width, metrics.horizontalAdvance(Q(column.Caption)) + kCellPadding);
    if (c == kColStatus) width = std::max(width, statusWidth);
    list_->setColumnWidth(c, width);
  }
  list_->SetFillColumn(kColSource);
  list_->setTextElideMode(Qt::ElideMiddle);
  list_->header()->setSectionResizeMode(QHeaderView::Interactive);
  list_->header()->setStretchLastSection(false);
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setAlternatingRowColors(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setItemDelegateForColumn(f.AdvListView1.ProgressColumn,
                                  new TProgressBarDelegate(list_));
  connect(list_, &QTreeWidget::itemSelectionChanged, this, Forward([this] {
            const QList<QTreeWidgetItem *> selected = list_->selectedItems();
            form_.SelectRow(selected.isEmpty() ? -1 : list_->indexOfTopLevelItem(selected[0]));
          }));
  connect(list_, &TJobListWidget::FilesDropped, this, [this](const QStringList &paths) {
    std::vector<std::string> files;
    for (const QString &path : paths) files.push_back(path.toStdString());
    form_.AddDroppedFiles(files);
  });
  connect(list_, &TJobListWidget::DeletePressed, this, Forward([&f] { f.DeleteKeyDown(); }));
  connect(list_, &QTreeWidget::itemDoubleClicked, this, Forward([&f] { f.AdvListView1DblClick(); }));
  layout->addWidget(list_, 1);

  auto *buttons = new QVBoxLayout;
  buttons->addWidget(MakeButton(f.Button10, [&f] { f.Button10Click(); }));
  buttons->addWidget(MakeInertButton(f.Button10Inert));
  buttons->addWidget(MakeButton(f.Button11, [&f] { f.Button11Click(); }));
  buttons->addWidget(MakeInertButton(f.Button11Inert));
  buttons->addWidget(MakeButton(f.btnClear, [&f] { f.btnClearClick(); }));
  buttons->addWidget(MakeInertButton(f.btnClearInert));
  buttons->addWidget(MakeButton(f.btnRemove, [&f] { f.btnRemoveClick(); }));
  buttons->addWidget(MakeInertButton(f.btnRemoveInert));
  buttons->addSpacing(12);
  buttons->addWidget(MakeButton(f.suiButton12, [&f] { f.suiButton12Click(); }));
  buttons->addStretch(1);
  layout->addLayout(buttons);
  return area;
}

QWidget *TMainWindowView::BuildOutputSettings() {
  TForm1 &f = form_;
  auto *group = new QGroupBox("输出设置");
  auto *grid = new QGridLayout(group);
  grid->setHorizontalSpacing(8);
  grid->addWidget(MakeLabel(f.lblPreset), 0, 0);
  grid->addWidget(MakeComboBox(f.suiComboBox5,
                               [&f](int i) {
                                 f.SelectItem(f.suiComboBox5, i);
                                 f.suiComboBox5Change();
                               }),
                  0, 1, 1, 4);
  grid->addWidget(MakeButton(f.suiButton13, [&f] { f.suiButton13Click(); }), 0, 5);

  const struct {
    TLabelState *Label;
    TComboBoxState *Box;
    int Row, Column;
  } boxes[] = {
      {&f.lblVideoQuality, &f.suiComboBox6, 1, 0}, {&f.lblAudioQuality, &f.suiComboBox7, 1, 2},
      {&f.lblFrameRate, &f.suiComboBox8, 1, 4},    {&f.lblAspect, &f.suiComboBox9, 2, 0},
      {&f.lblFrameSize, &f.suiComboBox10, 2, 2},
  };
  for (const auto &b : boxes) {
    grid->addWidget(MakeLabel(*b.Label), b.Row, b.Column);
    TComboBoxState *state = b.Box;
    grid->addWidget(MakeComboBox(*state, [&f, state](int i) { f.SelectItem(*state, i); }), b.Row,
                    b.Column + 1);
  }
  keepAspect_ = new QCheckBox(Q(f.chkKeepAspect.Caption));
  Register(f.chkKeepAspect, keepAspect_);
  connect(keepAspect_, &QCheckBox::clicked, this, [this, &f](bool checked) {
    if (!mirroring_) f.chkKeepAspectClick(checked);
  });
  grid->addWidget(keepAspect_, 2, 4, 1, 2);
  for (int column : {1, 3, 5}) grid->setColumnStretch(column, 1);
  return group;
}

QWidget *TMainWindowView::BuildOutputFolder() {
  TForm1 &f = form_;
  QHBoxLayout *layout;
  QWidget *row = NewRow(layout);
  layout->addWidget(MakeLabel(f.lblOutputFolder));
  folderEdit_ = new QLineEdit;
  Register(f.suiEdit1, folderEdit_);
  layout->addWidget(folderEdit_, 1);
  layout->addWidget(MakeButton(f.suiButton3, [&f] { f.suiButton3Click(); }));
  layout->addWidget(MakeButton(f.suiButton11, [&f] { f.suiButton11Click(); }));
  return row;
}

QWidget *TMainWindowView::BuildMergeBar() {
  TForm1 &f = form_;
  QHBoxLayout *layout;
  QWidget *row = NewRow(layout);
  mergeLabel_ = MakeLabel(f.Label8);
  layout->addWidget(mergeLabel_);
  mergeBar_ = new QProgressBar;
  Register(f.suiProgressBar1, mergeBar_);
  layout->addWidget(mergeBar_, 1);
  layout->addSpacing(12);
  layout->addWidget(MakeLabel(f.lblAfterMerge));
  QComboBox *afterMerge =
      MakeComboBox(f.suiComboBox1, [&f](int i) { f.SelectItem(f.suiComboBox1, i); });
  afterMerge->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  layout->addWidget(afterMerge);
  return row;
}

QWidget *TMainWindowView::BuildHiddenControls() {
  TForm1 &f = form_;
  auto *hidden = new QWidget;
  hidden->setObjectName("HiddenControls");
  hidden->hide();
  auto *layout = new QVBoxLayout(hidden);
  log_ = new QPlainTextEdit;
  log_->setReadOnly(true);
  Register(f.mmoLog, log_);
  layout->addWidget(log_);
  threadMode_ = new QCheckBox(Q(f.chkThreadMode.Caption));
  Register(f.chkThreadMode, threadMode_);
  layout->addWidget(threadMode_);
  for (auto [label, box] : {std::pair{&f.lblFileExists, &f.suiComboBox4},
                            std::pair{&f.lblConcurrency, &f.suiComboBox3},
                            std::pair{&f.lblPriority, &f.suiComboBox2}}) {
    layout->addWidget(MakeLabel(*label));
    layout->addWidget(MakeComboBox(*box, [&f, box = box](int i) { f.SelectItem(*box, i); }));
  }
  auto *levels = new QGroupBox(Q(f.grpLogLevel.Caption));
  Register(f.grpLogLevel, levels);
  auto *levelLayout = new QVBoxLayout(levels);
  for (const std::string &item : f.grpLogLevel.Items) {
    logLevels_.push_back(new QRadioButton(Q(item)));
    levelLayout->addWidget(logLevels_.back());
  }
  layout->addWidget(levels);
  layout->addWidget(MakeButton(f.btnStart, [&f] { f.btnStartClick(); }));
  layout->addWidget(MakeButton(f.btnPause, [&f] { f.btnPauseClick(); }));
  layout->addWidget(MakeButton(f.btnStop, [&f] { f.btnStopClick(); }));
  for (TButtonState &routine : f.RoutineButtons) layout->addWidget(MakeButton(routine, nullptr));
  return hidden;
}

// ---- Input that is not a click -------------------------------------------------

bool TMainWindowView::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::Enter) form_.ShowHintOf(watched->objectName().toStdString());
  if (event->type() == QEvent::Leave) form_.ClearHint();
  // A new skin gives the button new text colours: its picture follows them.
  if (event->type() == QEvent::PaletteChange)
    if (auto *button = qobject_cast<QToolButton *>(watched)) PaintToolIcon(button);
  return QMainWindow::eventFilter(watched, event);
}

void TMainWindowView::PaintToolIcon(QToolButton *button) {
  const std::string name = button->objectName().toStdString();
  if (!HasToolIcon(name)) return;
  const QPalette &palette = button->palette();
  const QPalette::ColorRole role = button->foregroundRole();
  button->setIcon(ToolIcon(name, palette.color(QPalette::Active, role),
                           palette.color(QPalette::Disabled, role), kToolIconSize));
}

void TMainWindowView::showEvent(QShowEvent *event) {
  QMainWindow::showEvent(event);
  // Shown by the program, not restored by the desktop.
  if (!event->spontaneous()) form_.FormShow();
}

void TMainWindowView::closeEvent(QCloseEvent *event) {
  if (!form_.FormCloseQuery()) {
    event->ignore();
    return;
  }
  form_.FormClose();
  QMainWindow::closeEvent(event);
}

// ---- Mirroring -------------------------------------------------------------------

void TMainWindowView::ScheduleRefresh() {
  if (refreshQueued_.exchange(true)) return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        refreshQueued_ = false;
        Refresh();
      },
      Qt::QueuedConnection);
}

void TMainWindowView::Refresh() {
  const TForm1::TStateLock lock = form_.TryLock();
  if (!lock.OwnsLock()) {
    // Another thread is changing the model; it announces its change when
    // done, and this refresh comes back meanwhile without blocking the GUI.
    QTimer::singleShot(kRefreshRetryMs, this, [this] { Refresh(); });
    return;
  }
  mirroring_ = true;
  skinView_.Mirror(*this, form_.Skin);
  setWindowTitle(Q(form_.Caption));
  MirrorAvailability();
  MirrorJobList();
  MirrorComboBoxes();
  MirrorTexts();
  mirroring_ = false;
}

void TMainWindowView::MirrorAvailability() {
  for (TControl *control : form_.Controls()) {
    const auto found = mirrors_.find(control->Name);
    if (found == mirrors_.end()) continue;
    const TMirror &mirror = found->second;
    if (mirror.Action) {
      mirror.Action->setVisible(control->Visible);
      mirror.Action->setEnabled(control->Enabled);
    } else if (mirror.Widget) {
      mirror.Widget->setVisible(control->Visible);
    }
    if (mirror.Widget && !mirror.Inert) mirror.Widget->setEnabled(control->Enabled);
  }
}

void TMainWindowView::MirrorJobList() {
  const TListViewState &state = form_.AdvListView1;
  while (list_->topLevelItemCount() > state.RowCount())
    std::unique_ptr<QTreeWidgetItem>(list_->takeTopLevelItem(list_->topLevelItemCount() - 1));
  while (list_->topLevelItemCount() < state.RowCount()) new QTreeWidgetItem(list_);

  for (int r = 0; r < state.RowCount(); ++r) {
    const TListRow &row = state.Rows[r];
    QTreeWidgetItem *item = list_->topLevelItem(r);
    for (int c = 0; c < static_cast<int>(row.Columns.size()); ++c) {
      if (c == state.ProgressColumn) {
        item->setData(c, kProgressRole, row.Progress);
        continue;
      }
      const QString text = Q(row.Columns[c]);
      if (item->text(c) != text) item->setText(c, text);
    }
    item->setToolTip(kColSource, Q(row.Columns[kColSource]));
  }

  QItemSelectionModel *selection = list_->selectionModel();
  const auto rowIndex = [this](int row) { return list_->model()->index(row, 0); };
  if (state.ValidRow(state.Selected))
    selection->select(rowIndex(state.Selected),
                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  else
    selection->clearSelection();
  selection->setCurrentIndex(state.ValidRow(state.Focused) ? rowIndex(state.Focused)
                                                           : QModelIndex(),
                             QItemSelectionModel::NoUpdate);
  if (state.FocusRequests != servedFocusRequests_) {
    servedFocusRequests_ = state.FocusRequests;
    list_->setFocus();
  }
}

void TMainWindowView::MirrorComboBoxes() {
  for (const auto &[box, state] : comboBoxes_) MirrorComboBox(*box, *state);
}

void TMainWindowView::MirrorTexts() {
  folderEdit_->setText(Q(form_.suiEdit1.Text));
  folderEdit_->setReadOnly(form_.suiEdit1.ReadOnly);
  mergeLabel_->setText(Q(form_.Label8.Caption));
  const TProgressBarState &bar = form_.suiProgressBar1;
  mergeBar_->setRange(bar.Min, bar.Max);
  mergeBar_->setValue(bar.Position);
  mergeBar_->setTextVisible(bar.ShowCaption);
  if (form_.suiStatusBar2.SimpleText.empty())
    statusBar()->clearMessage();
  else
    statusBar()->showMessage(Q(form_.suiStatusBar2.SimpleText));
  threadMode_->setChecked(form_.chkThreadMode.Checked);
  keepAspect_->setChecked(form_.chkKeepAspect.Checked);
  for (int i = 0; i < static_cast<int>(logLevels_.size()); ++i)
    logLevels_[i]->setChecked(i == form_.grpLogLevel.ItemIndex);

  const std::vector<std::string> &lines = form_.mmoLog.Lines;
  if (form_.mmoLog.Clears != mirroredLogClears_ || lines.size() < mirroredLogLines_) {
    log_->clear();
    mirroredLogLines_ = 0;
    mirroredLogClears_ = form_.mmoLog.Clears;
  }
  for (; mirroredLogLines_ < lines.size(); ++mirroredLogLines_)
    log_->appendPlainText(Q(lines[mirroredLogLines_]));
}

}  // namespace velmora
