#include "ui/JobListWidget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

namespace velmora {

namespace {

QStringList LocalFiles(const QMimeData *data) {
  QStringList paths;
  if (!data) return paths;
  for (const QUrl &url : data->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  return paths;
}

}  // namespace

TJobListWidget::TJobListWidget(QWidget *parent) : QTreeWidget(parent) {
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
}

void TJobListWidget::dragEnterEvent(QDragEnterEvent *event) {
  if (LocalFiles(event->mimeData()).isEmpty()) return event->ignore();
  event->acceptProposedAction();
}

void TJobListWidget::dragMoveEvent(QDragMoveEvent *event) {
  if (LocalFiles(event->mimeData()).isEmpty()) return event->ignore();
  event->acceptProposedAction();
}

void TJobListWidget::dropEvent(QDropEvent *event) {
  const QStringList paths = LocalFiles(event->mimeData());
  if (paths.isEmpty()) return event->ignore();
  event->acceptProposedAction();
  emit FilesDropped(paths);
}

void TJobListWidget::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
    emit DeletePressed();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

}  // namespace velmora

namespace velmora {

void TJobListWidget::resizeEvent(QResizeEvent *event) {
  QTreeWidget::resizeEvent(event);
  if (fillColumn_ < 0 || fillColumn_ >= columnCount()) return;
  int others = 0;
  for (int c = 0; c < columnCount(); ++c)
    if (c != fillColumn_) others += columnWidth(c);
  const int free = viewport()->width() - others;
  if (free > columnWidth(fillColumn_)) setColumnWidth(fillColumn_, free);
}

}  // namespace velmora
