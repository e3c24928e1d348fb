#include "converter/FFmpegList.h"

namespace velmora {

EListError::EListError(int index)
    : std::out_of_range("List index out of bounds (" + std::to_string(index) + ")") {}

int TFFmpegList::Add(std::unique_ptr<TFFmpeg> task) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  const int index = static_cast<int>(tasks_.size());
  task->Index = index;
  tasks_.push_back(std::move(task));
  count_ = static_cast<int>(tasks_.size());
  return index;
}

TFFmpeg &TFFmpegList::Get(int index) const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (index < 0 || index >= static_cast<int>(tasks_.size())) throw EListError(index);
  return *tasks_[index];
}

std::unique_ptr<TFFmpeg> TFFmpegList::Extract(int index) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (index < 0 || index >= static_cast<int>(tasks_.size())) throw EListError(index);
  std::unique_ptr<TFFmpeg> task = std::move(tasks_[index]);
  tasks_.erase(tasks_.begin() + index);
  for (int i = index; i < static_cast<int>(tasks_.size()); ++i) tasks_[i]->Index = i;
  count_ = static_cast<int>(tasks_.size());
  return task;
}

std::vector<std::unique_ptr<TFFmpeg>> TFFmpegList::ExtractAll() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  std::vector<std::unique_ptr<TFFmpeg>> all = std::move(tasks_);
  tasks_.clear();
  count_ = 0;
  return all;
}

TFFmpeg *TFFmpegList::FindByThread(std::thread::id thread) const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  for (const auto &task : tasks_)
    if (task->ThreadId == thread) return task.get();
  return nullptr;
}

std::vector<TFFmpeg *> TFFmpegList::Tasks() const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  std::vector<TFFmpeg *> tasks;
  for (const auto &task : tasks_) tasks.push_back(task.get());
  return tasks;
}

}  // namespace velmora
