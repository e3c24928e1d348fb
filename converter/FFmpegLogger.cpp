#include "converter/FFmpegLogger.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <thread>
#include <unordered_map>

#include "libav/FFmpegLoader.h"
#include "libav/LibraryLogLevel.h"

namespace velmora {

namespace {

// Each thread's unfinished last line, with a lock of its own that is never
// held while lines are delivered.
class TPendingLines {
 public:
  std::string Take(std::thread::id thread) {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = lines_.find(thread);
    if (it == lines_.end()) return {};
    std::string text = std::move(it->second);
    lines_.erase(it);
    return text;
  }
  void Keep(std::thread::id thread, std::string text) {
    if (text.empty()) return;
    std::lock_guard<std::mutex> guard(lock_);
    lines_[thread] = std::move(text);
  }
  void Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    lines_.clear();
  }

 private:
  std::mutex lock_;
  std::unordered_map<std::thread::id, std::string> lines_;
};

TPendingLines &PendingLines() {
  static TPendingLines lines;
  return lines;
}

// "[name @ 00007F...]" for a message that starts a line and has a context.
std::string ContextPrefix(void *context) {
  const AVClass *cls = *static_cast<const AVClass *const *>(context);
  if (!cls) return {};
  const char *name = cls->item_name ? cls->item_name(context) : cls->class_name;
  char address[32];
  std::snprintf(address, sizeof address, "%016" PRIXPTR, reinterpret_cast<std::uintptr_t>(context));
  return std::string("[") + (name ? name : "") + " @ " + address + "]";
}

// The message formatted with the C printf rules, whole: the cut to the line
// buffer is made per line afterwards, so that no line feed is lost.
std::string Formatted(const char *format, va_list arguments) {
  if (!format) return {};
  char buffer[kLogLineBufferSize];
  va_list copy;
  va_copy(copy, arguments);
  const int written = std::vsnprintf(buffer, sizeof buffer, format, copy);
  va_end(copy);
  if (written <= 0) return {};
  if (static_cast<std::size_t>(written) < sizeof buffer) return std::string(buffer, written);
  std::string text(static_cast<std::size_t>(written) + 1, '\0');
  va_copy(copy, arguments);
  std::vsnprintf(text.data(), text.size(), format, copy);
  va_end(copy);
  text.resize(written);
  return text;
}

// Lines and the unfinished rest are cut to what the line buffer holds; a
// cut never swallows a line feed, so the next line still starts afresh.
std::string Bounded(std::string text) {
  if (text.size() > kLogLineBufferSize - 1) text.resize(kLogLineBufferSize - 1);
  return text;
}

}  // namespace

TComponentRegistry &TComponentRegistry::Instance() {
  static TComponentRegistry registry;
  return registry;
}

void TComponentRegistry::Add(TLogLineTarget *target) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  targets_.push_back(target);
}

void TComponentRegistry::Remove(TLogLineTarget *target) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  targets_.erase(std::remove(targets_.begin(), targets_.end(), target), targets_.end());
}

void LibraryLogCallback(void *context, int level, const char *format, va_list arguments) {
  const int engineLevel = EngineLevelFromLibrary(level);
  if (level == AV_LOG_QUIET || engineLevel > LibraryLogThreshold()) return;

  TComponentRegistry &registry = TComponentRegistry::Instance();
  std::lock_guard<std::recursive_mutex> guard(registry.Lock());
  const std::thread::id thread = std::this_thread::get_id();
  std::string text = PendingLines().Take(thread);
  if (text.empty() && context) text = ContextPrefix(context);
  text += Formatted(format, arguments);

  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = Bounded(text.substr(start, end - start));
    for (TLogLineTarget *target : registry.Targets()) target->DeliverLibraryLine(engineLevel, line);
  }
  PendingLines().Keep(thread, Bounded(text.substr(start)));
}

void InstallLibraryLogCallback() { TFFmpegLoader::Instance().SetLogCallback(LibraryLogCallback); }

void ClearPendingLines() { PendingLines().Clear(); }

}  // namespace velmora
