#pragma once
// The preview window of one task: the task's thread hands it encoded pictures,
// the main thread draws them. The window itself sits behind IPreviewWindow so
// that the core includes no GUI toolkit; the GUI installs a factory that makes
// real windows.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "libav/Bitmap.h"

namespace velmora {

// A small always-on-top tool window with only a close button, centred on the
// screen, that the user can drag by clicking anywhere in it. All calls come on
// the main thread.
class IPreviewWindow {
 public:
  virtual ~IPreviewWindow() = default;
  // Shows the window with a client area of exactly width × height.
  virtual void Show(int width, int height) = 0;
  virtual void SetCaption(const std::string &caption) = 0;
  // Draws the bitmap at the client area's top-left corner.
  virtual void Paint(const TBitmap &bitmap) = 0;
};

// Makes a window on the main thread; `closed` is to be called (on the main
// thread) when the user closes it. Returns null when no window can be made.
using TPreviewWindowFactory =
    std::function<std::unique_ptr<IPreviewWindow>(std::function<void()> closed)>;

// The factory every previewer made from now on uses; null (the default)
// means no window can be shown, and previews stop at their first picture.
void SetPreviewWindowFactory(TPreviewWindowFactory factory);

// The caption of a preview: "N/A" for a missing time stamp, otherwise
// hh:mm:ss.mmm of `pts` in microseconds.
std::string PreviewCaption(std::int64_t pts);

class TPreviewer {
 public:
  TPreviewer();
  // Closes the window on the main thread.
  ~TPreviewer();
  TPreviewer(const TPreviewer &) = delete;
  TPreviewer &operator=(const TPreviewer &) = delete;

  // Task thread: shows the picture and waits until it is drawn. False once
  // the user has closed the window (or no window could be made).
  bool ShowFrame(const TBitmap &bitmap, int frameNumber, std::int64_t pts);
  // Main thread: makes the window on first use, sets the caption, draws.
  void PaintFrame();
  // Main thread: frees the window.
  void ClosePreview();
  bool Closed() const { return closed_; }

 private:
  TPreviewWindowFactory factory_;
  std::unique_ptr<IPreviewWindow> window_;
  std::atomic<bool> closed_{false};
  const TBitmap *bitmap_ = nullptr;
  int frameNumber_ = 0;
  std::int64_t pts_ = 0;
};

}  // namespace velmora
