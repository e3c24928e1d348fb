#pragma once
// A byte stream with the classic read, write and seek operations; position
// and size are derived from Seek.
#include <cstdint>

namespace velmora {

enum class TSeekOrigin : int { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream {
 public:
  virtual ~TStream() = default;

  // Each returns the number of bytes done, or -1.
  virtual int Read(void *buffer, int count) = 0;
  virtual int Write(const void *buffer, int count) = 0;
  // Returns the new position, or -1.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

  std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
  // The end's position; the current position is kept.
  virtual std::int64_t Size() {
    const std::int64_t position = Seek(0, TSeekOrigin::soCurrent);
    const std::int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(position, TSeekOrigin::soBeginning);
    return size;
  }
  // A stream that cannot change its size ignores the request.
  virtual void SetSize(std::int64_t) {}
};

}  // namespace velmora
