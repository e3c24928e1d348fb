#pragma once
// velmora-join's report of a running merge on stderr: on a terminal a live
// bar per source and one for the join (name, percent, time so far, time
// left); otherwise one line per step.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace velmora {

// What the report shows, read from the window's model.
struct TMergeView {
  struct TRow {
    std::string Name;    // the source's file name
    std::string Status;  // the job list's status text
    int Progress = 0;
  };
  std::vector<TRow> Rows;
  bool Joining = false;  // the join phase runs
  int JoinProgress = 0;
};

class TMergeProgress {
 public:
  using TClock = std::chrono::steady_clock;

  TMergeProgress(std::FILE *out, bool terminal) : out_(out), terminal_(terminal) {}
  // Prints `messages` and what changed since the last call; the first call
  // marks the start of the merge.
  void Show(const TMergeView &view, const std::vector<std::string> &messages,
            TClock::time_point now = TClock::now());
  // The last line, below everything else.
  void Finish(const std::string &line);

 private:
  struct TTimes {
    TClock::time_point Start{}, End{};
    bool Started = false, Ended = false;
    std::string LastStatus;
  };
  std::string BarLine(const std::string &name, int percent, const TTimes &times,
                      TClock::time_point now) const;
  void Track(TTimes &times, bool running, bool ended, TClock::time_point now);
  // When the latest of the other rows' conversions ended, or the merge's
  // start when none has.
  TClock::time_point LastEnd(std::size_t row, TClock::time_point now) const;
  void StepLines(const TMergeView &view);
  void Redraw(const TMergeView &view, TClock::time_point now);

  std::FILE *out_;
  bool terminal_;
  bool started_ = false;
  TClock::time_point mergeStart_{};
  std::vector<TTimes> rows_;
  TTimes join_;
  bool joinSeen_ = false;
  int drawnLines_ = 0;
};

}  // namespace velmora
