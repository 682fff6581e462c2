// The controller connection of one ozcli run, and what a failed call says.
#include <chrono>
#include <sstream>

#include "command.h"
#include "sim_host.h"

namespace ozcli {

std::string result_name(int16_t code) {
  switch (code) {
#define OZCLI_NAME_(name, value) \
  case value:                    \
    return #name;
    OZ_RESULT_CODES(OZCLI_NAME_)
#undef OZCLI_NAME_
  }
  return "EW_?";
}

static std::string describe(const std::string& function, int16_t code, bool has_detail, dtailerr_t d) {
  std::ostringstream o;
  o << function << ": " << result_name(code) << " (" << code << ")";
  if (has_detail) o << ", detail " << d.detail << " " << d.subdetail;
  return o.str();
}

CallError::CallError(std::string fn, int16_t c, bool hd, dtailerr_t d)
    : std::runtime_error(describe(fn, c, hd, d)), function(std::move(fn)), code(c), has_detail(hd), detail(d) {}

std::string CallError::message() const { return context.empty() ? what() : context + " (" + what() + ")"; }

Session::Session(const Options& opt) : opt_(opt) {}

Session::~Session() {
  // The handle goes before the in-process controller, so the circuit closes
  // with a controller still there to answer.
  if (open_) cnc_freelibhndl(h_);
  sim_.reset();
}

std::string Session::endpoint() const {
  const int port = sim_ ? sim_->port() : opt_.port;
  return opt_.host + ":" + std::to_string(port);
}

uint16_t Session::handle() {
  if (!open_) connect();
  return h_;
}

// What went wrong with an allocation, in the terms of the network: the
// library says only EW_CIRCUIT, so a failure that came quickly is looked at
// again with a plain connect; one that took the whole time-out timed out.
static std::string allocation_failure(const std::string& where, const std::string& host, uint16_t port,
                                      int timeout, int16_t rc, double seconds) {
  if (rc == EW_FRAMING) return where + " answered, but not as a controller of this protocol";
  if (rc == EW_BADHANDLE) return "no library handle is free";
  if (rc != EW_CIRCUIT) return "cannot connect to " + where;
  if (seconds >= timeout) return "cannot connect to " + where + ": no answer within " + std::to_string(timeout) + " s";
  const std::string why = unreachable_reason(host, port, timeout);
  if (why.empty()) return where + " took the connection but closed it without answering";
  return "cannot connect to " + where + ": " + why;
}

void Session::connect() {
  uint16_t port = uint16_t(opt_.port);
  if (opt_.sim) {
    sim_ = std::make_unique<SimHost>(opt_.sim_version, opt_.sim_paths);
    port = sim_->port();
    opt_.host = "127.0.0.1";
  } else if (opt_.port <= 0) {
    throw UsageError("no controller: give --port (and --host), or --sim");
  }
  const auto start = std::chrono::steady_clock::now();
  const int16_t rc = cnc_allclibhndl3(opt_.host.c_str(), port, opt_.timeout, &h_);
  if (rc != EW_SUCCESS) {
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    CallError e("cnc_allclibhndl3", rc, false, {});
    e.context = allocation_failure(endpoint(), opt_.host, port, opt_.timeout, rc, took.count());
    throw e;
  }
  open_ = true;
  if (opt_.path <= 0) return;
  const int16_t set = cnc_setpath(h_, int16_t(opt_.path));
  if (set == EW_SUCCESS) return;
  int16_t path = 0, max = 0;
  CallError e("cnc_setpath", set, false, {});
  if (set == EW_NOPATH && cnc_getpath(h_, &path, &max) == EW_SUCCESS)
    e.context = "path " + std::to_string(opt_.path) + " does not exist: the controller has paths 1.." + std::to_string(max);
  throw e;
}

void Session::check(const char* function, int16_t result) {
  if (result == EW_SUCCESS) return;
  dtailerr_t d{};
  bool has = false;
  if (open_) {
    const bool pmc = std::string(function).rfind("pmc_", 0) == 0;
    has = (pmc ? pmc_getdtailerr(h_, &d) : cnc_getdtailerr(h_, &d)) == EW_SUCCESS;
  }
  throw CallError(function, result, has, d);
}

int Session::max_path() {
  int16_t path = 0, max = 0;
  OZCLI_CALL(*this, cnc_getpath, &path, &max);
  return max;
}

void Session::for_each_path(const std::function<void(int)>& body) {
  int16_t start = 0, max = 0;
  OZCLI_CALL(*this, cnc_getpath, &start, &max);
  struct Restore {
    uint16_t h;
    int16_t path;
    ~Restore() { cnc_setpath(h, path); }
  } restore{handle(), start};
  for (int p = 1; p <= max; ++p) {
    OZCLI_CALL(*this, cnc_setpath, int16_t(p));
    body(p);
  }
}

}  // namespace ozcli
