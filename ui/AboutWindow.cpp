#include "ui/AboutWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/DialogButtons.h"
#include "ui/ProgramIcon.h"

namespace velmora {

namespace {

QString Q(const std::string &text) { return QString::fromStdString(text); }

constexpr int kPictureSize = 64;

QLabel *NamedLabel(const TLabelState &state) {
  auto *label = new QLabel(Q(state.Caption));
  label->setObjectName(Q(state.Name));
  return label;
}

}  // namespace

TAboutWindowView::TAboutWindowView(TForm4 &form, QWidget *parent)
    : QDialog(parent), form_(form) {
  setObjectName("TForm4");
  setModal(true);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 16, 16, 12);
  layout->setSpacing(10);

  auto *heading = new QHBoxLayout;
  auto *picture = new QLabel;
  picture->setObjectName("imgProgram");
  picture->setPixmap(ProgramPixmap(kPictureSize));
  heading->addWidget(picture, 0, Qt::AlignTop);
  auto *names = new QVBoxLayout;
  program_ = NamedLabel(form_.lblProgram);
  QFont large = program_->font();
  large.setPointSizeF(large.pointSizeF() * 1.6);
  large.setBold(true);
  program_->setFont(large);
  version_ = NamedLabel(form_.lblVersion);
  description_ = NamedLabel(form_.lblDescription);
  names->addWidget(program_);
  names->addWidget(version_);
  names->addWidget(description_);
  heading->addLayout(names, 1);
  layout->addLayout(heading);

  ffmpeg_ = NamedLabel(form_.lblFFmpeg);
  ffmpeg_->setWordWrap(true);
  layout->addWidget(ffmpeg_);

  libraries_ = new QTreeWidget;
  libraries_->setObjectName(Q(form_.lvLibraries.Name));
  QStringList headers;
  for (const TListColumn &column : form_.lvLibraries.Columns) headers << Q(column.Caption);
  libraries_->setHeaderLabels(headers);
  for (int c = 0; c < static_cast<int>(form_.lvLibraries.Columns.size()); ++c)
    libraries_->setColumnWidth(c, form_.lvLibraries.Columns[c].Width);
  libraries_->setRootIsDecorated(false);
  libraries_->setAlternatingRowColors(true);
  libraries_->setSelectionMode(QAbstractItemView::NoSelection);
  libraries_->setFocusPolicy(Qt::NoFocus);
  libraries_->setTextElideMode(Qt::ElideMiddle);
  libraries_->setMinimumHeight(220);
  layout->addWidget(libraries_, 1);

  layout->addLayout(AcceptButtonRow(*this, form_.btnOK));
  resize(700, 430);
}

void TAboutWindowView::Prepare() {
  form_.FormShow();
  Refresh();
}

void TAboutWindowView::ShowModal() {
  Prepare();
  exec();
}

void TAboutWindowView::Refresh() {
  skinView_.Mirror(*this, form_.Skin);
  setWindowTitle(Q(form_.Caption));
  program_->setText(Q(form_.lblProgram.Caption));
  version_->setText(Q(form_.lblVersion.Caption));
  description_->setText(Q(form_.lblDescription.Caption));
  ffmpeg_->setText(Q(form_.lblFFmpeg.Caption));
  libraries_->clear();
  for (const TListRow &row : form_.lvLibraries.Rows) {
    auto *item = new QTreeWidgetItem(libraries_);
    for (int c = 0; c < static_cast<int>(row.Columns.size()); ++c) {
      item->setText(c, Q(row.Columns[c]));
      item->setToolTip(c, Q(row.Columns[c]));
    }
  }
}

}  // namespace velmora
