// The job list: adding sources (each opened once by the source converter,
// given an intermediate file and a job slot), removing, clearing and moving
// rows, and which list commands are available.
#include <algorithm>
#include <charconv>
#include <climits>
#include <filesystem>

#include "app/MainForm.h"
#include "libav/FFmpegHeaders.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr const char *kListFullMessage = "列表已满，无法再加入文件！请先清空列表后再添加。";

// The extension of a path's file name with its dot ("" without a dot).
std::string Extension(const std::string &path) {
  const std::string name = fs::path(path).filename().string();
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

// The file name without the extension after its last dot.
std::string BaseName(const std::string &path) {
  const std::string name = fs::path(path).filename().string();
  return name.substr(0, name.rfind('.'));
}

std::string AsciiUpper(std::string text) {
  for (char &c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// The format column's text: the extension without its dot, upper-cased.
std::string FormatColumn(const std::string &path) {
  const std::string extension = Extension(path);
  return AsciiUpper(extension.empty() ? extension : extension.substr(1));
}

bool IsDatFile(const std::string &path) { return AsciiUpper(Extension(path)) == ".DAT"; }

// The whole number a setting holds, or -1 (not set) when it holds none.
int Number(const std::string &text) {
  int value = -1;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() ? value : -1;
}

struct TTextCode {
  const char *Text;
  int Code;
};
constexpr TTextCode kTargetCodes[] = {{"vcd", 1}, {"svcd", 2}, {"dvd", 3}};
constexpr TTextCode kNormCodes[] = {{"PAL", 1}, {"NTSC", 2}};

// The code of a text; 0 for any other text.
template <std::size_t N>
int CodeOf(const TTextCode (&table)[N], const std::string &text) {
  for (const TTextCode &entry : table)
    if (text == entry.Text) return entry.Code;
  return 0;
}

using S = TOutputSettings;
using O = TOutputOptions;

// The window's output settings that an intermediate record takes over, each
// only under its condition.
struct TSettingCopy {
  bool (*Applies)(const S &);
  void (*Copy)(const S &, O &);
};

bool Always(const S &) { return true; }

const TSettingCopy kIntermediateCopies[] = {
    {[](const S &s) { return !s.AudioChannels.empty(); },
     [](const S &s, O &o) { o.AudioChannels = Number(s.AudioChannels); }},
    {[](const S &s) { return !s.AudioSampleRate.empty() && s.AudioSampleRate != "AUTO"; },
     [](const S &s, O &o) { o.AudioSampleRate = Number(s.AudioSampleRate); }},
    {[](const S &s) { return !s.FrameSize.empty(); },
     [](const S &s, O &o) { o.FrameSize = s.FrameSize; }},
    {[](const S &s) { return !s.FrameRate.empty(); },
     [](const S &s, O &o) { o.FrameRate = s.FrameRate; }},
    {[](const S &s) { return !s.TargetType.empty(); },
     [](const S &s, O &o) { o.Target = CodeOf(kTargetCodes, s.TargetType); }},
    {Always, [](const S &s, O &o) { o.TargetNorm = CodeOf(kNormCodes, s.TvNorm); }},
    {[](const S &s) { return s.AudioVolume != "256"; },
     [](const S &s, O &o) { o.AudioVolume = Number(s.AudioVolume); }},
    {Always, [](const S &s, O &o) { o.DisableVideo = s.AudioOnly; }},
    {[](const S &s) { return !s.AspectRatio.empty(); },
     [](const S &s, O &o) { o.AspectRatio = s.AspectRatio; }},
    {[](const S &s) { return s.VideoBitRate != -1000; },
     [](const S &s, O &o) { o.VideoBitrate = s.VideoBitRate; }},
    {[](const S &s) { return s.AudioBitRate != -1000 && s.AudioBitRate != -2000; },
     [](const S &s, O &o) { o.AudioBitrate = s.AudioBitRate; }},
    {[](const S &s) { return !s.OutputFormat.empty(); },
     [](const S &s, O &o) { o.FileFormat = s.OutputFormat; }},
    {[](const S &s) { return !s.VideoFilters.empty(); },
     [](const S &s, O &o) { o.VideoFilters = s.VideoFilters; }},
    {[](const S &s) { return !s.VideoTag.empty(); },
     [](const S &s, O &o) { o.VideoTag = s.VideoTag; }},
    {[](const S &s) { return !s.VideoCodec.empty(); },
     [](const S &s, O &o) { o.VideoCodec = s.VideoCodec; }},
    {[](const S &s) { return !s.AudioCodec.empty() && s.AudioCodec != "AUTO"; },
     [](const S &s, O &o) { o.AudioCodec = s.AudioCodec; }},
};

void CopySettings(const TOutputSettings &settings, TOutputOptions &record) {
  for (const TSettingCopy &copy : kIntermediateCopies)
    if (copy.Applies(settings)) copy.Copy(settings, record);
}

// The input's duration in microseconds; 0 when the container does not tell it.
std::int64_t KnownDuration(const AVFormatContext *context) {
  if (!context || context->duration == AV_NOPTS_VALUE || context->duration <= 0) return 0;
  return context->duration;
}

bool SameFile(const std::string &a, const std::string &b) {
  std::error_code error;
  if (fs::equivalent(a, b, error)) return true;
  return fs::weakly_canonical(a, error) == fs::weakly_canonical(b, error);
}

bool Exists(const fs::path &path) {
  std::error_code error;
  return fs::exists(path, error);
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
    if (!Exists(path)) continue;
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
  CopySettings(Settings, intermediate);
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
  if (Extension(path) != ".avs") {
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
  const std::string base = BaseName(source);
  const fs::path plain = folder / (base + ".mpg");
  // Only an explicit "overwrite" choice reuses an existing file, and never
  // when that file is a source of the list or the one being added.
  const bool overwrite = suiComboBox4.ItemIndex == 1;
  if (!IsListedSource(plain.string(), source) && (overwrite || !Exists(plain)))
    return plain.string();
  for (int n = 1;; ++n) {
    const fs::path numbered = folder / (base + "(New_" + std::to_string(n) + ").mpg");
    if (!Exists(numbered) && !IsListedSource(numbered.string(), source)) return numbered.string();
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
