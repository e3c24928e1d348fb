#include "media/EventStreamAdapter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "libav/MainThread.h"
#include "support/WorkerThread.h"

namespace velmora {
namespace {

using test::WorkerThread;

class EventStream : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(TMainThread::Init()); }
};

// A memory file behind the handlers, so a worker can use the stream like any
// other; every handler notes the thread it ran on and its sender.
TEST_F(EventStream, HandlersRunOnTheMainThreadAndAnswerTheCaller) {
  TEventStreamAdapter adapter;
  std::string data;
  std::int64_t position = 0;
  std::vector<std::thread::id> threads;
  std::vector<const TCustomEventStream *> senders;
  auto note = [&](TCustomEventStream &sender) {
    threads.push_back(std::this_thread::get_id());
    senders.push_back(&sender);
  };
  adapter.OnWrite() = [&](TCustomEventStream &sender, const void *buffer, int count) {
    note(sender);
    data.replace(position, count, static_cast<const char *>(buffer), count);
    position += count;
    return count;
  };
  adapter.OnRead() = [&](TCustomEventStream &sender, void *buffer, int count) {
    note(sender);
    const int n = std::min<int>(count, static_cast<int>(data.size() - position));
    std::memcpy(buffer, data.data() + position, n);
    position += n;
    return n;
  };
  adapter.OnSeek() = [&](TCustomEventStream &sender, std::int64_t offset, TSeekOrigin origin) {
    note(sender);
    const std::int64_t base = origin == TSeekOrigin::soBeginning ? 0
                              : origin == TSeekOrigin::soCurrent
                                  ? position
                                  : static_cast<std::int64_t>(data.size());
    return position = base + offset;
  };

  TCustomEventStream &stream = adapter.Stream();
  int written = 0, read = 0;
  std::int64_t rewound = -1, size = -1, positionAfterSize = -1;
  char buffer[16] = {};
  WorkerThread worker([&] {
    written = stream.Write("hello world", 11);
    rewound = stream.Seek(-5, TSeekOrigin::soEnd);
    size = stream.Size();
    positionAfterSize = stream.Position();
    read = stream.Read(buffer, sizeof buffer);
  });
  worker.WaitServing();

  EXPECT_EQ(written, 11);
  EXPECT_EQ(rewound, 6);
  EXPECT_EQ(size, 11);
  EXPECT_EQ(positionAfterSize, 6);
  EXPECT_EQ(read, 5);
  EXPECT_EQ(std::string(buffer, 5), "world");
  ASSERT_FALSE(threads.empty());
  for (std::thread::id id : threads) EXPECT_EQ(id, TMainThread::Id());
  for (const TCustomEventStream *sender : senders) EXPECT_EQ(sender, &stream);
}

TEST_F(EventStream, WithoutHandlersEveryOperationAnswersMinusOne) {
  TEventStreamAdapter adapter;
  // Open and close are only held: no operation calls them.
  adapter.OnOpen() = [](TCustomEventStream &, void *, const std::string &, int) {
    ADD_FAILURE() << "OnOpen was called";
    return true;
  };
  adapter.OnClose() = [](TCustomEventStream &) { ADD_FAILURE() << "OnClose was called"; };
  TCustomEventStream &stream = adapter.Stream();
  char buffer[4] = {};
  auto useAll = [&] {
    return std::vector<std::int64_t>{stream.Read(buffer, 4), stream.Write(buffer, 4),
                                     stream.Seek(0, TSeekOrigin::soBeginning), stream.Size()};
  };
  const std::vector<std::int64_t> allFailed(4, -1);
  EXPECT_EQ(useAll(), allFailed);
  std::vector<std::int64_t> fromWorker;
  WorkerThread worker([&] { fromWorker = useAll(); });
  worker.WaitServing();
  EXPECT_EQ(fromWorker, allFailed);
}

}  // namespace
}  // namespace velmora
