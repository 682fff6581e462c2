// ozgate: polls controllers through the public C interface and publishes
// their values to MQTT, a Prometheus endpoint and an SHDR adapter.
//
// One poller thread per controller (library handles belong to their thread)
// reads its items when they fall due and hands every sample to the Hub. The
// Hub keeps the current value of each sample, decides what changed (or is due
// for the periodic full refresh) and passes that on to the sinks; it also
// keeps the counters and latency histograms the Prometheus endpoint shows.
#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

namespace ozgate {

// ---- configuration -------------------------------------------------------------

enum class Kind { Status, Mode, Feed, Spindle, Positions, Alarms, Messages, Macro, Param, Program, Pmc };

struct Item {
  std::string name;          // topic and metric name of the item
  Kind kind = Kind::Status;
  double interval = 1.0;     // seconds between polls
  int number = 0;            // macro variable or parameter number
  int axis = 0;              // parameter axis (0: none)
  std::string address;       // PMC: "R100", "D10", "X0.3"
  int width = 1;             // PMC item bytes: 1, 2 or 4
  std::string unit;          // shown beside the value
};

struct Controller {
  std::string name;
  std::string host = "127.0.0.1";
  uint16_t port = 8193;
  int path = 0;              // 0: the controller's default
  int timeout = 5;           // seconds
  std::vector<Item> items;
};

struct MqttConfig {
  bool enabled = false;
  std::string host = "127.0.0.1";
  int port = 1883;
  int qos = 1;
  int keepalive = 30;
  std::string prefix = "ozlib";
  std::string client_id = "ozgate";
  std::string username, password;
  std::string tls_ca, tls_cert, tls_key;   // passed to the MQTT library as they are
};

struct Listen {
  bool enabled = false;
  std::string host = "127.0.0.1";
  uint16_t port = 0;         // 0: pick a free port (printed at start)
};

struct Config {
  double refresh = 300;      // seconds between full republishes
  MqttConfig mqtt;
  Listen prometheus, shdr;
  std::vector<Controller> controllers;
};

// Reads a TOML file; throws std::runtime_error naming the file, the line and
// what is wrong.
Config load_config(const std::string& path);
Kind kind_of(const std::string& text);   // throws for an unknown kind

// ---- samples and the hub ------------------------------------------------------

using Value = std::variant<double, std::string>;

struct Sample {
  std::string controller, item, key;   // key: axis name etc., empty for a single value
  Value value;
  std::string unit;
  int64_t ms = 0;                      // wall-clock milliseconds since the epoch
  std::string topic() const { return controller + "/" + item + (key.empty() ? "" : "/" + key); }
};

std::string json_payload(const Sample& s);
std::string iso_time(int64_t ms);
int64_t now_ms();

// Something values are published to.
class Sink {
 public:
  virtual ~Sink() = default;
  virtual void publish(const Sample& s) = 0;
  virtual void availability(const std::string& controller, bool online) = 0;
};

struct ControllerStats {
  uint64_t polls = 0, errors = 0, reconnects = 0;
  bool up = false;
  // Poll latency histogram: counts of polls at or below each bound.
  static constexpr double kBounds[] = {0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5};
  uint64_t buckets[std::size(kBounds)] = {};
  double latency_sum = 0;
};

class Hub {
 public:
  explicit Hub(double refresh_s) : refresh_ms_(int64_t(refresh_s * 1000)) {}
  void add(Sink* s) { sinks_.push_back(s); }

  // A polled value: passed on when it changed or its refresh is due.
  void offer(const Sample& s);
  void availability(const std::string& controller, bool online);
  void poll_done(const std::string& controller, double seconds);
  void poll_failed(const std::string& controller);
  void reconnected(const std::string& controller);

  // Snapshots for the endpoints, taken under the hub's lock.
  std::vector<Sample> current() const;
  std::map<std::string, ControllerStats> stats() const;
  uint64_t published() const { return published_; }

 private:
  struct Slot {
    Sample last;
    int64_t sent_ms = 0;
  };
  mutable std::mutex mu_;
  int64_t refresh_ms_;
  std::map<std::string, Slot> values_;
  std::map<std::string, ControllerStats> stats_;
  std::vector<Sink*> sinks_;
  std::atomic<uint64_t> published_{0};
};

// ---- polling --------------------------------------------------------------------

// Reads one item on an open handle into samples; returns the library's result
// code (0 on success) and the function that gave it.
struct ReadResult {
  int16_t code = 0;
  const char* function = "";
};
ReadResult read_item(uint16_t h, const Controller& c, const Item& it, std::vector<Sample>& out);

// Polls one controller until stop is set: connects (with back-off after a
// failure), reads each item when due, reconnects after a broken circuit.
void poll_controller(const Controller& c, Hub& hub, const std::atomic<bool>& stop);

// ---- outputs ----------------------------------------------------------------------

std::unique_ptr<Sink> make_mqtt(const MqttConfig& cfg, const std::vector<Controller>& controllers);

// A listening TCP server on its own thread; port() is the bound port.
class Server {
 public:
  virtual ~Server() = default;
  virtual uint16_t port() const = 0;
};
std::unique_ptr<Server> serve_prometheus(const Listen& l, const Hub& hub);
// The SHDR adapter is also a sink: it pushes changes to connected clients.
std::unique_ptr<Server> serve_shdr(const Listen& l, Hub& hub);

}  // namespace ozgate
