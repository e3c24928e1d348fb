#include "ui/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <functional>
#include <map>

namespace velmora {

namespace {

// Every glyph is drawn on a 24 × 24 grid with a pen of the ink's colour.
using TGlyph = std::function<void(QPainter &)>;

void Plus(QPainter &p, QPointF centre, qreal half) {
  p.drawLine(QPointF(centre.x() - half, centre.y()), QPointF(centre.x() + half, centre.y()));
  p.drawLine(QPointF(centre.x(), centre.y() - half), QPointF(centre.x(), centre.y() + half));
}

// A film clip: a frame with a strip of holes along its top and bottom.
void Clip(QPainter &p, const QRectF &frame) {
  p.drawRoundedRect(frame, 1.5, 1.5);
  for (qreal x = frame.left() + 2.5; x < frame.right() - 1.5; x += 3.5) {
    p.drawPoint(QPointF(x, frame.top() + 2));
    p.drawPoint(QPointF(x, frame.bottom() - 2));
  }
}

const std::map<std::string, TGlyph> &Glyphs() {
  static const std::map<std::string, TGlyph> glyphs = {
      {"ToolButton1",  // add: a clip with a plus
       [](QPainter &p) {
         Clip(p, QRectF(2.5, 5.5, 13, 13));
         Plus(p, QPointF(18.5, 6.5), 3.5);
       }},
      {"ToolButton12",  // delete: a bin
       [](QPainter &p) {
         p.drawLine(QPointF(4, 6.5), QPointF(20, 6.5));
         p.drawLine(QPointF(9.5, 6.5), QPointF(10, 3.5));
         p.drawLine(QPointF(10, 3.5), QPointF(14, 3.5));
         p.drawLine(QPointF(14, 3.5), QPointF(14.5, 6.5));
         QPainterPath bin;
         bin.moveTo(6, 6.5);
         bin.lineTo(7.2, 20.5);
         bin.lineTo(16.8, 20.5);
         bin.lineTo(18, 6.5);
         p.drawPath(bin);
         p.drawLine(QPointF(10.5, 10), QPointF(10.5, 17));
         p.drawLine(QPointF(13.5, 10), QPointF(13.5, 17));
       }},
      {"ToolButton2",  // clear: a list crossed out
       [](QPainter &p) {
         for (qreal y : {5.5, 10.5, 15.5}) p.drawLine(QPointF(3, y), QPointF(12, y));
         p.drawLine(QPointF(3, 20.5), QPointF(9, 20.5));
         p.drawLine(QPointF(14, 13), QPointF(21, 20));
         p.drawLine(QPointF(21, 13), QPointF(14, 20));
       }},
      {"ToolButton3",  // merge: two clips running into one
       [](QPainter &p) {
         QPainterPath join;
         join.moveTo(3, 6);
         join.cubicTo(9, 6, 9, 12, 14, 12);
         join.moveTo(3, 18);
         join.cubicTo(9, 18, 9, 12, 14, 12);
         join.moveTo(14, 12);
         join.lineTo(20, 12);
         p.drawPath(join);
         QPainterPath head;
         head.moveTo(16.5, 8.5);
         head.lineTo(20.5, 12);
         head.lineTo(16.5, 15.5);
         p.drawPath(head);
       }},
      {"ToolButton5",  // pause
       [](QPainter &p) {
         p.drawRoundedRect(QRectF(6.5, 5, 3.5, 14), 1, 1);
         p.drawRoundedRect(QRectF(14, 5, 3.5, 14), 1, 1);
       }},
      {"ToolButton4",  // stop
       [](QPainter &p) { p.drawRoundedRect(QRectF(5.5, 5.5, 13, 13), 2, 2); }},
      {"ToolButton6",  // advanced options: three sliders
       [](QPainter &p) {
         const qreal knobs[] = {15, 8, 13};
         for (int i = 0; i < 3; ++i) {
           const qreal y = 6 + i * 6;
           p.drawLine(QPointF(3, y), QPointF(21, y));
           p.drawEllipse(QPointF(knobs[i], y), 2.2, 2.2);
         }
       }},
      {"ToolButton7",  // skins: a painter's palette
       [](QPainter &p) {
         QPainterPath palette;
         palette.moveTo(12, 3.5);
         palette.cubicTo(5, 3.5, 2.5, 9, 3.5, 13.5);
         palette.cubicTo(4.5, 18.5, 9, 20.5, 12.5, 20.5);
         palette.cubicTo(15, 20.5, 14.5, 17, 16.5, 16);
         palette.cubicTo(19, 15, 21, 15, 21, 11.5);
         palette.cubicTo(21, 7, 17, 3.5, 12, 3.5);
         p.drawPath(palette);
         for (QPointF dot : {QPointF(8, 10), QPointF(12, 7.5), QPointF(16.5, 9.5), QPointF(8.5, 15)})
           p.drawEllipse(dot, 1.1, 1.1);
       }},
      {"ToolButton11",  // help
       [](QPainter &p) {
         p.drawEllipse(QPointF(12, 12), 9, 9);
         QPainterPath hook;
         hook.moveTo(9.2, 9.5);
         hook.cubicTo(9.2, 6.5, 14.8, 6.5, 14.8, 9.5);
         hook.cubicTo(14.8, 11.8, 12, 11.8, 12, 14.2);
         p.drawPath(hook);
         p.drawPoint(QPointF(12, 17.3));
       }},
  };
  return glyphs;
}

QPixmap Paint(const TGlyph &glyph, const QColor &ink, int size, qreal ratio) {
  QPixmap pixmap(QSize(size, size) * ratio);
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 24.0, size / 24.0);
  painter.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  glyph(painter);
  return pixmap;
}

}  // namespace

bool HasToolIcon(const std::string &buttonName) { return Glyphs().count(buttonName) > 0; }

QIcon ToolIcon(const std::string &buttonName, const QColor &ink, const QColor &disabledInk,
               int size) {
  QIcon icon;
  const auto glyph = Glyphs().find(buttonName);
  if (glyph == Glyphs().end()) return icon;
  for (qreal ratio : {1.0, 2.0}) {
    icon.addPixmap(Paint(glyph->second, ink, size, ratio), QIcon::Normal);
    icon.addPixmap(Paint(glyph->second, disabledInk, size, ratio), QIcon::Disabled);
  }
  return icon;
}

}  // namespace velmora
