#pragma once
// Draws a list cell as a progress bar: the cell's value under kProgressRole
// (0..100) as the bar with its percentage; a cell without a value or with a
// negative one is drawn empty. The bar is drawn as a hidden progress bar of
// the list would be, so a window's skin styles it like its other bars.
#include <QPointer>
#include <QStyledItemDelegate>

class QProgressBar;

namespace velmora {

inline constexpr int kProgressRole = Qt::UserRole + 1;

class TProgressBarDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override;

 private:
  // The hidden bar whose look the cells take; a child of the list.
  QProgressBar *LookOf(const QWidget *list) const;

  mutable QPointer<QProgressBar> look_;
};

}  // namespace velmora
