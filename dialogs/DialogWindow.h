#pragma once
// What the wizard's two windows have in common: whether the window is shown,
// and a listener that a view sets to hear of every change. Both windows are
// used on the GUI thread only.
#include <functional>
#include <utility>

namespace velmora {

class TDialogWindow {
 public:
  bool Visible = false;

  // Called after each handler that changed the window (null: none).
  void SetChangeListener(std::function<void()> listener) { listener_ = std::move(listener); }

 protected:
  void Changed() {
    if (listener_) listener_();
  }

 private:
  std::function<void()> listener_;
};

}  // namespace velmora
