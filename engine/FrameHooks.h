#pragma once
// Frame-hook plug-ins: shared libraries that see, and may change, every
// decoded picture before it is encoded. A plug-in is plain C and needs no
// header of ours; it exports
//
//   int  Configure(void **ctx, int argc, char *argv[]);   // optional
//   void Process(void *ctx, TFrameHookPicture *picture, int pix_fmt,
//                int width, int height, int64_t pts);      // required
//   void Release(void *ctx);                               // optional
//
// argv[0] is the plug-in's path, argv[1..] the words that followed it in the
// -vhook value, valid during the call only (argv[argc] is NULL). Configure is
// called whenever the library has it, and a library without it must be given
// no words but its path. Configure stores what it needs in *ctx (it starts as NULL) and
// returns 0 on success. Process gets the picture as four plane pointers then
// four line sizes (48 bytes on x86-64), the library's pixel-format id, the
// picture size and its time stamp in microseconds; it may change the pixels
// in place. Release gets the context back when the task is cleared.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "libav/LibraryPtr.h"

namespace velmora {

// The picture record handed to Process.
struct TFrameHookPicture {
  std::uint8_t *data[4];
  int linesize[4];
};

// A time range, in microseconds, in which the frame hooks run.
struct HookRange {
  std::int64_t start = 0;
  std::int64_t end = 0;
  bool operator==(const HookRange &) const = default;
};

// The plug-ins added to one engine, in the order added.
class TFrameHookList {
 public:
  TFrameHookList() = default;
  ~TFrameHookList() { Release(); }
  TFrameHookList(const TFrameHookList &) = delete;
  TFrameHookList &operator=(const TFrameHookList &) = delete;

  // Loads words[0] (once per process) and configures a new entry with all
  // words. 0 success; -1 the library cannot be loaded; -2 no words, no
  // Process, or arguments for a library without Configure; -12 no memory;
  // -22 Configure failed. Failures are written to the library log.
  int Add(const std::vector<std::string> &words);
  // Process of every entry, in the order added.
  void Run(TFrameHookPicture &picture, int pixelFormat, int width, int height, std::int64_t pts) const;
  // Release of every entry that has one, in order; the list becomes empty.
  void Release();
  bool Empty() const { return entries_.empty(); }
  std::size_t Size() const { return entries_.size(); }

 private:
  struct Entry;
  std::vector<LibraryMemoryPtr<Entry>> entries_;
};

// How many plug-in libraries this process has loaded so far (each path once).
std::size_t LoadedHookLibraryCount();

}  // namespace velmora
