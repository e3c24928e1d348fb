#include "ui/OutputFormatChooserView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

namespace {

QString Q(const std::string &text) { return QString::fromStdString(text); }

// Room per entry: the icon and up to three lines of caption.
constexpr QSize kGridCell(136, 124);
constexpr int kColumns = 6;
constexpr int kRowsShown = 4;

}  // namespace

QIcon TypeIcon(int imageIndex) {
  return QIcon(QString(":/type-icons/%1.png").arg(imageIndex, 2, 10, QChar('0')));
}

TOutputFormatChooserView::TOutputFormatChooserView(TForm7 &form, QWidget *parent)
    : QDialog(parent), form_(form) {
  setObjectName("TForm7");
  setWindowModality(Qt::ApplicationModal);
  auto *layout = new QVBoxLayout(this);

  prompt_ = new QLabel(Q(form_.Label1.Caption));
  prompt_->setObjectName(Q(form_.Label1.Name));
  layout->addWidget(prompt_);

  list_ = new QListWidget;
  list_->setObjectName(Q(form_.suiListView1.Name));
  list_->setViewMode(QListView::IconMode);
  list_->setIconSize(QSize(kTypeIconSize, kTypeIconSize));
  list_->setGridSize(kGridCell);
  list_->setWordWrap(true);
  list_->setMovement(QListView::Static);
  list_->setResizeMode(QListView::Adjust);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  // The selection stays as visible when the list loses the focus.
  QPalette palette = list_->palette();
  for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
    palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
  list_->setPalette(palette);
  const int frame = 2 * list_->frameWidth() + list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  list_->setMinimumSize(kGridCell.width() * kColumns + frame + 4,
                        kGridCell.height() * kRowsShown + 2 * list_->frameWidth());
  list_->viewport()->installEventFilter(this);
  connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
    if (mirroring_) return;
    const QList<QListWidgetItem *> selected = list_->selectedItems();
    form_.Select(selected.isEmpty() ? -1 : list_->row(selected.first()));
  });
  layout->addWidget(list_, 1);

  auto *buttons = new QHBoxLayout;
  buttons->addStretch(1);
  next_ = new QPushButton(Q(form_.suiButton1.Caption));
  next_->setObjectName(Q(form_.suiButton1.Name));
  next_->setDefault(true);
  connect(next_, &QPushButton::clicked, this, [this] { form_.suiButton1Click(); });
  cancel_ = new QPushButton(Q(form_.suiButton2.Caption));
  cancel_->setObjectName(Q(form_.suiButton2.Name));
  connect(cancel_, &QPushButton::clicked, this, [this] { form_.suiButton2Click(); });
  buttons->addWidget(next_);
  buttons->addWidget(cancel_);
  layout->addLayout(buttons);

  form_.SetChangeListener([this] { Refresh(); });
  Refresh();
}

TOutputFormatChooserView::~TOutputFormatChooserView() { form_.SetChangeListener(nullptr); }

void TOutputFormatChooserView::reject() { form_.suiButton2Click(); }

bool TOutputFormatChooserView::eventFilter(QObject *watched, QEvent *event) {
  if (watched == list_->viewport()) {
    // A press on empty space clears the selection, as on the desktop's own
    // icon views; a double click anywhere on the list is "下一步".
    if (event->type() == QEvent::MouseButtonPress &&
        !list_->itemAt(static_cast<QMouseEvent *>(event)->position().toPoint()))
      list_->clearSelection();
    if (event->type() == QEvent::MouseButtonDblClick) {
      form_.suiListView1DblClick();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TOutputFormatChooserView::MirrorList() {
  const TListViewState &state = form_.suiListView1;
  while (list_->count() > state.RowCount()) delete list_->takeItem(list_->count() - 1);
  for (int r = 0; r < state.RowCount(); ++r) {
    const TListRow &row = state.Rows[r];
    if (r == list_->count()) list_->addItem(new QListWidgetItem);
    QListWidgetItem *item = list_->item(r);
    const QString caption = Q(row.Columns.empty() ? std::string() : row.Columns[0]);
    if (item->text() != caption) {
      item->setText(caption);
      item->setToolTip(caption);
    }
    if (item->data(Qt::UserRole).toInt() != row.ImageIndex + 1) {
      item->setData(Qt::UserRole, row.ImageIndex + 1);
      item->setIcon(row.ImageIndex >= 0 ? TypeIcon(row.ImageIndex) : QIcon());
    }
  }
  if (state.ValidRow(state.Selected)) {
    list_->setCurrentRow(state.Selected, QItemSelectionModel::ClearAndSelect);
    list_->scrollToItem(list_->item(state.Selected));
  } else {
    list_->clearSelection();
  }
}

void TOutputFormatChooserView::Refresh() {
  mirroring_ = true;
  setWindowTitle(Q(form_.Caption));
  prompt_->setText(Q(form_.Label1.Caption));
  MirrorList();
  next_->setEnabled(form_.suiButton1.Enabled);
  cancel_->setEnabled(form_.suiButton2.Enabled);
  mirroring_ = false;
  if (form_.Visible != isVisible()) setVisible(form_.Visible);
}

}  // namespace velmora
