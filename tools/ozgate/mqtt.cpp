// MQTT through libmosquitto: one retained topic per sample, JSON payloads, an
// availability topic per controller and the gateway's own availability with
// a last will of "offline". The library's network thread reconnects.
#include <mosquitto.h>

#include <cstdio>
#include <mutex>
#include <stdexcept>

#include "gate.h"

namespace ozgate {

namespace {

class Mqtt : public Sink {
 public:
  Mqtt(const MqttConfig& cfg, const std::vector<Controller>& controllers) : cfg_(cfg) {
    static std::once_flag init;
    std::call_once(init, [] { mosquitto_lib_init(); });
    m_ = mosquitto_new(cfg.client_id.c_str(), true, this);
    if (!m_) throw std::runtime_error("mqtt: cannot create a client");
    const std::string will = cfg.prefix + "/availability";
    check(mosquitto_will_set(m_, will.c_str(), 7, "offline", cfg.qos, true), "will");
    if (!cfg.username.empty())
      check(mosquitto_username_pw_set(m_, cfg.username.c_str(), cfg.password.c_str()), "credentials");
    if (!cfg.tls_ca.empty() || !cfg.tls_cert.empty())
      check(mosquitto_tls_set(m_, cfg.tls_ca.empty() ? nullptr : cfg.tls_ca.c_str(), nullptr,
                              cfg.tls_cert.empty() ? nullptr : cfg.tls_cert.c_str(),
                              cfg.tls_key.empty() ? nullptr : cfg.tls_key.c_str(), nullptr),
            "tls");
    mosquitto_connect_callback_set(m_, [](mosquitto*, void* self, int rc) {
      if (rc == 0) static_cast<Mqtt*>(self)->online();
    });
    mosquitto_reconnect_delay_set(m_, 1, 30, true);
    // connect_async: the broker may come up after the gateway; the loop
    // thread keeps trying.
    check(mosquitto_connect_async(m_, cfg.host.c_str(), cfg.port, cfg.keepalive), "connect");
    check(mosquitto_loop_start(m_), "loop");
    for (const Controller& c : controllers) known_.push_back(c.name);
  }
  ~Mqtt() override {
    const std::string topic = cfg_.prefix + "/availability";
    mosquitto_publish(m_, nullptr, topic.c_str(), 7, "offline", cfg_.qos, true);
    mosquitto_disconnect(m_);
    mosquitto_loop_stop(m_, false);
    mosquitto_destroy(m_);
  }

  void publish(const Sample& s) override {
    send(cfg_.prefix + "/" + s.topic(), json_payload(s));
  }
  void availability(const std::string& controller, bool online) override {
    send(cfg_.prefix + "/" + controller + "/availability", online ? "online" : "offline");
  }

 private:
  void online() { send(cfg_.prefix + "/availability", "online"); }
  void send(const std::string& topic, const std::string& payload) {
    const int rc = mosquitto_publish(m_, nullptr, topic.c_str(), int(payload.size()), payload.data(),
                                     cfg_.qos, true);
    // While the broker is away the library queues QoS > 0 messages itself;
    // anything else is a fault of ours worth a line.
    if (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_NO_CONN)
      std::fprintf(stderr, "ozgate: mqtt: publish %s: %s\n", topic.c_str(), mosquitto_strerror(rc));
  }
  static void check(int rc, const char* what) {
    if (rc != MOSQ_ERR_SUCCESS)
      throw std::runtime_error(std::string("mqtt: ") + what + ": " + mosquitto_strerror(rc));
  }

  MqttConfig cfg_;
  mosquitto* m_ = nullptr;
  std::vector<std::string> known_;
};

}  // namespace

std::unique_ptr<Sink> make_mqtt(const MqttConfig& cfg, const std::vector<Controller>& controllers) {
  return std::make_unique<Mqtt>(cfg, controllers);
}

}  // namespace ozgate
