#include "ui/ProgramIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace velmora {

namespace {

// A film clip: a rounded strip with sprocket holes along both edges.
void PaintClip(QPainter &painter, const QRectF &clip, const QColor &fill, const QColor &holes) {
  const qreal r = clip.height() * 0.12;
  painter.setPen(Qt::NoPen);
  painter.setBrush(fill);
  painter.drawRoundedRect(clip, r, r);
  const qreal hole = clip.height() * 0.13;
  const qreal step = hole * 2.0;
  painter.setBrush(holes);
  for (qreal x = clip.left() + hole * 0.8; x + hole <= clip.right() - hole * 0.5; x += step) {
    painter.drawRoundedRect(QRectF(x, clip.top() + hole * 0.5, hole, hole), hole * 0.25, hole * 0.25);
    painter.drawRoundedRect(QRectF(x, clip.bottom() - hole * 1.5, hole, hole), hole * 0.25,
                            hole * 0.25);
  }
}

}  // namespace

QPixmap ProgramPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;

  // The tile.
  QLinearGradient tile(0, 0, s, s);
  tile.setColorAt(0.0, QColor("#2f7cf6"));
  tile.setColorAt(1.0, QColor("#1fb5c9"));
  painter.setPen(Qt::NoPen);
  painter.setBrush(tile);
  painter.drawRoundedRect(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92), s * 0.2, s * 0.2);

  // Two clips on the left, meeting in one on the right.
  const QColor paper("#ffffff"), holes("#2a6fd6");
  PaintClip(painter, QRectF(s * 0.12, s * 0.2, s * 0.34, s * 0.22), paper, holes);
  PaintClip(painter, QRectF(s * 0.12, s * 0.58, s * 0.34, s * 0.22), paper, holes);
  PaintClip(painter, QRectF(s * 0.58, s * 0.36, s * 0.30, s * 0.28), paper, holes);

  // The joining strokes.
  QPainterPath join;
  join.moveTo(s * 0.46, s * 0.31);
  join.cubicTo(s * 0.54, s * 0.31, s * 0.52, s * 0.5, s * 0.58, s * 0.5);
  join.moveTo(s * 0.46, s * 0.69);
  join.cubicTo(s * 0.54, s * 0.69, s * 0.52, s * 0.5, s * 0.58, s * 0.5);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(paper, s * 0.05, Qt::SolidLine, Qt::RoundCap));
  painter.drawPath(join);
  return pixmap;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(ProgramPixmap(size));
  return icon;
}

}  // namespace velmora
