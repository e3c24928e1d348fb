#include "support/LocalHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace velmora::test {

namespace {

int ListenOnLoopback(int &port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("no socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
      listen(fd, 8) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
    close(fd);
    throw std::runtime_error("cannot listen on 127.0.0.1");
  }
  port = ntohs(address.sin_port);
  return fd;
}

// Waits up to `ms` for `fd` to become readable; false when stopping or on time-out.
bool Readable(int fd, int ms) {
  pollfd entry{fd, POLLIN, 0};
  return poll(&entry, 1, ms) > 0;
}

bool SendAll(int fd, const char *data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

LocalHttpServer::LocalHttpServer(Behaviour behaviour, std::string body, std::int64_t hugeBytes)
    : behaviour_(behaviour), body_(std::move(body)), hugeBytes_(hugeBytes) {
  listener_ = ListenOnLoopback(port_);
  thread_ = std::thread(&LocalHttpServer::Serve, this);
}

LocalHttpServer::~LocalHttpServer() {
  stopping_ = true;
  thread_.join();
  close(listener_);
}

std::string LocalHttpServer::Url(const std::string &path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

int LocalHttpServer::UnusedPort() {
  int port = 0;
  close(ListenOnLoopback(port));
  return port;
}

void LocalHttpServer::Serve() {
  std::vector<int> held;  // connections that never get an answer
  while (!stopping_) {
    if (!Readable(listener_, 50)) continue;
    const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    if (behaviour_ == Behaviour::NeverAnswer) {
      held.push_back(connection);
      continue;
    }
    Answer(connection);
    close(connection);
  }
  for (int connection : held) close(connection);
}

void LocalHttpServer::Answer(int connection) {
  // The request itself does not matter: read what has come.
  char request[4096];
  if (Readable(connection, 2000)) recv(connection, request, sizeof request, 0);
  // A huge answer does not say its size: the client sees it only by reading.
  const std::int64_t length =
      behaviour_ == Behaviour::HugeAnswer ? hugeBytes_ : static_cast<std::int64_t>(body_.size());
  const std::string size = behaviour_ == Behaviour::HugeAnswer
                               ? std::string()
                               : "Content-Length: " + std::to_string(length) + "\r\n";
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n" + size +
                           "Connection: close\r\n\r\n";
  if (!SendAll(connection, head.data(), head.size())) return;
  if (behaviour_ == Behaviour::Answer) {
    SendAll(connection, body_.data(), body_.size());
    return;
  }
  const std::string chunk(64 * 1024, 'x');
  for (std::int64_t left = length; left > 0 && !stopping_;) {
    const std::size_t size = static_cast<std::size_t>(std::min<std::int64_t>(left, chunk.size()));
    if (!SendAll(connection, chunk.data(), size)) return;  // the client went away
    sent_ += static_cast<std::int64_t>(size);
    left -= static_cast<std::int64_t>(size);
  }
}

}  // namespace velmora::test
