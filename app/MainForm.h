#pragma once
// The main window as a form model: the state of every control under its
// name, the window's fields, its three converters and the handlers. The
// class is implemented over several files named by what they do; a view
// mirrors the controls into widgets and forwards the user's input to the
// handlers. One lock guards all state: handlers take it themselves, readers
// on other threads take it through Lock(). After each outermost handler the
// change listener is called, on the thread that made the change and without
// the lock held.
//
// Handlers call the converters with the lock held, and the converters log
// with their own locks held; so a log line never waits for this lock: on the
// thread that holds it the line goes straight into mmoLog, on any other one
// it waits in a small queue of its own that the next holder of the lock
// empties into mmoLog. The converters' other events are handed over to the
// merge's own thread, which handles them with the lock: a converter's thread
// never waits for it. Code that holds the lock must still not wait for the
// merge's thread or for the GUI thread, whose handlers need the lock too.
#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <string>
#include <vector>

#include "app/AppendFile.h"
#include "app/Controls.h"
#include "app/EventQueue.h"
#include "app/MediaInfoValues.h"
#include "app/MergeRun.h"
#include "app/Platform.h"
#include "app/ProgramFiles.h"
#include "app/RegistryStore.h"
#include "app/SkinLoader.h"
#include "converter/FFmpegVCL.h"
#include "converter/OptionRecords.h"
#include "libav/ProgramFolder.h"

namespace velmora {

inline constexpr int kJobSlotCount = 101;

// Slot states, compared as exact text.
inline constexpr const char *kSlotFree = "kong";
inline constexpr const char *kSlotFull = "Full";
inline constexpr const char *kSlotDeleted = "DELETED";

// Texts of the merge flags.
inline constexpr const char *kYes = "YES";
inline constexpr const char *kNo = "NO";

// Columns of the job list.
enum TJobColumn {
  kColNumber = 0,
  kColSource = 1,
  kColSourceFormat = 2,
  kColIntermediateFormat = 3,
  kColCurrentTime = 4,
  kColProgress = 5,
  kColStatus = 6,
};

// Status texts of the job list's last column.
inline constexpr const char *kStatusReady = "准备";
inline constexpr const char *kStatusConverting = "转换中...";
inline constexpr const char *kStatusPaused = "暂停";
inline constexpr const char *kStatusStopped = "停止";
inline constexpr const char *kStatusFinished = "完成";

// One entry of the job table: row i of the list is slot i.
struct TJobSlot {
  TInputOptions Input;
  TOutputOptions Intermediate;  // how the source becomes its intermediate file
  std::string SlotState = kSlotFree;
};

// The settings of the next final encode, as the texts that become engine
// option values; an empty text is "not set".
struct TOutputSettings {
  std::string VideoCodec;
  std::string VideoTag;
  std::string AudioCodec;       // or "AUTO"
  int AudioBitRate = -1;        // bit/s; -1 not set, -1000 and -2000 automatic
  std::string AudioSampleRate;  // Hz, or "AUTO"
  std::string AudioChannels;
  std::string AudioVolume;  // "256": unchanged
  int VideoBitRate = -1;    // bit/s; -1 not set, -1000 none chosen
  std::string FrameSize;    // width "*" height
  std::string FrameRate;
  std::string AspectRatio;
  std::string VideoFilters;
  std::string TargetType;  // "vcd", "svcd", "dvd"
  std::string TvNorm;      // "PAL", "NTSC"
  std::string OutputFormat;
  bool AudioOnly = false;

  bool operator==(const TOutputSettings &) const = default;
};

// The final encode's values kept aside while the sources are converted.
struct TSavedFinalSettings {
  std::string AudioChannels;
  std::string AudioSampleRate;
  int AudioBitRate = -1;
  std::string VideoCodec;
  std::string AudioCodec;
  std::string AudioVolume;
  std::string VideoTag;
  std::string TargetType;
  std::string VideoFilters;
};

// The job list's columns: header and width.
std::vector<TListColumn> JobListColumns();

// What the main window asks of the program's other windows, wired in by the
// program's start-up; an empty entry does nothing. Each is called on the GUI
// thread without the window's lock held, and returns when the window it
// shows has closed.
struct TOtherWindows {
  std::function<void()> StartupPasswordCheck;  // every time the main window is shown
  std::function<void()> ShowAbout;             // the About window TForm4
  std::function<void()> ShowUpdate;            // the online update window TForm6
  std::function<void(const TMediaInfoValues &)> ShowMediaInfo;  // TForm9
};

// The outcome of writing the script-source registration.
struct TRegistrationResult {
  bool Written = false;
  std::string Error;  // what failed, when not written
};

class TForm1 {
 public:
  // `files` says where the settings file, the temporary folder, the skins
  // and LibAV/ are; the registry store receives the script-source
  // registration.
  TForm1(TPlatform &platform, TRegistryStore &registry, const TProgramFiles &files);
  // The files of a program in `programFolder`.
  TForm1(TPlatform &platform, TRegistryStore &registry,
         const std::string &programFolder = ProgramFolder());
  ~TForm1();
  TForm1(const TForm1 &) = delete;
  TForm1 &operator=(const TForm1 &) = delete;

  // Holds the state lock (re-entrant) while it lives. Once it is held,
  // mmoLog also has the lines logged meanwhile on other threads.
  class TStateLock {
   public:
    TStateLock(TForm1 &form, bool wait);
    ~TStateLock();
    TStateLock(const TStateLock &) = delete;
    TStateLock &operator=(const TStateLock &) = delete;
    bool OwnsLock() const { return form_ != nullptr; }

   private:
    TForm1 *form_;
  };
  // For a reader on any thread.
  TStateLock Lock() { return TStateLock(*this, true); }
  // The same without waiting: it owns the state only when the lock was free
  // (or already held by the caller).
  TStateLock TryLock() { return TStateLock(*this, false); }
  // Called after every change (null: none), on the thread that made it,
  // which may hold a converter's locks: the listener must not wait for the
  // state lock. Replacing the listener waits until a call of the old one has
  // returned.
  void SetChangeListener(std::function<void()> listener);
  // Every control of the window, for views that mirror visibility and
  // availability by name.
  std::vector<TControl *> Controls();
  // The tool bar's buttons and separators, left to right.
  std::vector<TButtonState *> ToolBarButtons();
  const std::string &ProgramFolderPath() const { return files_.ProgramFolder; }
  const TProgramFiles &Files() const { return files_; }

  // ---- The window -------------------------------------------------------
  std::string Caption = "Velmora";
  TStatusBarState suiStatusBar2{"suiStatusBar2"};

  // Tool bar; ToolButton8, 9 and 10 are separators.
  TButtonState ToolButton1{"ToolButton1", "  添加  ", true, "添加要转换合并的文件"};
  TButtonState ToolButton12{"ToolButton12", "删除", true, "从列表中删除选中的文件"};
  TButtonState ToolButton2{"ToolButton2", "清空", true, "清空转换列表"};
  TButtonState ToolButton8{"ToolButton8", ""};
  TButtonState ToolButton3{"ToolButton3", "合并", true, "开始合并转换视频"};
  TButtonState ToolButton5{"ToolButton5", "暂停", true, "暂停合并视频转换"};
  TButtonState ToolButton4{"ToolButton4", "停止", true, "停止视频合并"};
  TButtonState ToolButton9{"ToolButton9", ""};
  TButtonState ToolButton6{"ToolButton6", "高级选项", true, "高级选项，设置更多的转换类型和参数"};
  TButtonState ToolButton7{"ToolButton7", "皮肤", true, "更换软件外观皮肤"};
  TButtonState ToolButton10{"ToolButton10", ""};
  TButtonState ToolButton11{"ToolButton11", "帮助", true, "软件帮助"};

  // The add button's menu.
  TButtonState N1{"N1", "添加一个视频文件"};
  TButtonState N2{"N2", "添加多个视频文件"};
  // The help menu.
  TButtonState N3{"N3", "帮助系统?"};
  TButtonState N12{"N12", "网上升级..."};
  TButtonState N9{"N9", "软件网站"};
  TButtonState N5{"N5", "作者联系信箱"};
  TButtonState N4{"N4", "关于软件"};
  // The skin menu, in menu order.
  std::vector<TButtonState> SkinMenu;
  // The window's look.
  TSkinState Skin;

  // The job list and its buttons: each working button has an inert twin
  // with the same caption that is shown while the command is unavailable.
  TListViewState AdvListView1{"AdvListView1", JobListColumns(), kColProgress};
  TButtonState Button10{"Button10", "上移"};
  TButtonState Button11{"Button11", "下移"};
  TButtonState btnClear{"btnClear", "清空"};
  TButtonState btnRemove{"btnRemove", "移除"};
  TButtonState Button10Inert{"Button10Inert", "上移"};
  TButtonState Button11Inert{"Button11Inert", "下移"};
  TButtonState btnClearInert{"btnClearInert", "清空"};
  TButtonState btnRemoveInert{"btnRemoveInert", "移除"};
  TButtonState suiButton12{"suiButton12", "信息"};

  // Output settings.
  TLabelState lblPreset{"lblPreset", "输出文件类型选择："};
  TComboBoxState suiComboBox5{"suiComboBox5"};
  TButtonState suiButton13{"suiButton13", "高级选项..."};
  TLabelState lblVideoQuality{"lblVideoQuality", "视频质量："};
  TComboBoxState suiComboBox6{"suiComboBox6"};
  TLabelState lblAudioQuality{"lblAudioQuality", "音频质量："};
  TComboBoxState suiComboBox7{"suiComboBox7"};
  TLabelState lblFrameRate{"lblFrameRate", "视频帧率："};
  TComboBoxState suiComboBox8{"suiComboBox8"};
  TLabelState lblAspect{"lblAspect", "视频长宽比："};
  TComboBoxState suiComboBox9{"suiComboBox9"};
  TLabelState lblFrameSize{"lblFrameSize", "视频宽度和高度："};
  TComboBoxState suiComboBox10{"suiComboBox10"};
  // Pictures scaled into the frame keeping their shape, black bands around.
  TCheckBoxState chkKeepAspect{"chkKeepAspect", "保持画面比例（加黑边）", true};
  TLabelState lblAfterMerge{"lblAfterMerge", "视频合并完毕后："};
  TComboBoxState suiComboBox1{"suiComboBox1"};

  // Output folder.
  TLabelState lblOutputFolder{"lblOutputFolder", "输出目录："};
  TEditState suiEdit1{"suiEdit1"};
  TButtonState suiButton3{"suiButton3", "浏览..."};
  TButtonState suiButton11{"suiButton11", "打开"};

  // Merge bar.
  TLabelState Label8{"Label8", "视频合并进度："};
  TProgressBarState suiProgressBar1{"suiProgressBar1"};

  // Hidden controls.
  TMemoState mmoLog{"mmoLog", false};
  TCheckBoxState chkThreadMode{"chkThreadMode", "Thread Mode", true, false};
  TLabelState lblFileExists{"lblFileExists", "如果输出目标文件存在：", false};
  TComboBoxState suiComboBox4{"suiComboBox4", false};
  TLabelState lblConcurrency{"lblConcurrency", "同时进行转换的文件个数：", false};
  TComboBoxState suiComboBox3{"suiComboBox3", false};
  TLabelState lblPriority{"lblPriority", "CPU占用率修改项目：", false};
  TComboBoxState suiComboBox2{"suiComboBox2", false};
  TRadioGroupState grpLogLevel{
      "grpLogLevel", "Log Level", {"None", "Error", "Info", "Debug", "All"}, 2, false};
  // Hidden twins of the merge commands.
  TButtonState btnStart{"btnStart", "Start", false};
  TButtonState btnPause{"btnPause", "Pause", false};
  TButtonState btnStop{"btnStop", "Stop", false};
  // Hidden buttons that carry the window's internal routines.
  std::vector<TButtonState> RoutineButtons;

  // The two open-file dialogs.
  TOpenDialogSpec OpenDialog1{"OpenDialog1", {}};
  TOpenDialogSpec OpenDialog2{"OpenDialog2", {}};

  // ---- Fields -----------------------------------------------------------
  std::string OutputFolder;
  TOutputSettings Settings;
  int PresetNumber = 0;      // 1..45; 0 before the first preset
  int ChosenTypeNumber = 0;  // 1..38; 0 none
  std::array<TJobSlot, kJobSlotCount> JobSlot;

  // Merge state.
  std::string JoinPhase = kNo;
  std::string Paused = kNo;
  std::string StoppedByUser = kNo;
  int TotalSeconds = 0;
  std::array<std::string, kJobSlotCount> IntermediateFiles;
  std::string JoinedFileName;
  std::string FinalOutputPath;
  TSavedFinalSettings SavedFinalSettings;
  // One chapter per source in outputs that hold chapters (the command-line
  // merge can turn it off).
  bool WriteSourceChapters = true;
  // How the last merge ended; its Count grows by one when a merge is over
  // (after its finishing action), so that a program can wait for it.
  TMergeResult LastMerge;

  // What the last information request found, for the information window.
  TMediaInfoValues MediaInfo;
  TOtherWindows Windows;

  // ---- Converters (declared last: they go first, before the state their
  // handlers write) ---------------------------------------------------------
  TFFmpegVCL SourceConverter;
  TFFmpegVCL JoinConverter;
  TFFmpegVCL ProbeConverter;

  // ---- Job list ---------------------------------------------------------
  void Button6Click();  // add one file through OpenDialog1
  void N1Click();       // the same
  void N2Click();       // add several files through OpenDialog2
  // Files dropped on the job list, added in the given order as N2 adds them.
  void AddDroppedFiles(const std::vector<std::string> &paths);
  void btnRemoveClick();
  void btnClearClick();
  void Button10Click();  // move the selected row up
  void Button11Click();  // move the selected row down
  void Button15Click();  // every slot free
  // The user selected a row (-1: none).
  void SelectRow(int row);
  // The Delete key on the job list: removes the selected row while removing
  // is available.
  void DeleteKeyDown();

  // ---- Output presets and settings --------------------------------------
  void suiComboBox5Change();
  // The user picked an entry of a box (without running its change handler).
  void SelectItem(TComboBoxState &box, int index);
  void Button30Click();  // reset all output settings
  void Button32Click();  // lock the output-settings controls
  void Button33Click();  // unlock them

  // ---- Advanced options ---------------------------------------------------
  // Opens the advanced-options wizard, whose windows live in a layer above
  // this one; set by the program's start-up (null: the buttons do nothing).
  std::function<void()> OnAdvancedOptions;
  void ToolButton6Click();   // the tool bar's "高级选项"
  void suiButton13Click();   // "高级选项..." beside the preset box

  // ---- Output folder and system actions ---------------------------------
  // Shows and uses `folder` as the output folder.
  void SetOutputFolder(const std::string &folder);
  void suiButton3Click();   // choose the output folder
  void suiButton11Click();  // open it; a failure is shown
  bool Button20Click();     // open the output folder; false when the desktop refused
  bool Button18Click();     // shut the computer down; false when refused
  TRegistrationResult Button24Click();  // write the script-source registration

  // ---- Start-up, settings and closing -------------------------------------
  // The steps of the window's creation, in their order; the program's
  // start-up runs them once, right after making the window.
  void FormCreate();
  // The window is being shown: the start-up password check.
  void FormShow();
  // Before closing: the converters' events are detached and their tasks
  // stopped. Closing is always allowed.
  bool FormCloseQuery();
  // On close: the temporary folder goes.
  void FormClose();
  void Button1Click();   // apply the stored skin
  void Button17Click();  // read the output folder from the settings file
  void Button23Click();  // empty and remove the temporary folder
  // The error box for an error that reached the application.
  void DoException(std::exception_ptr error);
  // A skin menu entry (MSNStyle1Click … xpgreen1Click): its look, then its
  // value stored.
  void SkinMenuClick(const std::string &entryName);

  // ---- Help menu -----------------------------------------------------------
  void N3Click();   // the help file
  void N12Click();  // the online update window
  void N9Click();   // the web site
  void N5Click();   // a mail to the makers
  void N4Click();   // the About window

  // ---- Media information ---------------------------------------------------
  // The selected row's file in the information window (a double click on
  // the list, or "信息").
  void AdvListView1DblClick();
  void suiButton12Click();

  // ---- Status bar hints --------------------------------------------------
  // The mouse is over the tool button `name`: its hint shows in the status bar.
  void ShowHintOf(const std::string &name);
  // The mouse left it: the hint goes.
  void ClearHint();

  // ---- Merge commands -----------------------------------------------------
  void btnStartClick();  // start, or resume when paused
  void btnPauseClick();
  void btnStopClick();  // asks first

  // ---- The merge's internal routines ---------------------------------------
  // Builds one source converter task per listed source; false when the merge
  // cannot start (the window is idle again and has said why).
  bool Button14Click();
  void Button26Click();  // joins the intermediates and starts the final encode
  void Button27Click();  // deletes the intermediates of this merge
  void Button28Click();  // intermediate settings; keeps the final values aside
  void Button29Click();  // final settings, with the values kept aside
  // Appends `source` onto `target`; on failure the caption becomes "Error".
  TAppendResult AddToFile(const std::string &target, const std::string &source);
  // The record of a source's intermediate file for this merge.
  void RefreshIntermediateOptions(TOutputOptions &record) const;
  // The final file's record, from the settings after the completions.
  TOutputOptions FinalOutputOptions() const;
  // The stored choice of chkKeepAspect, read at creation; a click stores it.
  void ReadKeepAspect();
  void chkKeepAspectClick(bool checked);
  // With chkKeepAspect: the intermediate's picture fitted into its frame
  // size with black bands where the source's shape differs.
  void FitIntermediatePicture(TOutputOptions &record, const TSourceMedia &media) const;
  // The final file's extension and the settings the output type completes.
  std::string FinalExtension() const;
  void ApplyFinalCompletions();

  // ---- The converters' events ----------------------------------------------
  void SourceConverterProgress(int AIndex, int ACurrentDuration, int ATotalOutputDuration);
  void SourceConverterTerminate(int AIndex, bool AFinished, bool AException,
                                const std::string &AMessage);
  void JoinConverterProgress(int AIndex, int ACurrentDuration);
  void JoinConverterTerminate(int AIndex, bool AFinished, bool AException,
                              const std::string &AMessage);

  // The converters' log lines, appended to mmoLog as "#" index "." level
  // ": " message; callable on any thread, never waits for the state lock.
  void ConverterLog(int AIndex, TLogLevel ALogLevel, const std::string &AMsg);

 private:
  // Holds the lock for one handler; the outermost one announces the change
  // when it ends.
  class TChange {
   public:
    explicit TChange(TForm1 &form);
    ~TChange();
    TChange(const TChange &) = delete;
    TChange &operator=(const TChange &) = delete;

   private:
    TForm1 &form_;
    std::optional<TStateLock> lock_;
  };

  void Button21Click();  // the dialogs' filter
  // The skin loader's complaint, when it has one, into the log.
  void LogSkinProblem(const std::string &problem);
  // Writes the output folder as "OutPath"; a failure goes into the log.
  void StoreOutputFolder(const std::string &folder);
  // The fallback output folder, made with its parents, stored and used.
  void UseDefaultOutputFolder();
  // Opens a file, folder or address with the desktop; says so when it cannot.
  void OpenWithDesktop(const std::string &target);
  // Reads the selected row's file into MediaInfo; false when there is none.
  bool ReadMediaInfo();
  void NotifyChanged();
  TLogLevel ChosenLogLevel() const;

  // Job list steps.
  // Loads the codec libraries when needed; false (reason in mmoLog) when they
  // cannot be loaded.
  bool PrepareSourceConverter();
  // The per-file steps of an add; false when the list has no free slot left,
  // so the files behind this one are not tried.
  bool AddSourceFile(const std::string &path);
  void AddChosenFiles(const std::vector<std::string> &paths);
  int FirstFreeSlot() const;
  // True while a slot is free; otherwise says that the list is full, so that
  // nobody picks files that cannot be added.
  bool HasRoomForMore();
  std::string IntermediateName(const std::string &source) const;
  bool IsListedSource(const std::string &path, const std::string &adding) const;
  void ReportOpenFailure(const std::string &path);
  void AddLogBlock(const std::string &line);
  void ShowInformation(const std::string &text);
  void ShowListButtons(bool available);
  void SetListCommandsAvailable(bool available);
  void MakeAddedFileCommandsAvailable();
  void RenumberRows();
  void MoveSelectedRow(int step);
  // The output-settings controls that a merge locks.
  std::vector<TControl *> OutputSettingsControls();

  // Output presets.
  void FillQualityBoxes(int presetIndex);

  // Merge steps.
  // The quality boxes' selected texts into the settings.
  void ReadQualityBoxes();
  void ApplyAudioQualityBox();
  // The final values kept aside go back into the settings.
  void RestoreSavedFinalSettings();
  // False when the tasks could not be built.
  bool FreshStart();
  void SetMergeCommands(bool start, bool pause, bool stop);
  // What a merge locks, available again; the merge commands for idle.
  void ReturnToIdle();
  // A merge that could not start or join: intermediates gone, the final
  // values back, the reason in the log and the status bar; returns the
  // message to show, after which EndAbandonedMerge makes the window idle.
  std::string AbandonMerge(const std::string &logLine, const std::string &message);
  void EndAbandonedMerge(const std::string &message);
  void MarkRows(const std::vector<std::string> &from, const std::string &to);
  void SourcePhaseEnded();
  // The end of a merge in its join phase (ended, failed or stopped).
  void JoinPhaseEnded();
  // The audio format every intermediate of this merge gets.
  void ChooseMergeAudioFormat(const TSourceMedia &first);
  // `path`, or with "(New_" and a number before its extension, so that what a
  // merge writes is never a listed source, another intermediate of this
  // merge or the final file; an existing file is reused only when
  // `reuseExisting`.
  std::string SafeOutputName(const std::string &path, bool reuseExisting) const;
  // Why the final file is not what was asked for ("" when nothing failed).
  std::string MergeFailure() const;
  // The merge's result in the status bar and the log.
  void ReportMergeResult(const std::string &message);
  void RecordMergeEnd(TMergeOutcome outcome, const std::string &message,
                      const TMergeCheckReport &check = {});
  // Shown without the lock held.
  void ShowMergeMessage(const std::string &message, bool error);
  // Connects the converters' events to the merge's handlers.
  void ConnectMergeEvents();

  TPlatform &platform_;
  TRegistryStore &registry_;
  TProgramFiles files_;
  TSkinLoader skins_;
  // Moves the lines queued by other threads into mmoLog; with the lock held.
  void TakePendingLog();

  std::recursive_mutex stateLock_;
  int lockDepth_ = 0;    // holders on the owning thread
  int changeDepth_ = 0;  // handlers running on the owning thread
  std::atomic<std::thread::id> owner_{};
  std::mutex pendingLogLock_;  // taken last, with nothing else inside
  std::vector<std::string> pendingLog_;
  std::mutex listenerLock_;
  std::function<void()> listener_;

  TMergeRun run_;               // what this merge keeps beside the named fields
  TAppendControl joinControl_;  // pauses and stops the appends
  TEventQueue mergeEvents_;     // where the converters' events are handled
  std::atomic<bool> closing_{false};  // the window goes: events change nothing
  // While a merge's run of each converter is on. Other events (a task made
  // when a file was added, ending as its row is removed) change nothing and
  // must not wait for the lock, which their sender may hold.
  std::atomic<bool> sourceRunActive_{false};
  std::atomic<bool> joinRunActive_{false};
};

}  // namespace velmora
