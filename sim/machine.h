// The simulated controller behind ozsim: state a real controller keeps,
// answered from that state over the fake controller's server.
//
// Each family of requests lives in its own file, sim/<family>.cpp, and plugs
// in with OZ_SIM_FAMILY: its installer runs for every Machine, registers the
// family's RB handlers and keeps the family's state in m.state<T>(). Nothing
// central changes when a family is added.
//
//   struct Macros { std::map<int, double> vars; };
//   OZ_SIM_FAMILY(macros) {
//     m.on(1, 21, [](Machine& m, const RbRequest& q) {
//       auto& s = m.state<Macros>();
//       ...
//       return RbReply().i32(v);
//     });
//   }
//
// Handlers run under the machine's lock, one at a time, whichever
// connection they came on.
//
// The machine itself answers only the requests of a circuit's opening (system
// information per path, id string) and gives result 1 for anything no family
// registered. Everything that moves comes from the path motion: start(path)
// runs the path's program (ozsim --run, ozcli --sim), stop(path) ends it, and
// every request sees the motion advanced to its own arrival.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <typeindex>
#include <unordered_map>
#include <vector>

#include "sim/fake_controller.h"

namespace oz::sim {

// What one path reports as its system information; blank-padded to the
// record's field widths. An empty series gives "OZS" and the path number.
struct PathInfo {
  std::string cnc_type = " 0";
  std::string machine_type = " M";
  std::string series;           // software series, 4 characters
  std::string version = "01.0"; // software version, 4 characters
};

struct MachineConfig {
  uint16_t version = 5;         // protocol version, 1..5
  uint16_t kind = 0;            // controller kind word
  int paths = 1;                // 1 or 2
  int axes = 3;                 // per path: X Y Z
  int spindles = 1;
  uint32_t key = 0x4B5A0711;    // identification key sent at initiate
  uint16_t port = 0;            // 0: any free port
  std::string bind = "127.0.0.1";   // local IPv4 address to listen on
  std::vector<PathInfo> path_info;   // per path; missing entries take the defaults
  // The fake server keeps every PDU for tests to inspect; a long-running
  // ozsim turns that off so its memory stays flat.
  bool recording = true;
};

// The motion of one path: a program that runs moves the axes along a loop at
// the programmed feed; positions are integers in the least input increment
// (0.001 mm) like the controller's.
struct PathMotion {
  bool running = false;         // cycle start
  int32_t program = 1;          // running program number
  int32_t feed_cmd = 1200;      // programmed feed, mm/min
  int32_t spindle_cmd = 3000;   // programmed spindle speed, rpm
  int32_t feed = 0;             // actual feed, mm/min
  int32_t spindle = 0;          // actual spindle speed, rpm
  std::vector<int32_t> machine; // per axis, machine coordinates
  std::vector<int32_t> work_offset;   // absolute = machine - work offset
  std::vector<int32_t> relative_origin;
  std::vector<int32_t> target;  // the block end being approached
  int block = 0;
  int64_t travel_carry = 0;     // travel below 0.001 mm kept for the next update
};

class Machine {
 public:
  explicit Machine(MachineConfig cfg = {});
  ~Machine();
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  uint16_t port() const { return server_->port(); }
  const MachineConfig& config() const { return cfg_; }
  FakeController& server() { return *server_; }

  // Registers an RB handler that runs under the machine lock with the motion
  // brought up to date first.
  using Handler = std::function<RbReply(Machine&, const RbRequest&)>;
  void on(uint16_t cls, uint16_t cmd, Handler h);

  // A family's state, made on first use (call it with the lock held: inside
  // handlers it is).
  template <class T>
  T& state() {
    auto& slot = states_[std::type_index(typeid(T))];
    if (!slot) slot = std::shared_ptr<void>(new T(), [](void* p) { delete static_cast<T*>(p); });
    return *static_cast<T*>(slot.get());
  }
  std::unique_lock<std::recursive_mutex> lock() { return std::unique_lock(mu_); }

  // Paths are 1-based, as on the wire; an out-of-range path gives path 1.
  PathMotion& motion(int path);
  int paths() const { return int(paths_.size()); }
  // Starts or stops the program of a path (cycle start / reset). They take
  // the lock themselves, so a program, a test or a handler may call them.
  void start(int path);
  void stop(int path);
  void start_all();
  void stop_all();
  bool running(int path);
  // Advances every path to the current time. Handlers see it done already.
  void update();
  // Moves every running path as if ms milliseconds had passed, clock aside:
  // lets a test or a demo step the motion exactly.
  void advance_ms(uint32_t ms);
  // Called under the lock each time a running path reaches the end of a
  // block, with the path (1-based) and its motion at that point: families
  // that count or record the program's progress hook in here.
  using BlockEnd = std::function<void(Machine&, int path, const PathMotion&)>;
  void on_block_end(BlockEnd f) { block_ends_.push_back(std::move(f)); }
  // Identification strings handed over by clients that gave one, in order.
  std::vector<std::string> id_strings();
  // Milliseconds since the machine started.
  uint32_t elapsed_ms() const;

  // Called after every answered request, under the lock: lets a family keep
  // a record of what clients did (the operation history).
  using Observer = std::function<void(Machine&, const RbRequest&, const RbReply&)>;
  void observe(Observer o) { observers_.push_back(std::move(o)); }

  // Runs once the server has stopped and before any family's state goes:
  // a family that keeps a thread of its own ends it here.
  void on_close(std::function<void()> f) { closers_.push_back(std::move(f)); }

  // Optional per-request trace (ozsim -v): one line per RB.
  void set_trace(std::function<void(const RbRequest&, const RbReply&)> t) { trace_ = std::move(t); }

 private:
  MachineConfig cfg_;
  std::unique_ptr<FakeController> server_;
  std::recursive_mutex mu_;
  std::unordered_map<std::type_index, std::shared_ptr<void>> states_;
  std::vector<PathMotion> paths_;
  uint32_t start_tick_ = 0, last_tick_ = 0;
  std::function<void(const RbRequest&, const RbReply&)> trace_;
  std::vector<Observer> observers_;
  std::vector<std::string> ids_;
  std::vector<BlockEnd> block_ends_;
  std::vector<std::function<void()>> closers_;

  RbReply handle(const Handler& h, const RbRequest& q);
  void install_builtins();
};

// Families register an installer that every Machine runs at construction.
struct SimFamily {
  SimFamily(const char* name, void (*install)(Machine&));
};
std::vector<std::pair<const char*, void (*)(Machine&)>>& sim_families();

// The configuration a MachineConfig gives the fake server (initiate reply,
// path records, system information).
FakeConfig fake_config_for(const MachineConfig& cfg);

}  // namespace oz::sim

#define OZ_SIM_FAMILY(name)                                                               \
  static void oz_sim_install_##name(::oz::sim::Machine& m);                               \
  static const ::oz::sim::SimFamily oz_sim_family_##name(#name, oz_sim_install_##name);   \
  static void oz_sim_install_##name([[maybe_unused]] ::oz::sim::Machine& m)
