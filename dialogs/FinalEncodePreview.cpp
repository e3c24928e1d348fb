#include "dialogs/FinalEncodePreview.h"

#include <array>
#include <vector>

namespace velmora {

namespace {

// The fields the preset and the merge's settings routines write.
class TSettingsSnapshot {
 public:
  explicit TSettingsSnapshot(TForm1 &form)
      : form_(form),
        settings_(form.Settings),
        saved_(form.SavedFinalSettings),
        presetNumber_(form.PresetNumber) {
    for (TComboBoxState *box : Boxes()) boxes_.push_back(*box);
  }
  ~TSettingsSnapshot() {
    form_.Settings = settings_;
    form_.SavedFinalSettings = saved_;
    form_.PresetNumber = presetNumber_;
    const std::array<TComboBoxState *, kBoxes> boxes = Boxes();
    for (std::size_t i = 0; i < kBoxes; ++i) *boxes[i] = boxes_[i];
  }
  TSettingsSnapshot(const TSettingsSnapshot &) = delete;
  TSettingsSnapshot &operator=(const TSettingsSnapshot &) = delete;

 private:
  static constexpr std::size_t kBoxes = 6;
  // The preset box and the five quality boxes.
  std::array<TComboBoxState *, kBoxes> Boxes() {
    return {&form_.suiComboBox5, &form_.suiComboBox6, &form_.suiComboBox7,
            &form_.suiComboBox8, &form_.suiComboBox9, &form_.suiComboBox10};
  }

  TForm1 &form_;
  TOutputSettings settings_;
  TSavedFinalSettings saved_;
  int presetNumber_;
  std::vector<TComboBoxState> boxes_;
};

}  // namespace

TFinalEncode PreviewFinalEncode(TForm1 &mainForm, const std::function<void()> &change) {
  const TForm1::TStateLock lock = mainForm.Lock();
  const TSettingsSnapshot snapshot(mainForm);
  change();
  mainForm.Button28Click();  // the merge's start: the final values kept aside
  mainForm.Button29Click();  // its join: the final settings
  mainForm.ApplyFinalCompletions();
  return {mainForm.FinalOutputOptions(), mainForm.FinalExtension()};
}

}  // namespace velmora
