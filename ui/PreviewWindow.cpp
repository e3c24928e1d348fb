#include "ui/PreviewWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace velmora {

TPreviewWindow::TPreviewWindow(std::function<void()> closed)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      closed_(std::move(closed)) {
  setObjectName("Previewer");
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPreviewWindow::Show(int width, int height) {
  setFixedSize(width, height);
  if (const QScreen *screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width / 2, height / 2));
  }
  show();
}

void TPreviewWindow::SetCaption(const std::string &caption) {
  setWindowTitle(QString::fromStdString(caption));
}

void TPreviewWindow::Paint(const TBitmap &bitmap) {
  // The bitmap's rows are blue, green, red: a copy as an RGB image.
  QImage image(bitmap.Width, bitmap.Height, QImage::Format_RGB888);
  for (int y = 0; y < bitmap.Height; ++y) {
    const std::uint8_t *from = bitmap.Row(y);
    std::uint8_t *to = image.scanLine(y);
    for (int x = 0; x < bitmap.Width; ++x) {
      to[3 * x] = from[3 * x + 2];
      to[3 * x + 1] = from[3 * x + 1];
      to[3 * x + 2] = from[3 * x];
    }
  }
  picture_ = std::move(image);
  repaint();
}

void TPreviewWindow::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  if (picture_.isNull())
    painter.fillRect(rect(), Qt::black);
  else
    painter.drawImage(0, 0, picture_);
}

// A click anywhere moves the window, as a click on its caption would.
void TPreviewWindow::mousePressEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton && windowHandle() && windowHandle()->startSystemMove()) {
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

void TPreviewWindow::closeEvent(QCloseEvent *event) {
  if (closed_) closed_();
  QWidget::closeEvent(event);
}

void InstallPreviewWindows() {
  SetPreviewWindowFactory([](std::function<void()> closed) -> std::unique_ptr<IPreviewWindow> {
    return std::make_unique<TPreviewWindow>(std::move(closed));
  });
}

}  // namespace velmora
