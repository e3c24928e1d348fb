#pragma once
// The real preview window of a task: a small tool window on top of the
// others with only a close button, centred on the screen, its client area
// the picture's size, dragged by a click anywhere in it. Closing it ends
// previews for its task while the conversion goes on. Made, painted and
// freed on the GUI thread (the previewer hands pictures over to it there).
#include <QImage>
#include <QWidget>
#include <functional>

#include "media/Previewer.h"

namespace velmora {

class TPreviewWindow : public QWidget, public IPreviewWindow {
 public:
  explicit TPreviewWindow(std::function<void()> closed);

  void Show(int width, int height) override;
  void SetCaption(const std::string &caption) override;
  void Paint(const TBitmap &bitmap) override;

  // The picture shown last (for tests and screenshots).
  const QImage &Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

 private:
  std::function<void()> closed_;
  QImage picture_;
};

// Makes every task's previewer show its pictures in a TPreviewWindow.
void InstallPreviewWindows();

}  // namespace velmora
