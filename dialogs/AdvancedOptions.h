#pragma once
// The second window of the advanced-options wizard, "选项设置": encoders,
// audio bit rate, sample rate, channels, volume and picture effects for the
// output type chosen in the first window. "确定" writes the choices into the
// main window's output settings and applies the type's preset there;
// "取消" goes back to the chooser. Used on the GUI thread only.
#include <string>
#include <vector>

#include "app/Controls.h"
#include "app/MainForm.h"
#include "app/OutputPresetTable.h"
#include "app/Platform.h"
#include "dialogs/ChosenOutput.h"
#include "dialogs/DialogWindow.h"
#include "dialogs/OutputFormatChooser.h"

namespace velmora {

// OutputKind of a video type and of an audio type.
inline constexpr const char *kVideoKind = "Vedio";
inline constexpr const char *kMusicKind = "Music";

class TForm8 : public TDialogWindow {
 public:
  // `check` judges a choice before "确定" writes it (null: every choice is
  // taken).
  TForm8(TForm1 &mainForm, TForm7 &chooser, TPlatform &platform, TChosenOutputCheck check = {});

  std::string Caption = "选项设置";
  TLabelState lblVideoEncoder{"lblVideoEncoder", "视频编码器："};
  TComboBoxState suiComboBox1{"suiComboBox1"};
  TLabelState lblAudioEncoder{"lblAudioEncoder", "音频编码器："};
  TComboBoxState suiComboBox5{"suiComboBox5"};
  TLabelState lblBitRate{"lblBitRate", "音频比特率："};
  TComboBoxState suiComboBox6{"suiComboBox6"};
  TLabelState lblSampleRate{"lblSampleRate", "音频采样率："};
  TComboBoxState suiComboBox7{"suiComboBox7"};
  TLabelState lblChannels{"lblChannels", "声道设置："};
  TComboBoxState suiComboBox10{"suiComboBox10"};
  TLabelState lblVolume{"lblVolume", "音量调节："};
  TComboBoxState suiComboBox9{"suiComboBox9"};
  TLabelState lblEffects{"lblEffects", "视频滤镜："};
  TCheckBoxState suiCheckBox2{"suiCheckBox2", "视频图像水平翻转", false};
  TCheckBoxState suiCheckBox3{"suiCheckBox3", "视频图像垂直翻转", false};
  TCheckBoxState suiCheckBox4{"suiCheckBox4", "视频显示底片效果", false};
  TButtonState suiButton1{"suiButton1", "确定"};
  TButtonState suiButton2{"suiButton2", "取消"};

  std::string OutputKind;  // kVideoKind or kMusicKind
  std::string DiscTarget;  // "dvd", "svcd", "vcd" or ""

  std::vector<TControl *> Controls();

  // Shows the window: FormShow.
  void Show();
  void FormShow();
  void Button3Click();  // clear
  void Button2Click();  // fill by type
  void Button7Click();  // enable the video controls
  void Button6Click();  // disable them
  // The user picks an entry of one of the boxes; the audio encoder box then
  // runs its change handler.
  void SelectItem(TComboBoxState &box, int index);
  void SetChecked(TCheckBoxState &box, bool checked);
  void suiComboBox5Change();  // the audio encoder changed
  void suiButton1Click();     // "确定"
  void suiButton2Click();     // "取消"
  // Writes the choices and applies the type's preset; false (nothing
  // written) when the check refused them.
  bool Button4Click();
  void Button8Click();  // apply the type's preset in the main window

 private:
  // The choices written into `settings`, steps 1 to 9 of "确定".
  void WriteChoices(TOutputSettings &settings) const;
  // What the next merge would encode after "确定".
  TChosenOutput ChosenOutput();
  void FillAudioBoxes(const TListChoice &bitRates, const TListChoice &sampleRates,
                      const TListChoice &channels);
  void SetVideoControlsEnabled(bool enabled);

  TForm1 &main_;
  TForm7 &chooser_;
  TPlatform &platform_;
  TChosenOutputCheck check_;
};

}  // namespace velmora
