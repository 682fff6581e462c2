// Reading items through the C interface, and the poller of one controller.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>

#include "gate.h"
#include "ozlib.h"

namespace ozgate {

namespace {

const char* const kModes[] = {"mdi", "memory", "none", "edit", "handle", "jog", "teach", "remote"};
const char* const kRun[] = {"reset", "stop", "hold", "start", "restart"};
constexpr char kPmcAreas[] = "GFYXARTKCDMNE";

double scaled(int32_t v, int dec) {
  double d = v;
  for (int i = 0; i < dec && i < 9; ++i) d /= 10;
  return d;
}

std::string text(const char* p, size_t n) {
  std::string s(p, strnlen(p, n));
  while (!s.empty() && (s.back() == ' ')) s.pop_back();
  return s;
}

struct Reader {
  uint16_t h;
  const Controller& c;
  const Item& it;
  std::vector<Sample>& out;
  ReadResult r;

  bool ok(const char* fn, int16_t code) {
    if (code != EW_SUCCESS && r.code == EW_SUCCESS) r = {code, fn};
    return code == EW_SUCCESS;
  }
  void add(Value v, const std::string& key = "", const std::string& unit = "") {
    out.push_back({c.name, it.name, key, std::move(v), it.unit.empty() ? unit : it.unit, now_ms()});
  }

  void status(bool mode_only) {
    statinfo_t st{};
    if (!ok("cnc_statinfo", cnc_statinfo(h, &st))) return;
    const uint16_t mode = st.word[2], run = st.word[3];
    const Value m = mode < 8 ? Value(kModes[mode]) : Value(double(mode));
    if (mode_only) return add(m);
    add(run < 5 ? Value(kRun[run]) : Value(double(run)), "run");
    add(m, "mode");
    add(double(st.word[6]), "emergency");
    add(double(st.word[7]), "alarm");
  }
  void rate(int16_t (*fn)(uint16_t, actf_t*), const char* name, const char* unit) {
    actf_t a{};
    if (ok(name, fn(h, &a))) add(double(a.data), "", unit);
  }
  void positions() {
    axisname_t names[32];
    int16_t n = 32;
    if (!ok("cnc_rdaxisname", cnc_rdaxisname(h, &n, names))) return;
    axisrec_t rec[4 * 32];
    if (!ok("cnc_rdposition", cnc_rdposition(h, -1, &n, rec))) return;
    for (int i = 0; i < n && i < 32; ++i) {
      std::string axis(1, names[i].name);
      if (names[i].suff > ' ') axis += names[i].suff;
      add(scaled(rec[4 * i].data, rec[4 * i].dec), axis, "mm");
    }
  }
  void alarms() {
    almmsg2_t a[16];
    int16_t n = 16;
    if (!ok("cnc_rdalmmsg2", cnc_rdalmmsg2(h, -1, &n, a))) return;
    std::string all;
    for (int i = 0; i < n; ++i)
      all += (all.empty() ? "" : "; ") + std::to_string(a[i].w0) + " " +
             text(a[i].msg, size_t(std::clamp<int>(a[i].msg_len, 0, 64)));
    add(double(n), "count");
    add(all, "messages");
  }
  void messages() {
    opmsg_t m[5];
    int16_t n = 5;
    if (!ok("cnc_rdopmsg3", cnc_rdopmsg3(h, -1, &n, m))) return;
    std::string all;
    for (int i = 0; i < n; ++i)
      if (m[i].char_num > 0)
        all += (all.empty() ? "" : "; ") + text(m[i].data, size_t(std::clamp<int>(m[i].char_num, 0, 256)));
    add(all);
  }
  void macro() {
    macro_t m{};
    if (!ok("cnc_rdmacro", cnc_rdmacro(h, int16_t(it.number), 10, &m))) return;
    if (m.mcr_val == 0 && m.dec_val == -1) return add(std::string("vacant"));
    add(scaled(m.mcr_val, m.dec_val));
  }
  void param() {
    parainfo2_t info[1];
    int16_t n = 1, prev = 0, next = 0;
    if (!ok("cnc_rdparainfo2", cnc_rdparainfo2(h, int16_t(it.number), &n, &prev, &next, info))) return;
    param_t p{};
    if (!ok("cnc_rdparam", cnc_rdparam(h, int16_t(it.number), int16_t(it.axis), sizeof p, &p))) return;
    switch (n == 1 ? info[0].attr[0] : 3) {
      case 0: return add(double(uint8_t(p.u.cdatas[0])));
      case 1: return add(double(p.u.cdatas[0]));
      case 2: return add(double(p.u.idatas[0]));
      case 4: return add(scaled(p.u.rdatas[0].prm_val, p.u.rdatas[0].dec_val));
      default: return add(double(p.u.ldatas[0]));
    }
  }
  void program() {
    prgnum_t p{};
    if (!ok("cnc_rdprgnumo8", cnc_rdprgnumo8(h, &p))) return;
    add(double(p.data), "number");
    prgdir2_t d[1];
    int32_t start = p.data;
    int16_t n = 1;
    std::string name;
    if (cnc_rdprogdir2o8(h, 1, &start, &n, d) == EW_SUCCESS && n == 1 && start == p.data)
      name = text(d[0].comment, sizeof d[0].comment);
    add(name, "name");
  }
  void pmc() {
    const char* area = std::strchr(kPmcAreas, std::toupper(uint8_t(it.address[0])));
    int byte = 0, bit = -1;
    if (!area || std::sscanf(it.address.c_str() + 1, "%d.%d", &byte, &bit) < 1) {
      r = {EW_RANGE, "pmc address"};
      return;
    }
    uint8_t buf[8 + 4] = {};
    const int16_t type = int16_t(it.width == 1 ? 0 : it.width == 2 ? 1 : 2);
    if (!ok("pmc_rdpmcrng", pmc_rdpmcrng(h, int16_t(area - kPmcAreas), type, uint16_t(byte),
                                        uint16_t(byte + it.width - 1), uint16_t(8 + it.width),
                                        reinterpret_cast<pmcrng_t*>(buf))))
      return;
    int32_t v = 0;
    if (it.width == 1) v = buf[8];
    else if (it.width == 2) { int16_t x; std::memcpy(&x, buf + 8, 2); v = x; }
    else std::memcpy(&v, buf + 8, 4);
    add(double(bit >= 0 ? (v >> bit) & 1 : v));
  }
};

}  // namespace

ReadResult read_item(uint16_t h, const Controller& c, const Item& it, std::vector<Sample>& out) {
  Reader rd{h, c, it, out, {}};
  switch (it.kind) {
    case Kind::Status: rd.status(false); break;
    case Kind::Mode: rd.status(true); break;
    case Kind::Feed: rd.rate(cnc_actf, "cnc_actf", "mm/min"); break;
    case Kind::Spindle: rd.rate(cnc_acts, "cnc_acts", "rpm"); break;
    case Kind::Positions: rd.positions(); break;
    case Kind::Alarms: rd.alarms(); break;
    case Kind::Messages: rd.messages(); break;
    case Kind::Macro: rd.macro(); break;
    case Kind::Param: rd.param(); break;
    case Kind::Program: rd.program(); break;
    case Kind::Pmc: rd.pmc(); break;
  }
  return rd.r;
}

namespace {

// Sleeps up to ms, waking early when stop is set.
void nap(int64_t ms, const std::atomic<bool>& stop) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!stop && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min<int64_t>(ms, 20)));
}

double seconds_since(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

// Polls the items on an open handle until the circuit breaks or stop is set.
void poll_open(uint16_t h, const Controller& c, Hub& hub, const std::atomic<bool>& stop) {
  using clock = std::chrono::steady_clock;
  std::vector<clock::time_point> due(c.items.size(), clock::now());
  std::vector<Sample> samples;
  while (!stop) {
    auto next = clock::now() + std::chrono::seconds(1);
    for (size_t i = 0; i < c.items.size() && !stop; ++i) {
      const Item& it = c.items[i];
      if (clock::now() >= due[i]) {
        samples.clear();
        const auto t0 = clock::now();
        const ReadResult r = read_item(h, c, it, samples);
        due[i] = t0 + std::chrono::microseconds(int64_t(it.interval * 1e6));
        if (r.code == EW_SUCCESS) {
          hub.poll_done(c.name, seconds_since(t0));
          for (const Sample& s : samples) hub.offer(s);
        } else {
          hub.poll_failed(c.name);
          std::fprintf(stderr, "ozgate: %s: %s: %s failed with %d\n", c.name.c_str(), it.name.c_str(),
                       r.function, r.code);
          if (r.code == EW_CIRCUIT || r.code == EW_BADHANDLE) return;
        }
      }
      next = std::min(next, due[i]);
    }
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - clock::now()).count();
    if (wait > 0) nap(wait, stop);
  }
}

}  // namespace

void poll_controller(const Controller& c, Hub& hub, const std::atomic<bool>& stop) {
  int64_t backoff_ms = 500;
  bool first = true, said_offline = false;
  while (!stop) {
    uint16_t h = 0;
    const int16_t rc = cnc_allclibhndl3(c.host.c_str(), c.port, c.timeout, &h);
    if (rc == EW_SUCCESS && (c.path == 0 || cnc_setpath(h, int16_t(c.path)) == EW_SUCCESS)) {
      if (!first) hub.reconnected(c.name);
      first = false;
      backoff_ms = 500;
      hub.availability(c.name, true);
      poll_open(h, c, hub, stop);
      cnc_freelibhndl(h);
      hub.availability(c.name, false);
      said_offline = true;
      continue;
    }
    if (rc == EW_SUCCESS) cnc_freelibhndl(h);
    if (!said_offline) hub.availability(c.name, false);
    said_offline = true;
    hub.poll_failed(c.name);
    std::fprintf(stderr, "ozgate: %s: cannot connect to %s:%u (%d); again in %lld ms\n", c.name.c_str(),
                 c.host.c_str(), unsigned(c.port), rc, static_cast<long long>(backoff_ms));
    nap(backoff_ms, stop);
    backoff_ms = std::min<int64_t>(backoff_ms * 2, 30000);
  }
}

}  // namespace ozgate
