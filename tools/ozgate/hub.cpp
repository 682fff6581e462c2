#include <cmath>
#include <cstdio>
#include <ctime>

#include "gate.h"

namespace ozgate {

int64_t now_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string iso_time(int64_t ms) {
  const time_t t = time_t(ms / 1000);
  struct tm tm;
  gmtime_r(&t, &tm);
  char buf[96];   // room for any int the fields could hold
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900,
                tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, int(ms % 1000));
  return buf;
}

namespace {

std::string json_string(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", c);
      out += esc;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

}  // namespace

std::string json_payload(const Sample& s) {
  std::string v;
  if (auto d = std::get_if<double>(&s.value)) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", std::isfinite(*d) ? *d : 0.0);
    v = buf;
  } else {
    v = json_string(std::get<std::string>(s.value));
  }
  return "{\"value\":" + v + ",\"unit\":" + json_string(s.unit) + ",\"timestamp\":" +
         json_string(iso_time(s.ms)) + "}";
}

void Hub::offer(const Sample& s) {
  std::vector<Sink*> to;
  {
    std::lock_guard<std::mutex> l(mu_);
    Slot& slot = values_[s.topic()];
    const bool changed = slot.sent_ms == 0 || slot.last.value != s.value;
    const bool due = s.ms - slot.sent_ms >= refresh_ms_;
    slot.last = s;
    if (!changed && !due) return;
    slot.sent_ms = s.ms;
    to = sinks_;
  }
  ++published_;
  for (Sink* k : to) k->publish(s);
}

void Hub::availability(const std::string& controller, bool online) {
  {
    std::lock_guard<std::mutex> l(mu_);
    stats_[controller].up = online;
    // A controller that comes back republishes everything: consumers that saw
    // it go offline expect fresh values.
    if (online)
      for (auto& [topic, slot] : values_)
        if (slot.last.controller == controller) slot.sent_ms = 0;
  }
  for (Sink* k : sinks_) k->availability(controller, online);
}

void Hub::poll_done(const std::string& controller, double seconds) {
  std::lock_guard<std::mutex> l(mu_);
  ControllerStats& st = stats_[controller];
  ++st.polls;
  st.latency_sum += seconds;
  for (size_t i = 0; i < std::size(ControllerStats::kBounds); ++i)
    if (seconds <= ControllerStats::kBounds[i]) ++st.buckets[i];
}

void Hub::poll_failed(const std::string& controller) {
  std::lock_guard<std::mutex> l(mu_);
  ++stats_[controller].errors;
}

void Hub::reconnected(const std::string& controller) {
  std::lock_guard<std::mutex> l(mu_);
  ++stats_[controller].reconnects;
}

std::vector<Sample> Hub::current() const {
  std::lock_guard<std::mutex> l(mu_);
  std::vector<Sample> out;
  out.reserve(values_.size());
  for (auto& [topic, slot] : values_) out.push_back(slot.last);
  return out;
}

std::map<std::string, ControllerStats> Hub::stats() const {
  std::lock_guard<std::mutex> l(mu_);
  return stats_;
}

}  // namespace ozgate
