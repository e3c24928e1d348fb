#pragma once
// Draws a list cell as a progress bar: the cell's value under kProgressRole
// (0..100) as the bar with its percentage; a cell without a value or with a
// negative one is drawn empty.
#include <QStyledItemDelegate>

namespace velmora {

inline constexpr int kProgressRole = Qt::UserRole + 1;

class TProgressBarDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override;
};

}  // namespace velmora
