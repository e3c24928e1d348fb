#pragma once
// A web server of the tests on 127.0.0.1, on a port of its own: it answers
// every request the same way, until it is stopped.
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace velmora::test {

class LocalHttpServer {
 public:
  enum class Behaviour {
    Answer,        // 200 with the body
    NeverAnswer,   // accepts, reads the request, then says nothing
    HugeAnswer,    // 200 with `hugeBytes` of text, its size not announced
  };

  explicit LocalHttpServer(Behaviour behaviour, std::string body = {},
                           std::int64_t hugeBytes = 50ll * 1024 * 1024);
  // Stops and closes every connection.
  ~LocalHttpServer();
  LocalHttpServer(const LocalHttpServer &) = delete;
  LocalHttpServer &operator=(const LocalHttpServer &) = delete;

  int Port() const { return port_; }
  std::string Url(const std::string &path = "/update.ini") const;
  // Bytes of body sent so far (HugeAnswer).
  std::int64_t BodyBytesSent() const { return sent_; }

  // A port on which nobody listens (taken and given back at once).
  static int UnusedPort();

 private:
  void Serve();
  void Answer(int connection);

  Behaviour behaviour_;
  std::string body_;
  std::int64_t hugeBytes_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<std::int64_t> sent_{0};
  std::thread thread_;
};

}  // namespace velmora::test
