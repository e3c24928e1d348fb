// velmora-join: the merge without a display. It builds the main window's
// model with command-line platform services, fills the controls a user
// would (preset, quality boxes, after-the-merge box, output folder, files)
// and presses the same buttons: "合并", and "停止" on Ctrl+C.
//   velmora-join [options] FILE...     velmora-join --list-presets [N]
// Exit status: 0 when the output exists and passed its check, 1 when the
// merge or the check failed, 2 for a malformed command line, 130 after
// Ctrl+C (a second Ctrl+C ends the program at once).
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "app/MainForm.h"
#include "libav/MainThread.h"
#include "tools/CommandLinePlatform.h"
#include "tools/CopyJoin.h"
#include "tools/JoinArguments.h"
#include "tools/JoinProgress.h"

namespace {

namespace fs = std::filesystem;
using namespace velmora;

constexpr int kUsageStatus = 2;
constexpr int kFailedStatus = 1;
constexpr int kInterruptedStatus = 130;
constexpr auto kRedrawInterval = std::chrono::milliseconds(250);

std::atomic<bool> gInterrupted{false};

// Ctrl+C is taken by a thread of its own: the first asks for a stop, the
// second ends the program at once. Called before any other thread exists,
// so that every thread leaves SIGINT to it.
void WatchInterrupts() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread([set] {
    for (int count = 0;;) {
      int signal = 0;
      if (sigwait(&set, &signal) != 0) continue;
      if (count++ > 0) _exit(kInterruptedStatus);
      gInterrupted = true;
      TMainThread::NotifyWaiters();
    }
  }).detach();
}

int OnlineProcessors() {
  const long count = sysconf(_SC_NPROCESSORS_ONLN);
  return count > 0 ? static_cast<int>(count) : 1;
}

int UsageError(const std::string &message) {
  std::fprintf(stderr, "velmora-join: %s\n%s", message.c_str(), JoinUsage());
  return kUsageStatus;
}

struct TBoxChoice {
  const char *Option;
  std::string TJoinArguments::*Value;
  TComboBoxState TForm1::*Box;
};
const TBoxChoice kBoxChoices[] = {
    {"--video-quality", &TJoinArguments::VideoQuality, &TForm1::suiComboBox6},
    {"--audio-quality", &TJoinArguments::AudioQuality, &TForm1::suiComboBox7},
    {"--frame-rate", &TJoinArguments::FrameRate, &TForm1::suiComboBox8},
    {"--aspect", &TJoinArguments::Aspect, &TForm1::suiComboBox9},
    {"--size", &TJoinArguments::FrameSize, &TForm1::suiComboBox10},
};

// The after-the-merge box's entry for each --after value.
struct TAfterChoice {
  const char *Value;
  int Entry;
};
constexpr TAfterChoice kAfterChoices[] = {{"none", 0}, {"shutdown", 1}, {"open", 2}};

void ApplyPreset(TForm1 &form, int preset) {
  form.SelectItem(form.suiComboBox5, preset);
  form.suiComboBox5Change();
}

// Entries that start with no number are listed with their place.
bool Numbered(const std::vector<std::string> &entries) {
  for (const std::string &entry : entries)
    if (!entry.empty() && entry[0] >= '0' && entry[0] <= '9') return true;
  return false;
}

int ListPresets(TForm1 &form, const std::string &which) {
  const std::vector<std::string> names = form.suiComboBox5.Items;
  if (which.empty()) {
    for (std::size_t i = 0; i < names.size(); ++i) std::printf("%2zu  %s\n", i, names[i].c_str());
    return 0;
  }
  const int preset = MatchPreset(names, which);
  if (preset < 0) return UsageError("unknown preset '" + which + "'");
  ApplyPreset(form, preset);
  std::printf("%d  %s\n", preset, names[preset].c_str());
  for (const TBoxChoice &choice : kBoxChoices) {
    const TComboBoxState &box = form.*choice.Box;
    std::printf("%s (* default):\n", choice.Option);
    const bool numbered = Numbered(box.Items);
    for (std::size_t i = 0; i < box.Items.size(); ++i) {
      const char *mark = static_cast<int>(i) == box.ItemIndex ? "*" : " ";
      if (numbered)
        std::printf("  %s %s\n", mark, box.Items[i].c_str());
      else
        std::printf("  %s %zu  %s\n", mark, i + 1, box.Items[i].c_str());
    }
  }
  return 0;
}

std::string Joined(const std::vector<std::string> &entries) {
  std::string text;
  for (const std::string &entry : entries) text += "\n  " + entry;
  return text;
}

TMergeView ViewOf(TForm1 &form) {
  auto lock = form.Lock();
  TMergeView view;
  for (const TListRow &row : form.AdvListView1.Rows)
    view.Rows.push_back({fs::path(row.Columns[kColSource]).filename().string(),
                         row.Columns[kColStatus], std::max(row.Progress, 0)});
  view.Joining = form.JoinPhase == kYes;
  view.JoinProgress = form.suiProgressBar1.Position;
  return view;
}

std::string OutputLine(const TMergeResult &result) {
  char text[96];
  std::snprintf(text, sizeof text, ", duration %.2f s, size %lld bytes",
                static_cast<double>(result.Check.durationUs) / 1e6,
                static_cast<long long>(result.Check.sizeBytes));
  return "output: " + result.OutputPath + text;
}

// Why sources were not added: the log's failure lines, or its last line.
void PrintAddFailures(TForm1 &form) {
  auto lock = form.Lock();
  bool printed = false;
  for (const std::string &line : form.mmoLog.Lines) {
    if (line.rfind("***", 0) != 0) continue;
    std::fprintf(stderr, "%s\n", line.c_str());
    printed = true;
  }
  if (!printed && !form.mmoLog.Lines.empty())
    std::fprintf(stderr, "%s\n", form.mmoLog.Lines.back().c_str());
}

int RunMerge(TForm1 &form, TCommandLinePlatform &platform) {
  std::atomic<bool> changed{false};
  form.SetChangeListener([&changed] {
    changed = true;
    TMainThread::NotifyWaiters();
  });
  TMergeProgress progress(stderr, isatty(STDERR_FILENO) != 0);
  form.btnStartClick();
  bool stopAsked = false;
  for (;;) {
    TMainThread::WaitWhileServing(
        [&] { return changed.exchange(false) || (gInterrupted && !stopAsked); }, kRedrawInterval);
    progress.Show(ViewOf(form), platform.TakeMessages());
    TMergeResult result;
    {
      auto lock = form.Lock();
      result = form.LastMerge;
    }
    if (result.Count > 0) {
      form.SetChangeListener(nullptr);
      progress.Show(ViewOf(form), platform.TakeMessages());
      if (result.Outcome == TMergeOutcome::Done) {
        progress.Finish(OutputLine(result));
        return 0;
      }
      if (result.Outcome == TMergeOutcome::Stopped) {
        progress.Finish("stopped");
        return gInterrupted ? kInterruptedStatus : kFailedStatus;
      }
      progress.Finish(result.Message);
      return kFailedStatus;
    }
    if (gInterrupted && !stopAsked) {
      stopAsked = true;
      form.btnStopClick();
    }
  }
}

// The output folder with its missing parents; says why not.
bool MakeOutputFolder(const fs::path &folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (fs::is_directory(folder, error)) return true;
  std::fprintf(stderr, "velmora-join: cannot make the output folder %s\n", folder.c_str());
  return false;
}

// The join without re-encoding: its exit status, or -1 when the sources do
// not allow it and `orMerge` asks for the normal merge instead.
int JoinByCopy(const std::vector<std::string> &files, const fs::path &folder,
               const std::string &output, bool orMerge) {
  const std::string mismatch = CopyJoinMismatch(files, fs::path(output).extension().string());
  if (!mismatch.empty()) {
    std::fprintf(stderr, "velmora-join: cannot join without re-encoding: %s\n", mismatch.c_str());
    if (orMerge) {
      std::fprintf(stderr, "velmora-join: merging with re-encoding instead\n");
      return -1;
    }
    return kUsageStatus;
  }
  for (const std::string &file : files) {
    std::error_code error;
    if (fs::equivalent(file, output, error)) {
      std::fprintf(stderr, "velmora-join: the output %s is one of the sources\n", output.c_str());
      return kFailedStatus;
    }
  }
  if (!MakeOutputFolder(folder)) return kFailedStatus;
  std::fprintf(stderr, "[copy] joining %zu files without re-encoding\n", files.size());
  const TCopyJoinResult result = CopyJoin(files, output);
  std::error_code error;
  if (!result.Finished) {
    fs::remove(output, error);  // a part of a file, made by this join
    std::fprintf(stderr, "velmora-join: the join failed: %s\n", result.Error.c_str());
    return kFailedStatus;
  }
  std::fprintf(stderr, "output: %s, duration %.2f s, size %lld bytes\n", output.c_str(),
               static_cast<double>(result.DurationUs) / 1e6,
               static_cast<long long>(fs::file_size(output, error)));
  return 0;
}

int Join(const TJoinArguments &args) {
  TCommandLinePlatform platform(args.After == "shutdown");
  TRegistryStore registry(kMachineRegistryFile);
  TForm1 form(platform, registry);
  if (args.ListPresets) return ListPresets(form, args.ListedPreset);

  const int preset = MatchPreset(form.suiComboBox5.Items, args.Preset.empty() ? "0" : args.Preset);
  if (preset < 0)
    return UsageError("unknown preset '" + args.Preset +
                      "' (velmora-join --list-presets lists them)");
  ApplyPreset(form, preset);
  for (const TBoxChoice &choice : kBoxChoices) {
    const std::string &value = args.*choice.Value;
    if (value.empty()) continue;
    TComboBoxState &box = form.*choice.Box;
    const int entry = MatchBoxEntry(box.Items, value);
    if (entry < 0)
      return UsageError("'" + value + "' is not an entry of " + choice.Option + " for preset " +
                        std::to_string(preset) + "; its entries are:" + Joined(box.Items));
    form.SelectItem(box, entry);
  }
  form.WriteSourceChapters = !args.NoChapters;
  // Sources converted at once: the concurrency box's entry (1 to 10 files).
  const int processors = OnlineProcessors();
  const int jobs = args.Jobs.empty() ? processors : CountOf("--jobs", args.Jobs);
  const int entries = static_cast<int>(form.suiComboBox3.Items.size());
  form.SelectItem(form.suiComboBox3, std::min(jobs, entries) - 1);
  form.JoinConverter.SetCodecThreads(args.Threads.empty() ? processors
                                                          : CountOf("--threads", args.Threads));
  // For this merge only: the window's stored choice stays as it is.
  form.chkKeepAspect.Checked = args.Fit == "pad";
  for (const TAfterChoice &after : kAfterChoices)
    if (args.After == after.Value) form.SelectItem(form.suiComboBox1, after.Entry);

  std::vector<std::string> files;
  for (const std::string &file : args.Files) {
    std::error_code error;
    if (!fs::is_regular_file(file, error)) return UsageError("no such file: " + file);
    files.push_back(fs::absolute(file).lexically_normal().string());
  }
  const fs::path folder =
      fs::absolute(args.OutputFolder.empty() ? fs::current_path() : fs::path(args.OutputFolder))
          .lexically_normal();
  if (!args.Copy.empty()) {
    std::string problem;
    if (!LoadCopyJoinLibraries(problem)) {
      std::fprintf(stderr, "velmora-join: %s\n", problem.c_str());
      return kFailedStatus;
    }
    const std::string output =
        (folder / ("ALL_" + fs::path(files[0]).stem().string() + form.FinalExtension())).string();
    if (const int status = JoinByCopy(files, folder, output, args.Copy == "auto"); status >= 0)
      return status;
  }

  if (!MakeOutputFolder(folder)) return kFailedStatus;
  form.SetOutputFolder(folder.string());

  form.AddDroppedFiles(files);
  for (const std::string &message : platform.TakeMessages())
    std::fprintf(stderr, "%s\n", message.c_str());
  if (form.AdvListView1.RowCount() != static_cast<int>(files.size())) {
    PrintAddFailures(form);
    std::fprintf(stderr, "velmora-join: not every file could be added; nothing was joined\n");
    return kFailedStatus;
  }
  if (gInterrupted) return kInterruptedStatus;
  return RunMerge(form, platform);
}

}  // namespace

int main(int argc, char *argv[]) {
  TJoinArguments args;
  try {
    args = ReadJoinArguments(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const TUsageError &error) {
    return UsageError(error.what());
  }
  if (args.Help) {
    std::fputs(JoinUsage(), stdout);
    return 0;
  }
  WatchInterrupts();
  TMainThread::Init();
  return Join(args);
}
