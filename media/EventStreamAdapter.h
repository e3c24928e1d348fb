#pragma once
// A stream whose reads, writes and seeks are answered by the application's
// event handlers, always on the main thread (TMainThread): a caller on
// another thread waits until the handler has returned there.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "media/Stream.h"

namespace velmora {

class TCustomEventStream;

using TStreamOpenEvent = std::function<bool(TCustomEventStream &sender, void *urlContext,
                                            const std::string &privateData, int flags)>;
using TStreamCloseEvent = std::function<void(TCustomEventStream &sender)>;
using TStreamReadEvent = std::function<int(TCustomEventStream &sender, void *buffer, int count)>;
using TStreamWriteEvent =
    std::function<int(TCustomEventStream &sender, const void *buffer, int count)>;
using TStreamSeekEvent = std::function<std::int64_t(TCustomEventStream &sender,
                                                    std::int64_t offset, TSeekOrigin origin)>;

class TCustomEventStream : public TStream {
 public:
  // Set the handlers on the main thread: that is the only thread that reads
  // them. OnOpen and OnClose are held for whoever wires the stream to a
  // protocol; no operation of the stream calls them.
  TStreamOpenEvent OnOpen;
  TStreamCloseEvent OnClose;
  TStreamReadEvent OnRead;
  TStreamWriteEvent OnWrite;
  TStreamSeekEvent OnSeek;

  // Each runs its handler on the main thread and returns its result; -1
  // without a handler. An exception of the handler reaches the caller.
  int Read(void *buffer, int count) override;
  int Write(const void *buffer, int count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
};

// Owns one event stream, made and freed with it; its events are the stream's.
class TEventStreamAdapter {
 public:
  TEventStreamAdapter();
  ~TEventStreamAdapter();
  TEventStreamAdapter(const TEventStreamAdapter &) = delete;
  TEventStreamAdapter &operator=(const TEventStreamAdapter &) = delete;

  TCustomEventStream &Stream() { return *stream_; }

  TStreamOpenEvent &OnOpen() { return stream_->OnOpen; }
  TStreamCloseEvent &OnClose() { return stream_->OnClose; }
  TStreamReadEvent &OnRead() { return stream_->OnRead; }
  TStreamWriteEvent &OnWrite() { return stream_->OnWrite; }
  TStreamSeekEvent &OnSeek() { return stream_->OnSeek; }

 private:
  std::unique_ptr<TCustomEventStream> stream_;
};

}  // namespace velmora
