#pragma once
// The job list's widget: a report list that takes files dropped from the
// desktop, tells when the Delete key is pressed on it, and lets one column
// take the room the others leave free.
#include <QStringList>
#include <QTreeWidget>

namespace velmora {

class TJobListWidget : public QTreeWidget {
  Q_OBJECT
 public:
  explicit TJobListWidget(QWidget *parent = nullptr);
  // Column `column` grows into free room whenever the list is resized (the
  // user can still resize every column).
  void SetFillColumn(int column) { fillColumn_ = column; }

 signals:
  // Local files dropped on the list, in the order of the drop.
  void FilesDropped(const QStringList &paths);
  void DeletePressed();

 protected:
  void dragEnterEvent(QDragEnterEvent *event) override;
  void dragMoveEvent(QDragMoveEvent *event) override;
  void dropEvent(QDropEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

 private:
  int fillColumn_ = -1;
};

}  // namespace velmora
