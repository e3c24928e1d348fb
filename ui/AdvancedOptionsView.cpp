#include "ui/AdvancedOptionsView.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/ComboBoxMirror.h"

namespace velmora {

namespace {

QString Q(const std::string &text) { return QString::fromStdString(text); }

// Wide enough for the longest encoder entry ("H264/AVC高清视频压缩器").
constexpr int kBoxCharacters = 22;

}  // namespace

TAdvancedOptionsView::TAdvancedOptionsView(TForm8 &form, QWidget *parent)
    : QDialog(parent), form_(form) {
  setObjectName("TForm8");
  setWindowModality(Qt::ApplicationModal);
  TForm8 &f = form_;

  auto *grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(8);
  const std::pair<TLabelState *, TComboBoxState *> rows[] = {
      {&f.lblVideoEncoder, &f.suiComboBox1}, {&f.lblAudioEncoder, &f.suiComboBox5},
      {&f.lblBitRate, &f.suiComboBox6},      {&f.lblSampleRate, &f.suiComboBox7},
      {&f.lblChannels, &f.suiComboBox10},    {&f.lblVolume, &f.suiComboBox9},
  };
  int row = 0;
  for (const auto &[label, box] : rows) {
    auto *text = new QLabel(Q(label->Caption));
    text->setObjectName(Q(label->Name));
    text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    controls_.emplace_back(text, label);
    grid->addWidget(text, row, 0);
    grid->addWidget(MakeComboBox(*box), row, 1);
    ++row;
  }
  auto *effectsLabel = new QLabel(Q(f.lblEffects.Caption));
  effectsLabel->setObjectName(Q(f.lblEffects.Name));
  effectsLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
  controls_.emplace_back(effectsLabel, &f.lblEffects);
  grid->addWidget(effectsLabel, row, 0);
  auto *effects = new QVBoxLayout;
  effects->setSpacing(4);
  for (TCheckBoxState *check : {&f.suiCheckBox2, &f.suiCheckBox3, &f.suiCheckBox4})
    effects->addWidget(MakeCheckBox(*check));
  grid->addLayout(effects, row, 1);

  auto *group = new QGroupBox;
  group->setLayout(grid);

  auto *buttons = new QHBoxLayout;
  buttons->addStretch(1);
  QPushButton *ok = MakeButton(f.suiButton1, nullptr);
  // "确定" tries the choice with the codec libraries first, which takes a moment.
  connect(ok, &QPushButton::clicked, this, [this] {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    form_.suiButton1Click();
    QApplication::restoreOverrideCursor();
  });
  ok->setDefault(true);
  buttons->addWidget(ok);
  buttons->addWidget(MakeButton(f.suiButton2, &TForm8::suiButton2Click));

  auto *layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  form_.SetChangeListener([this] { Refresh(); });
  Refresh();
}

TAdvancedOptionsView::~TAdvancedOptionsView() { form_.SetChangeListener(nullptr); }

void TAdvancedOptionsView::reject() { form_.suiButton2Click(); }

QComboBox *TAdvancedOptionsView::MakeComboBox(TComboBoxState &state) {
  auto *box = new QComboBox;
  box->setObjectName(Q(state.Name));
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  box->setMinimumContentsLength(kBoxCharacters);
  box->setMaxVisibleItems(12);
  connect(box, &QComboBox::activated, this, [this, &state](int index) {
    if (!mirroring_) form_.SelectItem(state, index);
  });
  boxes_.emplace_back(box, &state);
  controls_.emplace_back(box, &state);
  return box;
}

QCheckBox *TAdvancedOptionsView::MakeCheckBox(TCheckBoxState &state) {
  auto *check = new QCheckBox(Q(state.Caption));
  check->setObjectName(Q(state.Name));
  connect(check, &QCheckBox::toggled, this, [this, &state](bool on) {
    if (!mirroring_) form_.SetChecked(state, on);
  });
  checks_.emplace_back(check, &state);
  controls_.emplace_back(check, &state);
  return check;
}

QPushButton *TAdvancedOptionsView::MakeButton(TButtonState &state, void (TForm8::*click)()) {
  auto *button = new QPushButton(Q(state.Caption));
  button->setObjectName(Q(state.Name));
  if (click) connect(button, &QPushButton::clicked, this, [this, click] { (form_.*click)(); });
  controls_.emplace_back(button, &state);
  return button;
}

void TAdvancedOptionsView::Refresh() {
  mirroring_ = true;
  setWindowTitle(Q(form_.Caption));
  for (const auto &[box, state] : boxes_) MirrorComboBox(*box, *state);
  for (const auto &[check, state] : checks_) check->setChecked(state->Checked);
  for (const auto &[widget, control] : controls_) {
    widget->setEnabled(control->Enabled);
    widget->setVisible(control->Visible);
  }
  mirroring_ = false;
  if (form_.Visible != isVisible()) setVisible(form_.Visible);
}

}  // namespace velmora
