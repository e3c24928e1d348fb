#include "dialogs/AdvancedOptions.h"

#include "dialogs/ChoiceWrites.h"
#include "dialogs/FinalEncodePreview.h"
#include "dialogs/OptionLists.h"
#include "dialogs/OutputTypeTable.h"

namespace velmora {

namespace {

constexpr const char *kInformationCaption = "提示";

void Fill(TComboBoxState &box, const TListChoice &choice) { box.Fill(*choice.List, choice.Entry); }

}  // namespace

TForm8::TForm8(TForm1 &mainForm, TForm7 &chooser, TPlatform &platform, TChosenOutputCheck check)
    : main_(mainForm), chooser_(chooser), platform_(platform), check_(std::move(check)) {}

std::vector<TControl *> TForm8::Controls() {
  return {&lblVideoEncoder, &suiComboBox1,  &lblAudioEncoder, &suiComboBox5, &lblBitRate,
          &suiComboBox6,    &lblSampleRate, &suiComboBox7,    &lblChannels,  &suiComboBox10,
          &lblVolume,       &suiComboBox9,  &lblEffects,      &suiCheckBox2, &suiCheckBox3,
          &suiCheckBox4,    &suiButton1,    &suiButton2};
}

void TForm8::Show() {
  Visible = true;
  FormShow();
  Changed();
}

void TForm8::FormShow() {
  Button3Click();
  Button2Click();
}

void TForm8::Button3Click() {
  for (TComboBoxState *box :
       {&suiComboBox1, &suiComboBox5, &suiComboBox6, &suiComboBox7, &suiComboBox10, &suiComboBox9})
    box->Clear();
  for (TCheckBoxState *box : {&suiCheckBox2, &suiCheckBox3, &suiCheckBox4}) box->Checked = false;
  const TForm1::TStateLock lock = main_.Lock();
  main_.Settings.VideoFilters.clear();
  main_.Settings.VideoTag.clear();
}

void TForm8::Button2Click() {
  Button7Click();
  const TForm1::TStateLock lock = main_.Lock();
  const TOutputType *type = FindOutputType(main_.ChosenTypeNumber);
  if (!type) return;
  Fill(suiComboBox1, type->VideoEncoders);
  Fill(suiComboBox5, type->AudioEncoders);
  FillAudioBoxes(type->BitRates, type->SampleRates, type->Channels);
  suiComboBox9.Fill(kVolumeEntries, kVolumeUnchangedEntry);
  if (type->AudioOnly) Button6Click();
  if (*type->OutputFormat) main_.Settings.OutputFormat = type->OutputFormat;
  DiscTarget = type->DiscTarget;
}

void TForm8::FillAudioBoxes(const TListChoice &bitRates, const TListChoice &sampleRates,
                            const TListChoice &channels) {
  Fill(suiComboBox6, bitRates);
  Fill(suiComboBox7, sampleRates);
  Fill(suiComboBox10, channels);
}

void TForm8::SetVideoControlsEnabled(bool enabled) {
  for (TControl *control : std::initializer_list<TControl *>{&suiComboBox1, &suiCheckBox2,
                                                             &suiCheckBox3, &suiCheckBox4})
    control->Enabled = enabled;
}

void TForm8::Button7Click() {
  SetVideoControlsEnabled(true);
  OutputKind = kVideoKind;
  DiscTarget.clear();
  const TForm1::TStateLock lock = main_.Lock();
  main_.Settings.OutputFormat.clear();
  main_.Settings.TvNorm.clear();
}

void TForm8::Button6Click() {
  SetVideoControlsEnabled(false);
  OutputKind = kMusicKind;
}

void TForm8::SelectItem(TComboBoxState &box, int index) {
  box.Select(index);
  if (&box == &suiComboBox5) suiComboBox5Change();
  Changed();
}

void TForm8::SetChecked(TCheckBoxState &box, bool checked) {
  box.Checked = checked;
  Changed();
}

void TForm8::suiComboBox5Change() {
  int typeNumber;
  {
    const TForm1::TStateLock lock = main_.Lock();
    typeNumber = main_.ChosenTypeNumber;
  }
  const TOutputType *type = FindOutputType(typeNumber);
  if (!type || !type->AudioEncoderRefills) return;
  if (suiComboBox5.Text == kAmrEncoder)
    FillAudioBoxes(kAmrBitRates, kAmrSampleRates, kAmrChannels);
  else
    FillAudioBoxes(type->BitRates, type->SampleRates, type->Channels);
}

void TForm8::suiButton1Click() { Button4Click(); }

void TForm8::suiButton2Click() {
  Visible = false;
  Changed();
  chooser_.ShowAgain();
}

void TForm8::WriteChoices(TOutputSettings &settings) const {
  WriteDialogChoices({.Channels = suiComboBox10.Text,
                      .SampleRate = suiComboBox7.Text,
                      .BitRate = suiComboBox6.Text,
                      .VideoEncoder = suiComboBox1.Text,
                      .HorizontalFlip = suiCheckBox2.Checked,
                      .VerticalFlip = suiCheckBox3.Checked,
                      .Negative = suiCheckBox4.Checked,
                      .AudioEncoder = suiComboBox5.Text,
                      .DiscTarget = DiscTarget,
                      .AudioOnly = OutputKind == kMusicKind,
                      .Volume = suiComboBox9.Text},
                     settings);
}

TChosenOutput TForm8::ChosenOutput() {
  TChosenOutput chosen;
  chosen.Encode = PreviewFinalEncode(main_, [this] {
    WriteChoices(main_.Settings);
    Button8Click();
  });
  chosen.VideoEncoderEntry = suiComboBox1.Text;
  chosen.AudioEncoderEntry = suiComboBox5.Text;
  return chosen;
}

bool TForm8::Button4Click() {
  if (check_) {
    const std::string refusal = check_(ChosenOutput());
    if (!refusal.empty()) {
      platform_.MessageBox(refusal, kInformationCaption, TMsgButtons::Ok, TMsgIcon::Information);
      return false;
    }
  }
  {
    // The choices and the preset reach the main window together.
    const TForm1::TStateLock lock = main_.Lock();
    WriteChoices(main_.Settings);
    Button8Click();
  }
  chooser_.Close();
  Visible = false;
  Changed();
  return true;
}

void TForm8::Button8Click() {
  const TForm1::TStateLock lock = main_.Lock();
  if (const TOutputType *type = FindOutputType(main_.ChosenTypeNumber))
    main_.SelectItem(main_.suiComboBox5, type->Preset);
  main_.suiComboBox5Change();
}

}  // namespace velmora
