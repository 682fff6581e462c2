// The two listening endpoints: Prometheus text exposition over a minimal
// HTTP/1.0 responder, and the SHDR adapter (pipe-delimited lines, PING/PONG,
// every current value to a client that connects, changes as they come).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "gate.h"

namespace ozgate {

namespace {

// A listening socket with an accept thread; subclasses serve each client.
class Listener : public Server {
 public:
  explicit Listener(const Listen& l) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(l.port);
    if (::inet_pton(AF_INET, l.host.c_str(), &a.sin_addr) != 1)
      throw std::runtime_error("listen address '" + l.host + "' is not a dotted IPv4 address");
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd_, 16) != 0)
      throw std::runtime_error("cannot listen on " + l.host + ":" + std::to_string(l.port) + ": " +
                               std::strerror(errno));
    socklen_t n = sizeof a;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &n);
    port_ = ntohs(a.sin_port);
  }
  ~Listener() override {
    stop_listening();
    ::close(fd_);
  }
  uint16_t port() const override { return port_; }

 protected:
  void start() { thread_ = std::thread([this] { run(); }); }
  // Ends the accept thread; derived classes call it first in their
  // destructors, so serve() never runs on a half-destroyed object.
  void stop_listening() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  virtual void serve(int client) = 0;
  bool stopping() const { return stop_; }

 private:
  void run() {
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 200) <= 0) continue;
      const int c = ::accept(fd_, nullptr, nullptr);
      if (c >= 0) serve(c);
    }
  }
  int fd_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

bool send_all(int fd, const std::string& s) {
  for (size_t at = 0; at < s.size();) {
    const ssize_t n = ::send(fd, s.data() + at, s.size() - at, MSG_NOSIGNAL);
    if (n <= 0) return false;
    at += size_t(n);
  }
  return true;
}

std::string label(const std::string& v) {
  std::string out;
  for (char c : v) {
    if (c == '\\' || c == '"') out += '\\';
    if (c == '\n') { out += "\\n"; continue; }
    out += c;
  }
  return out;
}

// ---- Prometheus ---------------------------------------------------------------

class Prometheus : public Listener {
 public:
  Prometheus(const Listen& l, const Hub& hub) : Listener(l), hub_(hub) { start(); }
  ~Prometheus() override { stop_listening(); }

 private:
  void serve(int c) override {
    char req[1024];
    pollfd p{c, POLLIN, 0};
    ssize_t n = ::poll(&p, 1, 2000) > 0 ? ::recv(c, req, sizeof req - 1, 0) : 0;
    req[n > 0 ? n : 0] = 0;
    const bool metrics = std::strncmp(req, "GET /metrics", 12) == 0;
    const std::string body = metrics ? exposition() : "not found: try /metrics\n";
    send_all(c, std::string(metrics ? "HTTP/1.0 200 OK\r\n" : "HTTP/1.0 404 Not Found\r\n") +
                    "Content-Type: text/plain; version=0.0.4\r\nContent-Length: " +
                    std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    ::close(c);
  }

  std::string exposition() const {
    std::ostringstream o;
    o << "# HELP ozlib_value Current value of a polled item.\n# TYPE ozlib_value gauge\n";
    std::ostringstream info;
    for (const Sample& s : hub_.current()) {
      const std::string labels = "controller=\"" + label(s.controller) + "\",item=\"" + label(s.item) +
                                 "\",key=\"" + label(s.key) + "\"";
      if (auto d = std::get_if<double>(&s.value))
        o << "ozlib_value{" << labels << "} " << *d << "\n";
      else
        info << "ozlib_text{" << labels << ",value=\"" << label(std::get<std::string>(s.value)) << "\"} 1\n";
    }
    o << "# HELP ozlib_text A polled text value, as a label.\n# TYPE ozlib_text gauge\n" << info.str();
    const auto stats = hub_.stats();
    auto each = [&](const char* name, const char* type, const char* help, auto value) {
      o << "# HELP " << name << " " << help << "\n# TYPE " << name << " " << type << "\n";
      for (auto& [c, st] : stats) o << name << "{controller=\"" << label(c) << "\"} " << value(st) << "\n";
    };
    each("ozlib_up", "gauge", "1 while the controller is connected.", [](auto& s) { return s.up ? 1 : 0; });
    each("ozlib_poll_errors_total", "counter", "Failed polls and connection attempts.",
         [](auto& s) { return s.errors; });
    each("ozlib_reconnects_total", "counter", "Connections made again after a failure.",
         [](auto& s) { return s.reconnects; });
    o << "# HELP ozlib_poll_seconds Time one item's read took.\n# TYPE ozlib_poll_seconds histogram\n";
    for (auto& [c, st] : stats) {
      const std::string l = "controller=\"" + label(c) + "\"";
      for (size_t i = 0; i < std::size(ControllerStats::kBounds); ++i)
        o << "ozlib_poll_seconds_bucket{" << l << ",le=\"" << ControllerStats::kBounds[i] << "\"} "
          << st.buckets[i] << "\n";
      o << "ozlib_poll_seconds_bucket{" << l << ",le=\"+Inf\"} " << st.polls << "\n";
      o << "ozlib_poll_seconds_sum{" << l << "} " << st.latency_sum << "\n";
      o << "ozlib_poll_seconds_count{" << l << "} " << st.polls << "\n";
    }
    return o.str();
  }

  const Hub& hub_;
};

// ---- SHDR ---------------------------------------------------------------------

std::string shdr_name(const Sample& s) {
  std::string n = s.controller + "_" + s.item + (s.key.empty() ? "" : "_" + s.key);
  for (char& ch : n)
    if (ch == '|' || ch == ' ' || ch == '/') ch = '_';
  return n;
}

std::string shdr_line(const Sample& s) {
  std::string v;
  if (auto d = std::get_if<double>(&s.value)) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", *d);
    v = buf;
  } else {
    v = std::get<std::string>(s.value);
    for (char& ch : v)
      if (ch == '|' || ch == '\n') ch = ' ';
  }
  return iso_time(s.ms) + "|" + shdr_name(s) + "|" + v + "\n";
}

class Shdr : public Listener, public Sink {
 public:
  Shdr(const Listen& l, Hub& hub) : Listener(l), hub_(hub), reader_([this] { read_loop(); }) {
    hub.add(this);
    start();
  }
  ~Shdr() override {
    stop_listening();
    done_ = true;
    reader_.join();
    std::lock_guard<std::mutex> g(mu_);
    for (int c : clients_) ::close(c);
  }

  void publish(const Sample& s) override { broadcast(shdr_line(s)); }
  void availability(const std::string& controller, bool online) override {
    broadcast(iso_time(now_ms()) + "|" + controller + "_avail|" + (online ? "AVAILABLE" : "UNAVAILABLE") + "\n");
  }

 private:
  void serve(int c) override {
    std::string all;
    for (const Sample& s : hub_.current()) all += shdr_line(s);
    std::lock_guard<std::mutex> g(mu_);
    if (send_all(c, all)) clients_.insert(c);
    else ::close(c);
  }
  void broadcast(const std::string& line) {
    std::lock_guard<std::mutex> g(mu_);
    for (auto it = clients_.begin(); it != clients_.end();) {
      if (send_all(*it, line)) { ++it; continue; }
      ::close(*it);
      it = clients_.erase(it);
    }
  }
  // Answers "* PING" with "* PONG <heartbeat ms>" and drops closed clients.
  void read_loop() {
    while (!done_) {
      std::vector<pollfd> fds;
      {
        std::lock_guard<std::mutex> g(mu_);
        for (int c : clients_) fds.push_back({c, POLLIN, 0});
      }
      if (fds.empty() || ::poll(fds.data(), fds.size(), 100) <= 0) {
        if (fds.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        continue;
      }
      for (const pollfd& p : fds) {
        if (!(p.revents & (POLLIN | POLLHUP | POLLERR))) continue;
        char buf[256];
        const ssize_t n = ::recv(p.fd, buf, sizeof buf, 0);
        std::lock_guard<std::mutex> g(mu_);
        if (n <= 0) {
          if (clients_.erase(p.fd)) ::close(p.fd);
        } else if (std::string(buf, size_t(n)).find("* PING") != std::string::npos) {
          send_all(p.fd, "* PONG 10000\n");
        }
      }
    }
  }

  Hub& hub_;
  std::mutex mu_;
  std::set<int> clients_;
  std::atomic<bool> done_{false};
  std::thread reader_;
};

}  // namespace

std::unique_ptr<Server> serve_prometheus(const Listen& l, const Hub& hub) {
  return std::make_unique<Prometheus>(l, hub);
}

std::unique_ptr<Server> serve_shdr(const Listen& l, Hub& hub) { return std::make_unique<Shdr>(l, hub); }

}  // namespace ozgate
