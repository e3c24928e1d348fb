#include "media/EventStreamAdapter.h"

#include "libav/MainThread.h"

namespace velmora {

namespace {

// Runs `handler` on the main thread; the handler is looked at there too, so
// handlers set on the main thread are never read concurrently.
template <typename Result, typename Handler, typename... Args>
Result RunOnMainThread(const Handler &handler, Args &&...args) {
  Result result = -1;
  TMainThread::Synchronize([&] {
    if (handler) result = handler(args...);
  });
  return result;
}

}  // namespace

int TCustomEventStream::Read(void *buffer, int count) {
  return RunOnMainThread<int>(OnRead, *this, buffer, count);
}

int TCustomEventStream::Write(const void *buffer, int count) {
  return RunOnMainThread<int>(OnWrite, *this, buffer, count);
}

std::int64_t TCustomEventStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  return RunOnMainThread<std::int64_t>(OnSeek, *this, offset, origin);
}

TEventStreamAdapter::TEventStreamAdapter() : stream_(std::make_unique<TCustomEventStream>()) {}

TEventStreamAdapter::~TEventStreamAdapter() = default;

}  // namespace velmora
