#include "tools/JoinProgress.h"

#include <algorithm>

namespace velmora {

namespace {

constexpr const char *kConverting = "转换中...";
constexpr const char *kPaused = "暂停";
constexpr const char *kFinished = "完成";
constexpr const char *kStopped = "停止";
constexpr int kBarWidth = 24;

std::string Clock(std::chrono::seconds time) {
  const long long s = std::max<long long>(0, time.count());
  char text[24];
  std::snprintf(text, sizeof text, "%02lld:%02lld", s / 60, s % 60);
  return text;
}

double Seconds(TMergeProgress::TClock::duration d) {
  return std::chrono::duration<double>(d).count();
}

}  // namespace

void TMergeProgress::Track(TTimes &times, bool running, bool ended, TClock::time_point now) {
  if ((running || ended) && !times.Started) {
    times.Started = true;
    times.Start = now;
  }
  if (ended && !times.Ended) {
    times.Ended = true;
    times.End = now;
  }
}

std::string TMergeProgress::BarLine(const std::string &name, int percent, const TTimes &times,
                                    TClock::time_point now) const {
  percent = std::clamp(percent, 0, 100);
  const int filled = percent * kBarWidth / 100;
  std::string line = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '-') + "] ";
  char number[8];
  std::snprintf(number, sizeof number, "%3d%%", percent);
  line += number;
  if (times.Started) {
    const auto elapsed = (times.Ended ? times.End : now) - times.Start;
    line += "  " + Clock(std::chrono::duration_cast<std::chrono::seconds>(elapsed));
    if (!times.Ended && percent > 0 && percent < 100) {
      const auto left = elapsed * (100 - percent) / percent;
      line += "  left " + Clock(std::chrono::duration_cast<std::chrono::seconds>(left));
    }
  }
  return line + "  " + name;
}

TMergeProgress::TClock::time_point TMergeProgress::LastEnd(std::size_t row,
                                                           TClock::time_point now) const {
  TClock::time_point last = mergeStart_;
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (i != row && rows_[i].Ended) last = std::max(last, std::min(rows_[i].End, now));
  return last;
}

void TMergeProgress::Show(const TMergeView &view, const std::vector<std::string> &messages,
                          TClock::time_point now) {
  if (!started_) {
    started_ = true;
    mergeStart_ = now;
  }
  rows_.resize(view.Rows.size());
  for (std::size_t i = 0; i < view.Rows.size(); ++i) {
    const std::string &status = view.Rows[i].Status;
    TTimes &times = rows_[i];
    const bool wasStarted = times.Started;
    Track(times, status == kConverting || status == kPaused,
          status == kFinished || status == kStopped, now);
    // A row reports only after a while: it started when a conversion slot
    // became free, that is when the last source ended so far ended (the one
    // before it, one at a time), or with the merge when none has ended yet.
    if (!wasStarted && times.Started) times.Start = LastEnd(i, now);
  }
  const bool joinEnded = joinSeen_ && !view.Joining;
  joinSeen_ = joinSeen_ || view.Joining;
  Track(join_, view.Joining, joinEnded, now);

  if (!terminal_) {
    for (const std::string &message : messages) std::fprintf(out_, "%s\n", message.c_str());
    StepLines(view);
  } else {
    // Messages go above the bars, which are drawn again below them.
    if (drawnLines_ > 0) std::fprintf(out_, "\x1b[%dA\x1b[J", drawnLines_);
    drawnLines_ = 0;
    for (const std::string &message : messages) std::fprintf(out_, "%s\n", message.c_str());
    Redraw(view, now);
  }
  std::fflush(out_);
}

void TMergeProgress::StepLines(const TMergeView &view) {
  const std::size_t count = view.Rows.size();
  for (std::size_t i = 0; i < count; ++i) {
    TTimes &times = rows_[i];
    const std::string &status = view.Rows[i].Status;
    if (status == times.LastStatus) continue;
    times.LastStatus = status;
    const std::string prefix =
        "[" + std::to_string(i + 1) + "/" + std::to_string(count) + "] " + view.Rows[i].Name + ": ";
    char text[64] = "";
    if (status == kConverting)
      std::snprintf(text, sizeof text, "converting");
    else if (status == kPaused)
      std::snprintf(text, sizeof text, "paused");
    else if (status == kFinished)
      std::snprintf(text, sizeof text, "done in %.1f s", Seconds(times.End - times.Start));
    else if (status == kStopped)
      std::snprintf(text, sizeof text, "stopped");
    if (*text) std::fprintf(out_, "%s%s\n", prefix.c_str(), text);
  }
  const std::string joinStatus = join_.Ended ? "ended" : join_.Started ? "running" : "";
  if (joinStatus == join_.LastStatus) return;
  join_.LastStatus = joinStatus;
  if (joinStatus == "running") std::fprintf(out_, "[join] joining and converting\n");
  if (joinStatus == "ended")
    std::fprintf(out_, "[join] ended after %.1f s\n", Seconds(join_.End - join_.Start));
}

void TMergeProgress::Redraw(const TMergeView &view, TClock::time_point now) {
  for (std::size_t i = 0; i < view.Rows.size(); ++i) {
    std::fprintf(out_, "\x1b[K%s\n",
                 BarLine(view.Rows[i].Name, view.Rows[i].Progress, rows_[i], now).c_str());
    ++drawnLines_;
  }
  std::fprintf(out_, "\x1b[K%s\n", BarLine("join", view.JoinProgress, join_, now).c_str());
  ++drawnLines_;
}

void TMergeProgress::Finish(const std::string &line) {
  std::fprintf(out_, "%s\n", line.c_str());
  std::fflush(out_);
  drawnLines_ = 0;
}

}  // namespace velmora
