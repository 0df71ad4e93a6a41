// A small HTTP server on 127.0.0.1 for tests of the web client: each request path gets a canned
// response, one connection at a time, on a port the system picks; unknown paths get 404.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace atelion::testing_support {

inline std::string HttpResponse(const std::string& statusLine, const std::string& headers, const std::string& body,
                                bool withLength = true) {
  std::string response = "HTTP/1.1 " + statusLine + "\r\nConnection: close\r\n" + headers;
  if (withLength) response += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  return response + "\r\n" + body;
}

/// The loopback server must be reached directly, never through a proxy from the environment.
inline void BypassProxies() {
  ::setenv("no_proxy", "*", 1);
  ::setenv("NO_PROXY", "*", 1);
}

class LoopbackServer {
 public:
  explicit LoopbackServer(std::map<std::string, std::string> responses) : responses_(std::move(responses)) {
    listener_ = ListenOnLoopback(port_);
    thread_ = std::thread([this] { Serve(); });
  }

  ~LoopbackServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
  }

  std::string Address(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
  int Port() const { return port_; }

  /// The head of every request received so far (request line and headers), in order.
  std::vector<std::string> Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }

  /// An address on the loopback interface where nothing listens: connecting is refused.
  static std::string RefusingAddress(const std::string& path) {
    int port = 0;
    ::close(ListenOnLoopback(port));
    return "http://127.0.0.1:" + std::to_string(port) + path;
  }

 private:
  static int ListenOnLoopback(int& port) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 8) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("cannot listen on the loopback interface");
    }
    port = ntohs(address.sin_port);
    return listener;
  }

  void Serve() {
    while (!stop_) {
      pollfd waiting{listener_, POLLIN, 0};
      if (::poll(&waiting, 1, 50) <= 0) continue;
      const int connection = ::accept(listener_, nullptr, nullptr);
      if (connection < 0) continue;
      timeval timeout{5, 0};
      ::setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
      Answer(connection);
      ::close(connection);
    }
  }

  void Answer(int connection) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
      const ssize_t received = ::recv(connection, buffer, sizeof buffer, 0);
      if (received <= 0) return;
      request.append(buffer, static_cast<std::size_t>(received));
    }
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(request.substr(0, request.find("\r\n\r\n")));
    }
    // "GET /path HTTP/1.1"
    const std::size_t pathStart = request.find(' ') + 1;
    const std::string path = request.substr(pathStart, request.find(' ', pathStart) - pathStart);
    const auto found = responses_.find(path);
    const std::string response =
        found != responses_.end() ? found->second : HttpResponse("404 Not Found", "", "no such file");
    std::size_t sent = 0;
    while (sent < response.size()) {
      // The client may hang up early (size cap): no SIGPIPE, just stop.
      const ssize_t count = ::send(connection, response.data() + sent, response.size() - sent, MSG_NOSIGNAL);
      if (count <= 0) return;
      sent += static_cast<std::size_t>(count);
    }
  }

  std::map<std::string, std::string> responses_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
};

}  // namespace atelion::testing_support
