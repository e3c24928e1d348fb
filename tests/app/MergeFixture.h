#pragma once
// The main window's model ready for real merges: helpers that run a merge
// and wait for its end, hold a converter's event until the test lets it go,
// read a file's checksum and probe an output with the ffmpeg tools.
#include <condition_variable>
#include <functional>
#include <mutex>

#include "FormFixture.h"

namespace velmora::test {

// Holds the thread of the first event that passes it until Open(); the test
// waits for Reached() in between.
class EventGate {
 public:
  ~EventGate() { Open(); }
  // Called by the event: blocks the first caller until Open().
  void Pass();
  bool Reached() const;
  void Open();

 private:
  mutable std::mutex lock_;
  std::condition_variable opened_;
  bool reached_ = false;
  bool open_ = false;
};

class MergeFixture : public FormFixture {
 protected:
  void SetUp() override;

  // Presses "合并" and waits until the merge has ended.
  TMergeResult Merge();
  // Waits (serving the main thread) until `done`, read with the model
  // locked, holds; fails the test after a generous time.
  bool WaitFor(const std::function<bool()> &done);
  // Waits for the end of the merge that follows `count` merges.
  TMergeResult WaitForMergeEnd(int count);
  TMergeResult Result();
  std::string Out(const std::string &name) const;
  // A copy of a 20-second 320x240 source, long enough for progress
  // reports while it is converted.
  std::string LongSource(const std::string &name) const;
  // Progress reports every 100 ms, so that a long source reports while
  // it is converted.
  void ReportOften();

  static std::string Checksum(const std::string &path);
  // The container's name as the ffmpeg tools give it ("avi", "matroska,webm").
  static std::string FormatName(const std::string &path);
  // The value of one entry of ffprobe's stream list for the first stream of
  // a type ("video" or "audio"), for example "sample_rate".
  static std::string StreamEntry(const std::string &path, const std::string &type,
                                 const std::string &entry);
};

}  // namespace velmora::test
