#include "media/Previewer.h"

#include <cstdio>
#include <mutex>

#include "libav/FFmpegHeaders.h"
#include "libav/MainThread.h"

namespace velmora {

namespace {

struct FactorySlot {
  std::mutex lock;
  TPreviewWindowFactory factory;
};

FactorySlot &Slot() {
  static FactorySlot slot;
  return slot;
}

}  // namespace

void SetPreviewWindowFactory(TPreviewWindowFactory factory) {
  FactorySlot &slot = Slot();
  std::lock_guard<std::mutex> guard(slot.lock);
  slot.factory = std::move(factory);
}

std::string PreviewCaption(std::int64_t pts) {
  if (pts == AV_NOPTS_VALUE) return "N/A";
  const std::int64_t ms = pts / 1000;
  char text[48];
  std::snprintf(text, sizeof text, "%.2d:%.2d:%.2d.%.3d", static_cast<int>(ms / 3600000),
                static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60),
                static_cast<int>(ms % 1000));
  return text;
}

TPreviewer::TPreviewer() {
  FactorySlot &slot = Slot();
  std::lock_guard<std::mutex> guard(slot.lock);
  factory_ = slot.factory;
}

TPreviewer::~TPreviewer() {
  if (window_) TMainThread::Synchronize([this] { ClosePreview(); });
}

bool TPreviewer::ShowFrame(const TBitmap &bitmap, int frameNumber, std::int64_t pts) {
  if (closed_) return false;
  bitmap_ = &bitmap;
  frameNumber_ = frameNumber;
  pts_ = pts;
  TMainThread::Synchronize([this] { PaintFrame(); });
  bitmap_ = nullptr;
  return !closed_;
}

void TPreviewer::PaintFrame() {
  if (closed_ || !bitmap_) return;
  if (!window_) {
    if (factory_) window_ = factory_([this] { closed_ = true; });
    if (!window_) {
      closed_ = true;
      return;
    }
    window_->Show(bitmap_->Width, bitmap_->Height);
  }
  window_->SetCaption(PreviewCaption(pts_));
  window_->Paint(*bitmap_);
}

void TPreviewer::ClosePreview() { window_.reset(); }

}  // namespace velmora
