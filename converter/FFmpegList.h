#pragma once
// The component's task list: it owns its tasks, and every access holds the
// list's own lock.
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "converter/FFmpegTask.h"

namespace velmora {

// The list's error for a task index outside the list.
class EListError : public std::out_of_range {
 public:
  explicit EListError(int index);
};

class TFFmpegList {
 public:
  // Appends the task and gives it its position as index.
  int Add(std::unique_ptr<TFFmpeg> task);
  // The task at `index`; raises EListError ("List index out of bounds (%d)").
  TFFmpeg &Get(int index) const;
  // Takes the task out of the list; later tasks move up and are renumbered.
  std::unique_ptr<TFFmpeg> Extract(int index);
  std::vector<std::unique_ptr<TFFmpeg>> ExtractAll();
  // The task whose thread is `thread`, or null.
  TFFmpeg *FindByThread(std::thread::id thread) const;
  // A snapshot of the tasks in list order (the list keeps owning them).
  std::vector<TFFmpeg *> Tasks() const;
  // The count cached after the last change.
  int Count() const { return count_; }

 private:
  mutable std::recursive_mutex lock_;
  std::vector<std::unique_ptr<TFFmpeg>> tasks_;
  std::atomic<int> count_{0};
};

}  // namespace velmora
