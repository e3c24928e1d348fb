// The job list: adding sources (each opened once by the source converter,
// given an intermediate file and a job slot), removing, clearing and moving
// rows, and which list commands are available.
#include <algorithm>
#include <climits>
#include <filesystem>

#include "app/FileNames.h"
#include "app/MainForm.h"
#include "app/OutputRecords.h"
#include "app/SourceMedia.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr const char *kListFullMessage = "列表已满，无法再加入文件！请先清空列表后再添加。";

// The format column's text: the extension without its dot, upper-cased.
std::string FormatColumn(const std::string &path) {
  const std::string extension = FileExtension(path);
  return AsciiUpper(extension.empty() ? extension : extension.substr(1));
}

}  // namespace

// ---- Adding -----------------------------------------------------------------

void TForm1::Button6Click() {
  TChange change(*this);
  if (!PrepareSourceConverter() || !HasRoomForMore()) return;
  const std::vector<std::string> chosen = platform_.OpenFiles(OpenDialog1);
  if (!chosen.empty()) AddChosenFiles({chosen.front()});
}

void TForm1::N1Click() { Button6Click(); }

void TForm1::N2Click() {
  TChange change(*this);
  if (!PrepareSourceConverter() || !HasRoomForMore()) return;
  AddChosenFiles(platform_.OpenFiles(OpenDialog2));
}

void TForm1::AddDroppedFiles(const std::vector<std::string> &paths) {
  TChange change(*this);
  // While a merge runs the list takes no files.
  if (paths.empty() || !ToolButton1.Enabled) return;
  if (!PrepareSourceConverter()) return;
  AddChosenFiles(paths);
}

bool TForm1::PrepareSourceConverter() {
  SourceConverter.SetLogLevel(ChosenLogLevel());
  if (SourceConverter.LibrariesLoaded()) return true;
  if (SourceConverter.LoadLibraries(files_.LibraryFolder())) return true;
  mmoLog.Lines.push_back(SourceConverter.LastError());
  return false;
}

void TForm1::AddChosenFiles(const std::vector<std::string> &paths) {
  for (const std::string &path : paths) {
    if (!FileExists(path)) continue;
    if (!AddSourceFile(path)) return;
  }
}

int TForm1::FirstFreeSlot() const {
  for (int i = 0; i < kJobSlotCount; ++i)
    if (JobSlot[i].SlotState == kSlotFree) return i;
  return -1;
}

bool TForm1::HasRoomForMore() {
  if (FirstFreeSlot() >= 0) return true;
  ShowInformation(kListFullMessage);
  return false;
}

bool TForm1::AddSourceFile(const std::string &path) {
  const int slot = FirstFreeSlot();
  if (slot < 0) return HasRoomForMore();
  TInputOptions input;
  InitInputOptions(input);
  input.FileName = path;
  if (IsDatFile(path)) input.ForceFormat = "mpeg";
  const int task = SourceConverter.CreateTask(path, &input);
  if (task < 0) {
    ReportOpenFailure(path);
    return true;
  }
  const std::int64_t durationUs = KnownDuration(SourceConverter.TaskInputContext(task));

  TOutputOptions intermediate;
  InitOutputOptions(intermediate);
  const std::string name = IntermediateName(path);
  Settings.AudioVolume = "256";
  intermediate.FileName = name;
  CopyOutputSettings(Settings, intermediate);
  // Exact milliseconds, so that no source loses the fraction of its last
  // second; an unknown duration sets no limit.
  if (durationUs > 0)
    intermediate.DurationMs = static_cast<int>(std::min<std::int64_t>(durationUs / 1000, INT_MAX));

  const std::string output = (fs::path(OutputFolder) / fs::path(name).filename()).string();
  if (!SourceConverter.SetTaskOutput(task, output, &intermediate)) {
    SourceConverter.DeleteTask(task);
    AddLogBlock("***Cannot convert: " + SourceConverter.LastError());
    return true;
  }

  const int row = AdvListView1.AddRow({std::to_string(task + 1), path, FormatColumn(path),
                                       FormatColumn(name), "0", "", kStatusReady});
  input.StartTimeMs = 0;
  JobSlot[slot] = {input, intermediate, kSlotFull};
  AdvListView1.SelectAndFocus(row);
  AddLogBlock("装入成功.");
  MakeAddedFileCommandsAvailable();
  return true;
}

void TForm1::ReportOpenFailure(const std::string &path) {
  AddLogBlock("***文件打开失败: " + SourceConverter.LastError());
  if (FileExtension(path) != ".avs") {
    ShowInformation("无法识别的音频或视频文件！" + path);
    return;
  }
  const TRegistrationResult registration = Button24Click();
  if (registration.Written)
    ShowInformation("该文件类型注册成功！请重新加入该文件即可！");
  else
    platform_.MessageBox("该文件类型注册失败：" + registration.Error, "错误", TMsgButtons::Ok,
                         TMsgIcon::Error);
}

std::string TForm1::IntermediateName(const std::string &source) const {
  const fs::path folder(OutputFolder);
  const std::string base = FileBaseName(source);
  const fs::path plain = folder / (base + ".mpg");
  // Only an explicit "overwrite" choice reuses an existing file, and never
  // when that file is a source of the list or the one being added.
  const bool overwrite = suiComboBox4.ItemIndex == 1;
  if (!IsListedSource(plain.string(), source) && (overwrite || !FileExists(plain.string())))
    return plain.string();
  for (int n = 1;; ++n) {
    const fs::path numbered = folder / (base + "(New_" + std::to_string(n) + ").mpg");
    if (!FileExists(numbered.string()) && !IsListedSource(numbered.string(), source))
      return numbered.string();
  }
}

bool TForm1::IsListedSource(const std::string &path, const std::string &adding) const {
  if (SameFile(path, adding)) return true;
  return std::any_of(JobSlot.begin(), JobSlot.end(), [&](const TJobSlot &slot) {
    return slot.SlotState == kSlotFull && SameFile(path, slot.Input.FileName);
  });
}

void TForm1::AddLogBlock(const std::string &line) {
  mmoLog.Lines.insert(mmoLog.Lines.end(), {"", line, ""});
}

void TForm1::ShowInformation(const std::string &text) {
  platform_.MessageBox(text, "提示", TMsgButtons::Ok, TMsgIcon::Information);
}

// ---- Availability ---------------------------------------------------------------

void TForm1::ShowListButtons(bool available) {
  for (TButtonState *working : {&Button10, &Button11, &btnClear, &btnRemove})
    working->Visible = available;
  for (TButtonState *inert : {&Button10Inert, &Button11Inert, &btnClearInert, &btnRemoveInert})
    inert->Visible = !available;
}

void TForm1::SetListCommandsAvailable(bool available) {
  for (TButtonState *button : {&ToolButton12, &ToolButton2, &ToolButton3})
    button->Enabled = available;
  ShowListButtons(available);
}

void TForm1::MakeAddedFileCommandsAvailable() {
  for (TControl *control : std::initializer_list<TControl *>{
           &ToolButton12, &suiButton3, &suiComboBox2, &suiComboBox3, &suiComboBox4})
    control->Enabled = true;
  Button33Click();
  SetListCommandsAvailable(true);
}

// ---- Removing, clearing, moving ---------------------------------------------------

void TForm1::RenumberRows() {
  for (int row = 0; row < AdvListView1.RowCount(); ++row)
    AdvListView1.Rows[row].Columns[kColNumber] = std::to_string(row + 1);
}

void TForm1::btnRemoveClick() {
  TChange change(*this);
  const int k = AdvListView1.Selected;
  if (!AdvListView1.ValidRow(k)) {
    ShowInformation("请先选择您需要删除的项目！");
    return;
  }
  if (k < SourceConverter.TaskCount()) SourceConverter.DeleteTask(k);
  AdvListView1.DeleteRow(k);
  // The removed record moves to the end of the table and stays out of use
  // until the list is cleared.
  JobSlot[k].SlotState = kSlotDeleted;
  for (int i = k; i < kJobSlotCount - 1; ++i) std::swap(JobSlot[i], JobSlot[i + 1]);
  RenumberRows();
  const int rows = AdvListView1.RowCount();
  AdvListView1.SelectAndFocus(k < rows ? k : k - 1);
  SetListCommandsAvailable(rows > 0);
}

void TForm1::btnClearClick() {
  TChange change(*this);
  Button30Click();
  suiProgressBar1.Position = 0;
  SourceConverter.RemoveAllTasks();
  AdvListView1.Clear();
  for (TButtonState *add : {&ToolButton1, &N1, &N2}) add->Enabled = true;
  SetListCommandsAvailable(false);
  Button15Click();
}

void TForm1::Button15Click() {
  TChange change(*this);
  for (TJobSlot &slot : JobSlot) slot.SlotState = kSlotFree;
}

void TForm1::MoveSelectedRow(int step) {
  TChange change(*this);
  const int k = AdvListView1.Selected;
  const int j = k + step;
  if (!AdvListView1.ValidRow(k) || !AdvListView1.ValidRow(j)) return;
  std::swap(AdvListView1.Rows[k], AdvListView1.Rows[j]);
  // The selection follows the moved source, so that it can be moved on.
  AdvListView1.SelectAndFocus(j);
  std::swap(JobSlot[k], JobSlot[j]);
  RenumberRows();
}

void TForm1::Button10Click() { MoveSelectedRow(-1); }

void TForm1::Button11Click() { MoveSelectedRow(+1); }

void TForm1::SelectRow(int row) {
  TChange change(*this);
  AdvListView1.Selected = AdvListView1.ValidRow(row) ? row : -1;
  AdvListView1.Focused = AdvListView1.Selected;
}

void TForm1::DeleteKeyDown() {
  TChange change(*this);
  if (ToolButton12.Enabled && AdvListView1.ValidRow(AdvListView1.Selected)) btnRemoveClick();
}

}  // namespace velmora
