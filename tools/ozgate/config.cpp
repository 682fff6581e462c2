// gate.toml. TOML because a plant's list of machines reads naturally as
// [[controller]] tables with their [[controller.item]]s, and Debian packages
// a mature parser (toml++) that reports the line of every mistake.
#include <stdexcept>
#include <toml++/toml.h>

#include "gate.h"

namespace ozgate {

namespace {

const std::map<std::string, Kind> kKinds = {
    {"status", Kind::Status},     {"mode", Kind::Mode},     {"feed", Kind::Feed},
    {"spindle", Kind::Spindle},   {"positions", Kind::Positions}, {"alarms", Kind::Alarms},
    {"messages", Kind::Messages}, {"macro", Kind::Macro},   {"param", Kind::Param},
    {"program", Kind::Program},   {"pmc", Kind::Pmc},
};

[[noreturn]] void bad(const std::string& file, const toml::node* n, const std::string& what) {
  std::string where = file;
  if (n) where += ":" + std::to_string(n->source().begin.line);
  throw std::runtime_error(where + ": " + what);
}

template <class T>
T get(const toml::table& t, const char* key, T fallback) {
  if (auto v = t[key].value<T>()) return *v;
  return fallback;
}

Listen listen_of(const toml::table* t) {
  Listen l;
  if (!t) return l;
  l.enabled = get(*t, "enabled", true);
  const std::string at = get<std::string>(*t, "listen", "127.0.0.1:0");
  const auto colon = at.rfind(':');
  l.host = colon == std::string::npos ? at : at.substr(0, colon);
  l.port = colon == std::string::npos ? 0 : uint16_t(std::stoi(at.substr(colon + 1)));
  return l;
}

Item item_of(const std::string& file, const toml::table& t) {
  Item it;
  const std::string kind = get<std::string>(t, "kind", get<std::string>(t, "name", ""));
  try {
    it.kind = kind_of(kind);
  } catch (const std::exception& e) {
    bad(file, &t, e.what());
  }
  it.name = get<std::string>(t, "name", kind);
  it.interval = get(t, "interval", 1.0);
  it.number = int(get<int64_t>(t, "number", 0));
  it.axis = int(get<int64_t>(t, "axis", 0));
  it.address = get<std::string>(t, "address", "");
  it.width = int(get<int64_t>(t, "width", 1));
  it.unit = get<std::string>(t, "unit", "");
  if (it.interval < 0) bad(file, &t, "interval must be 0 or more seconds");
  if ((it.kind == Kind::Macro || it.kind == Kind::Param) && it.number <= 0)
    bad(file, &t, "item '" + it.name + "' needs a number");
  if (it.kind == Kind::Pmc && it.address.empty()) bad(file, &t, "item '" + it.name + "' needs an address");
  if (it.width != 1 && it.width != 2 && it.width != 4) bad(file, &t, "width must be 1, 2 or 4");
  return it;
}

Controller controller_of(const std::string& file, const toml::table& t) {
  Controller c;
  c.name = get<std::string>(t, "name", "");
  if (c.name.empty() || c.name.find_first_of("/#+ ") != std::string::npos)
    bad(file, &t, "every controller needs a name without '/', '#', '+' or blanks");
  c.host = get<std::string>(t, "host", c.host);
  const int64_t port = get<int64_t>(t, "port", c.port);
  if (port < 1 || port > 65535) bad(file, &t, "port must be 1..65535");
  c.port = uint16_t(port);
  c.path = int(get<int64_t>(t, "path", 0));
  c.timeout = int(get<int64_t>(t, "timeout", c.timeout));
  if (auto items = t["item"].as_array())
    for (auto& n : *items)
      if (auto it = n.as_table()) c.items.push_back(item_of(file, *it));
  if (c.items.empty()) bad(file, &t, "controller '" + c.name + "' has no [[controller.item]]");
  return c;
}

MqttConfig mqtt_of(const toml::table* t) {
  MqttConfig m;
  if (!t) return m;
  m.enabled = get(*t, "enabled", true);
  m.host = get<std::string>(*t, "host", m.host);
  m.port = int(get<int64_t>(*t, "port", m.port));
  m.qos = int(get<int64_t>(*t, "qos", m.qos));
  m.keepalive = int(get<int64_t>(*t, "keepalive", m.keepalive));
  m.prefix = get<std::string>(*t, "prefix", m.prefix);
  m.client_id = get<std::string>(*t, "client_id", m.client_id);
  m.username = get<std::string>(*t, "username", "");
  m.password = get<std::string>(*t, "password", "");
  m.tls_ca = get<std::string>(*t, "tls_ca", "");
  m.tls_cert = get<std::string>(*t, "tls_cert", "");
  m.tls_key = get<std::string>(*t, "tls_key", "");
  return m;
}

}  // namespace

Kind kind_of(const std::string& text) {
  auto k = kKinds.find(text);
  if (k == kKinds.end()) throw std::runtime_error("unknown item kind '" + text + "'");
  return k->second;
}

Config load_config(const std::string& path) {
  toml::table root;
  try {
    root = toml::parse_file(path);
  } catch (const toml::parse_error& e) {
    throw std::runtime_error(path + ":" + std::to_string(e.source().begin.line) + ": " +
                             std::string(e.description()));
  }
  Config cfg;
  if (auto g = root["gate"].as_table()) cfg.refresh = get(*g, "refresh", cfg.refresh);
  cfg.mqtt = mqtt_of(root["mqtt"].as_table());
  cfg.prometheus = listen_of(root["prometheus"].as_table());
  cfg.shdr = listen_of(root["shdr"].as_table());
  if (auto list = root["controller"].as_array())
    for (auto& n : *list)
      if (auto t = n.as_table()) cfg.controllers.push_back(controller_of(path, *t));
  if (cfg.controllers.empty()) throw std::runtime_error(path + ": no [[controller]]");
  return cfg;
}

}  // namespace ozgate
