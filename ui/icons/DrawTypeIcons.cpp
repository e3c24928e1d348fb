// Draws the 38 pictures of the output format chooser, 60 by 60 pixels each:
// a device silhouette, a film frame, a disc or a note above a coloured badge
// with the type's short name. Writes NN.png (00 to 37, the image indexes of
// the chooser's entries) into the folder given as the only argument; the
// pictures in ui/icons/ were made with it (scripts/make-type-icons.sh).
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

constexpr int kSize = 60;
// The picture sits above the badge.
constexpr QRectF kBadge(3, 44, 54, 15);

enum class Kind { Device, Video, Disc, Audio };

const QColor kBadgeColour[] = {QColor(0x15, 0x65, 0xc0), QColor(0x6a, 0x1b, 0x9a),
                               QColor(0xe6, 0x5c, 0x00), QColor(0x2e, 0x7d, 0x32)};
const QColor kBody(0x37, 0x47, 0x4f);
const QColor kBodyLight(0xcf, 0xd8, 0xdc);

QLinearGradient Screen(const QRectF &r) {
  QLinearGradient g(r.topLeft(), r.bottomRight());
  g.setColorAt(0, QColor(0x81, 0xd4, 0xfa));
  g.setColorAt(1, QColor(0x01, 0x57, 0x9b));
  return g;
}

void RoundRect(QPainter &p, const QRectF &r, qreal radius, const QBrush &fill,
               const QColor &line = Qt::transparent) {
  p.setPen(line == Qt::transparent ? QPen(Qt::NoPen) : QPen(line, 1));
  p.setBrush(fill);
  p.drawRoundedRect(r, radius, radius);
}

void Dot(QPainter &p, QPointF centre, qreal radius, const QColor &colour) {
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawEllipse(centre, radius, radius);
}

// ---- Pictures, each inside (0, 0, 60, 44) ------------------------------------

void Monitor(QPainter &p) {
  RoundRect(p, {7, 3, 46, 32}, 3, kBody);
  RoundRect(p, {10, 6, 40, 26}, 1, Screen({10, 6, 40, 26}));
  QPainterPath stand;
  stand.moveTo(26, 35);
  stand.lineTo(34, 35);
  stand.lineTo(36, 40);
  stand.lineTo(24, 40);
  stand.closeSubpath();
  p.setBrush(kBody);
  p.drawPath(stand);
  RoundRect(p, {17, 39, 26, 3}, 1.5, kBody);
}

void PocketPlayer(QPainter &p) {
  RoundRect(p, {18, 1, 24, 42}, 5, kBody);
  RoundRect(p, {21, 5, 18, 18}, 1, Screen({21, 5, 18, 18}));
  Dot(p, {30, 33}, 6, kBodyLight);
  Dot(p, {30, 33}, 2.2, kBody);
}

void DiscPlayer(QPainter &p) {
  QRadialGradient disc(QPointF(30, 15), 14);
  disc.setColorAt(0, QColor(0xf5, 0xf5, 0xf5));
  disc.setColorAt(0.7, QColor(0xb3, 0xe5, 0xfc));
  disc.setColorAt(1, QColor(0xce, 0x93, 0xd8));
  p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1));
  p.setBrush(disc);
  p.drawEllipse(QPointF(30, 15), 13, 13);
  Dot(p, {30, 15}, 3, Qt::white);
  RoundRect(p, {3, 24, 54, 17}, 3, kBody);
  RoundRect(p, {8, 29, 26, 3}, 1.5, QColor(0x10, 0x10, 0x10));
  Dot(p, {46, 32}, 3, QColor(0x66, 0xbb, 0x6a));
}

void Handheld(QPainter &p) {
  RoundRect(p, {1, 12, 58, 26}, 13, kBody);
  RoundRect(p, {15, 15, 30, 20}, 1, Screen({15, 15, 30, 20}));
  p.setPen(QPen(kBodyLight, 2.2));
  p.drawLine(QPointF(5, 25), QPointF(11, 25));
  p.drawLine(QPointF(8, 22), QPointF(8, 28));
  for (QPointF c : {QPointF(52, 21), QPointF(52, 29), QPointF(48, 25), QPointF(56, 25)})
    Dot(p, c, 1.6, kBodyLight);
}

void Console(QPainter &p) {
  QPainterPath body;
  body.moveTo(6, 40);
  body.lineTo(6, 18);
  body.cubicTo(6, 6, 54, 6, 54, 18);
  body.lineTo(54, 40);
  body.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x21, 0x21, 0x21));
  p.drawPath(body);
  RoundRect(p, {10, 26, 40, 2}, 1, QColor(0x75, 0x75, 0x75));
  Dot(p, {46, 35}, 1.8, QColor(0x42, 0xa5, 0xf5));
}

void WheelPlayer(QPainter &p) {
  RoundRect(p, {16, 1, 28, 42}, 4, kBodyLight, QColor(0x90, 0xa4, 0xae));
  RoundRect(p, {19, 4, 22, 17}, 1, Screen({19, 4, 22, 17}));
  Dot(p, {30, 32}, 8.5, Qt::white);
  p.setPen(QPen(QColor(0x90, 0xa4, 0xae), 1));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(30, 32), 8.5, 8.5);
  Dot(p, {30, 32}, 3, kBodyLight);
}

void TouchPlayer(QPainter &p) {
  RoundRect(p, {19, 0, 22, 44}, 4, kBody);
  RoundRect(p, {21, 4, 18, 33}, 1, Screen({21, 4, 18, 33}));
  Dot(p, {30, 40.5}, 1.8, kBodyLight);
}

void SmartPhone(QPainter &p) {
  RoundRect(p, {16, 0, 28, 44}, 6, QColor(0x21, 0x21, 0x21));
  RoundRect(p, {18.5, 6, 23, 30}, 1, Screen({18.5, 6, 23, 30}));
  RoundRect(p, {26, 2.5, 8, 1.5}, 0.7, QColor(0x61, 0x61, 0x61));
  p.setPen(QPen(QColor(0x75, 0x75, 0x75), 1));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(30, 40), 2.3, 2.3);
}

void TvBox(QPainter &p) {
  RoundRect(p, {8, 20, 44, 16}, 4, QColor(0x21, 0x21, 0x21));
  RoundRect(p, {10, 21, 40, 3}, 1.5, QColor(0x61, 0x61, 0x61));
  RoundRect(p, {47, 2, 7, 16}, 3, kBodyLight, QColor(0x90, 0xa4, 0xae));
  Dot(p, {50.5, 6.5}, 1.5, kBody);
  p.setPen(QPen(QColor(0x42, 0xa5, 0xf5), 1.4));
  p.setBrush(Qt::NoBrush);
  for (qreal r : {5.0, 9.0}) p.drawArc(QRectF(40 - r, 10 - r, 2 * r, 2 * r), 200 * 16, 70 * 16);
}

void Keypad(QPainter &p, const QRectF &keys, int rows) {
  const qreal dx = keys.width() / 3, dy = keys.height() / rows;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < 3; ++c)
      RoundRect(p, {keys.left() + c * dx + 0.8, keys.top() + r * dy + 0.6, dx - 1.6, dy - 1.2}, 1,
                kBodyLight);
}

void BarPhone(QPainter &p) {
  RoundRect(p, {35, 0, 3, 6}, 1, kBody);
  RoundRect(p, {20, 3, 20, 41}, 5, kBody);
  RoundRect(p, {23, 7, 14, 12}, 1, Screen({23, 7, 14, 12}));
  Keypad(p, {23, 22, 14, 19}, 4);
}

// The upper half slid up over the keypad half.
void SlidePhone(QPainter &p) {
  RoundRect(p, {22, 12, 22, 32}, 4, QColor(0x90, 0xa4, 0xae));
  Keypad(p, {24.5, 28, 17, 15}, 3);
  RoundRect(p, {16, 0, 22, 26}, 4, kBody);
  RoundRect(p, {18.5, 3, 17, 18}, 1, Screen({18.5, 3, 17, 18}));
  RoundRect(p, {24, 22.5, 6, 2}, 1, kBodyLight);
}

void KeypadSmartPhone(QPainter &p) {
  RoundRect(p, {18, 0, 24, 44}, 4, QColor(0x4e, 0x34, 0x2e));
  RoundRect(p, {21, 4, 18, 17}, 1, Screen({21, 4, 18, 17}));
  RoundRect(p, {26, 23, 8, 4}, 2, kBodyLight);
  Keypad(p, {21, 28, 18, 14}, 3);
}

void FlipPhone(QPainter &p) {
  RoundRect(p, {19, 0, 22, 21}, 4, QColor(0xb7, 0x1c, 0x1c));
  RoundRect(p, {22, 3, 16, 15}, 1, Screen({22, 3, 16, 15}));
  RoundRect(p, {19, 22, 22, 22}, 4, QColor(0xb7, 0x1c, 0x1c));
  Keypad(p, {22, 25, 16, 16}, 3);
}

void StickPlayer(QPainter &p) {
  RoundRect(p, {22, 0, 16, 44}, 7, QColor(0x45, 0x27, 0xa0));
  RoundRect(p, {25, 6, 10, 14}, 1, Screen({25, 6, 10, 14}));
  Dot(p, {30, 30}, 4, kBodyLight);
  Dot(p, {30, 39}, 1.5, kBodyLight);
}

void WidePlayer(QPainter &p) {
  RoundRect(p, {4, 6, 52, 34}, 5, QColor(0x26, 0x32, 0x38));
  RoundRect(p, {8, 9, 38, 28}, 1, Screen({8, 9, 38, 28}));
  for (qreal y : {15.0, 23.0, 31.0}) Dot(p, {51, y}, 2, kBodyLight);
}

void FilmFrame(QPainter &p, const QColor &tint) {
  RoundRect(p, {6, 4, 48, 38}, 3, QColor(0x26, 0x26, 0x26));
  for (int i = 0; i < 6; ++i) {
    RoundRect(p, {9.0 + i * 7.6, 6, 4.5, 4}, 1, Qt::white);
    RoundRect(p, {9.0 + i * 7.6, 36, 4.5, 4}, 1, Qt::white);
  }
  RoundRect(p, {9, 12, 42, 22}, 1, tint);
  QPainterPath play;
  play.moveTo(26, 16);
  play.lineTo(37, 23);
  play.lineTo(26, 30);
  play.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 230));
  p.drawPath(play);
}

void Disc(QPainter &p, const QColor &tint) {
  QRadialGradient g(QPointF(26, 18), 24);
  g.setColorAt(0, Qt::white);
  g.setColorAt(0.55, tint.lighter(150));
  g.setColorAt(1, tint);
  p.setPen(QPen(QColor(0x78, 0x78, 0x78), 1));
  p.setBrush(g);
  p.drawEllipse(QPointF(30, 22), 20.5, 20.5);
  p.setBrush(QColor(0xe0, 0xe0, 0xe0));
  p.drawEllipse(QPointF(30, 22), 6, 6);
  Dot(p, {30, 22}, 2.5, Qt::white);
}

void Notes(QPainter &p, const QColor &colour) {
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawEllipse(QPointF(19, 35), 6, 4.5);
  p.drawEllipse(QPointF(41, 31), 6, 4.5);
  QPainterPath stems;
  stems.addRect(23, 8, 2.5, 27);
  stems.addRect(45, 4, 2.5, 27);
  QPainterPath beam;
  beam.moveTo(23, 8);
  beam.lineTo(47.5, 4);
  beam.lineTo(47.5, 10);
  beam.lineTo(23, 14);
  beam.closeSubpath();
  p.drawPath(stems.united(beam));
}

void Speaker(QPainter &p) {
  QPainterPath cone;
  cone.addRect(10, 16, 9, 12);
  cone.moveTo(19, 16);
  cone.lineTo(30, 6);
  cone.lineTo(30, 38);
  cone.lineTo(19, 28);
  cone.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(kBody);
  p.drawPath(cone);
  p.setPen(QPen(kBadgeColour[3], 2.5, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  for (qreal r : {8.0, 14.0, 20.0}) p.drawArc(QRectF(30 - r, 22 - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
}

void PhoneWithNote(QPainter &p) {
  p.save();
  p.translate(-8, 0);
  BarPhone(p);
  p.restore();
  p.save();
  p.translate(30, 12);
  p.scale(0.55, 0.55);
  Notes(p, QColor(0xff, 0x8f, 0x00));
  p.restore();
}

void Camcorder(QPainter &p) {
  RoundRect(p, {6, 12, 34, 24}, 4, kBody);
  QPainterPath lens;
  lens.moveTo(40, 18);
  lens.lineTo(54, 11);
  lens.lineTo(54, 37);
  lens.lineTo(40, 30);
  lens.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(kBody);
  p.drawPath(lens);
  RoundRect(p, {10, 6, 14, 6}, 2, kBody);
  Dot(p, {18, 24}, 6, QColor(0x01, 0x57, 0x9b));
  Dot(p, {18, 24}, 3, QColor(0x81, 0xd4, 0xfa));
  Dot(p, {33, 17}, 1.8, QColor(0xe5, 0x39, 0x35));
}

// ---- The badge ------------------------------------------------------------------

void Badge(QPainter &p, Kind kind, const QString &label) {
  RoundRect(p, kBadge, 4, kBadgeColour[static_cast<int>(kind)]);
  QFont font("DejaVu Sans");
  font.setBold(true);
  font.setPixelSize(12);
  // Shrunk until the name fits.
  while (font.pixelSize() > 7 &&
         QFontMetrics(font).horizontalAdvance(label) > kBadge.width() - 4)
    font.setPixelSize(font.pixelSize() - 1);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(kBadge, Qt::AlignCenter, label);
}

struct TIcon {
  Kind kind;
  const char *label;
  std::function<void(QPainter &)> draw;
};

const QColor kFilmBlue(0x19, 0x76, 0xd2), kFilmRed(0xd3, 0x2f, 0x2f), kFilmOrange(0xf5, 0x7c, 0x00),
    kFilmTeal(0x00, 0x89, 0x7b), kFilmGrey(0x54, 0x6e, 0x7a), kFilmIndigo(0x39, 0x49, 0xab),
    kFilmGreen(0x38, 0x8e, 0x3c), kFilmPink(0xc2, 0x18, 0x5b);

// In image index order.
const TIcon kIcons[] = {
    {Kind::Device, "AVI", Monitor},
    {Kind::Device, "AVI", PocketPlayer},
    {Kind::Device, "AVI", DiscPlayer},
    {Kind::Device, "PSP", Handheld},
    {Kind::Device, "PS3", Console},
    {Kind::Device, "iPod", WheelPlayer},
    {Kind::Device, "Touch", TouchPlayer},
    {Kind::Device, "iPhone", SmartPhone},
    {Kind::Device, "TV", TvBox},
    {Kind::Device, "3GP", BarPhone},
    {Kind::Device, "MP4", KeypadSmartPhone},
    {Kind::Device, "MP4", FlipPhone},
    {Kind::Device, "MP4", StickPlayer},
    {Kind::Device, "HD MP4", WidePlayer},
    {Kind::Device, "MP4", Monitor},
    {Kind::Video, "SWF", [](QPainter &p) { FilmFrame(p, kFilmRed); }},
    {Kind::Video, "FLV", [](QPainter &p) { FilmFrame(p, kFilmOrange); }},
    {Kind::Video, "RM", [](QPainter &p) { FilmFrame(p, kFilmIndigo); }},
    {Kind::Video, "MKV", [](QPainter &p) { FilmFrame(p, kFilmTeal); }},
    {Kind::Video, "MOV", [](QPainter &p) { FilmFrame(p, kFilmGrey); }},
    {Kind::Video, "MPG", [](QPainter &p) { FilmFrame(p, kFilmBlue); }},
    {Kind::Disc, "DVD", [](QPainter &p) { Disc(p, QColor(0x7e, 0x57, 0xc2)); }},
    {Kind::Disc, "SVCD", [](QPainter &p) { Disc(p, QColor(0x26, 0xa6, 0x9a)); }},
    {Kind::Disc, "VCD", [](QPainter &p) { Disc(p, QColor(0xff, 0xa7, 0x26)); }},
    {Kind::Video, "WMV", [](QPainter &p) { FilmFrame(p, kFilmGreen); }},
    {Kind::Device, "3G2", SlidePhone},
    {Kind::Audio, "MP3", [](QPainter &p) { Notes(p, QColor(0x43, 0xa0, 0x47)); }},
    {Kind::Audio, "WMA", [](QPainter &p) { Notes(p, QColor(0x1e, 0x88, 0xe5)); }},
    {Kind::Audio, "AAC", [](QPainter &p) { Notes(p, QColor(0xe5, 0x39, 0x35)); }},
    {Kind::Audio, "AC3", Speaker},
    {Kind::Audio, "OGG", [](QPainter &p) { Notes(p, QColor(0xfb, 0x8c, 0x00)); }},
    {Kind::Audio, "MP2", [](QPainter &p) { Notes(p, QColor(0x5e, 0x35, 0xb1)); }},
    {Kind::Audio, "WAV", [](QPainter &p) { Disc(p, QColor(0x90, 0xa4, 0xae)); }},
    {Kind::Audio, "FLAC", [](QPainter &p) { Notes(p, QColor(0x00, 0x89, 0x7b)); }},
    {Kind::Audio, "RM", [](QPainter &p) { Notes(p, QColor(0x39, 0x49, 0xab)); }},
    {Kind::Audio, "AMR", PhoneWithNote},
    {Kind::Video, "MJPEG", Camcorder},
    {Kind::Video, "ASF", [](QPainter &p) { FilmFrame(p, kFilmPink); }},
};

}  // namespace

int main(int argc, char *argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication application(argc, argv);
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  int index = 0;
  for (const TIcon &icon : kIcons) {
    QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
      QPainter painter(&image);
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setRenderHint(QPainter::TextAntialiasing);
      icon.draw(painter);
      Badge(painter, icon.kind, icon.label);
    }
    const QString name = folder.filePath(QString("%1.png").arg(index++, 2, 10, QChar('0')));
    if (!image.save(name)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
      return 1;
    }
  }
  return 0;
}
