#include "ui/MediaInfoWindow.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/DialogButtons.h"

namespace velmora {

namespace {

QString Q(const std::string &text) { return QString::fromStdString(text); }

// The width of the values; the stream descriptions wrap within it.
constexpr int kValueWidth = 440;

}  // namespace

TMediaInfoWindowView::TMediaInfoWindowView(TForm9 &form, QWidget *parent)
    : QDialog(parent), form_(form) {
  setObjectName("TForm9");
  setModal(true);
  auto *layout = new QVBoxLayout(this);
  // The window takes the size its values need.
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->setContentsMargins(14, 14, 14, 12);
  layout->setSpacing(10);
  for (TInfoGroup &group : form_.Groups) {
    auto *box = new QGroupBox(Q(group.Frame.Caption));
    box->setObjectName(Q(group.Frame.Name));
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(12, 6, 12, 8);
    grid->setHorizontalSpacing(12);
    grid->setColumnStretch(1, 1);
    for (int row = 0; row < static_cast<int>(group.Lines.size()); ++row) {
      const TInfoLine &line = group.Lines[row];
      auto *caption = new QLabel(Q(line.Caption.Caption));
      caption->setObjectName(Q(line.Caption.Name));
      grid->addWidget(caption, row, 0, Qt::AlignLeft | Qt::AlignTop);
      auto *value = new QLabel;
      value->setObjectName(Q(line.Value.Name));
      value->setTextFormat(Qt::PlainText);
      value->setWordWrap(true);
      value->setFixedWidth(kValueWidth);
      value->setTextInteractionFlags(Qt::TextSelectableByMouse);
      grid->addWidget(value, row, 1);
      values_.emplace_back(&line.Value, value);
    }
    layout->addWidget(box);
  }
  layout->addLayout(AcceptButtonRow(*this, form_.btnOK));
}

void TMediaInfoWindowView::Prepare(const TMediaInfoValues &values) {
  form_.FormShow(values);
  Refresh();
}

void TMediaInfoWindowView::ShowModal(const TMediaInfoValues &values) {
  Prepare(values);
  exec();
}

void TMediaInfoWindowView::Refresh() {
  skinView_.Mirror(*this, form_.Skin);
  setWindowTitle(Q(form_.Caption));
  for (const auto &[state, label] : values_) label->setText(Q(state->Caption));
}

}  // namespace velmora
