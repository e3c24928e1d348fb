#include "dialogs/OutputFormatChooser.h"

#include <algorithm>

#include "dialogs/OutputTypeTable.h"

namespace velmora {

namespace {

constexpr const char *kNothingChosenMessage = "请选择一个要转换的类型！";
constexpr const char *kInformationCaption = "提示";

// The entry the chooser opens on for a preset index; -1 when none names it.
int EntryPreselectedFor(int presetIndex) {
  for (int entry = 0; entry < kOutputTypeCount; ++entry) {
    const std::vector<int> &presets = kOutputTypes[entry].PreselectedFor;
    if (std::find(presets.begin(), presets.end(), presetIndex) != presets.end()) return entry;
  }
  return -1;
}

}  // namespace

TForm7::TForm7(TForm1 &mainForm, TPlatform &platform) : main_(mainForm), platform_(platform) {
  FormCreate();
}

void TForm7::Show() {
  Visible = true;
  FormShow();
  Changed();
}

void TForm7::Close() {
  Visible = false;
  Changed();
}

void TForm7::ShowAgain() {
  Visible = true;
  Changed();
}

void TForm7::FormCreate() { Button2Click(); }

void TForm7::Button2Click() {
  suiListView1.Clear();
  for (const TOutputType &type : kOutputTypes)
    suiListView1.Rows.push_back(TListRow{{type.Caption}, -1, type.Icon});
  Select(0);
}

void TForm7::FormShow() { Button8Click(); }

void TForm7::Button8Click() {
  int presetNumber;
  {
    const TForm1::TStateLock lock = main_.Lock();
    presetNumber = main_.PresetNumber;
  }
  if (presetNumber == 0) return;
  const int entry = EntryPreselectedFor(presetNumber - 1);
  if (entry >= 0) Select(entry);
}

void TForm7::Select(int entry) {
  suiListView1.Selected = suiListView1.ValidRow(entry) ? entry : -1;
  suiListView1.Focused = suiListView1.Selected;
  suiListView1SelectItem();
  Changed();
}

void TForm7::suiListView1SelectItem() {
  const TForm1::TStateLock lock = main_.Lock();
  main_.ChosenTypeNumber = suiListView1.Selected + 1;
}

void TForm7::suiButton1Click() {
  if (suiListView1.Selected < 0) {
    platform_.MessageBox(kNothingChosenMessage, kInformationCaption, TMsgButtons::Ok,
                         TMsgIcon::Information);
    return;
  }
  Visible = false;
  Changed();
  if (OnShowOptions) OnShowOptions();
}

void TForm7::suiListView1DblClick() { suiButton1Click(); }

void TForm7::suiButton2Click() { Close(); }

}  // namespace velmora
