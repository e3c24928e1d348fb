#include "ui/ProgressBarDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QProgressBar>

namespace velmora {

QProgressBar *TProgressBarDelegate::LookOf(const QWidget *list) const {
  if (!look_ && list) {
    look_ = new QProgressBar(const_cast<QWidget *>(list));
    look_->setObjectName("CellProgressBar");
    look_->hide();
  }
  if (look_) look_->ensurePolished();
  return look_;
}

void TProgressBarDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const {
  // The row's background and selection as in every other cell.
  QStyleOptionViewItem background = option;
  initStyleOption(&background, index);
  background.text.clear();
  QStyle *style = option.widget ? option.widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget);

  const QVariant value = index.data(kProgressRole);
  if (!value.isValid() || value.toInt() < 0) return;
  QProgressBar *look = LookOf(option.widget);
  QStyleOptionProgressBar bar;
  bar.rect = option.rect.adjusted(2, 2, -2, -2);
  bar.minimum = 0;
  bar.maximum = 100;
  bar.progress = std::min(value.toInt(), 100);
  bar.text = QString::number(bar.progress) + "%";
  bar.textVisible = true;
  bar.textAlignment = Qt::AlignCenter;
  bar.state = (option.state & ~QStyle::State_Selected) | QStyle::State_Horizontal;
  bar.palette = look ? look->palette() : option.palette;
  bar.fontMetrics = option.fontMetrics;
  (look ? look->style() : style)->drawControl(QStyle::CE_ProgressBar, &bar, painter, look);
}

}  // namespace velmora
