// ozcli and ozsim as a user runs them: each row is one command line of the
// built ozcli against an ozsim in a process of its own, with the exit code
// and what standard output and standard error must (and must not) hold.
// Rows of one table run in order against one ozsim, so a write is followed
// by the read that shows what was stored.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <netinet/in.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Another build's programs can be checked with OZ_TOOLS_DIR (a directory
// holding ozcli and ozsim).
std::string program(const char* name, const char* built) {
  const char* dir = std::getenv("OZ_TOOLS_DIR");
  return dir ? std::string(dir) + "/" + name : built;
}
const std::string kOzcli = program("ozcli", OZCLI_PATH);
const std::string kOzsim = program("ozsim", OZSIM_PATH);

struct Result {
  int exit = -1;
  std::string out, err;
  double seconds = 0;
};

struct Child {
  pid_t pid = -1;
  int out = -1, err = -1;
};

Child spawn(const std::string& path, const std::vector<std::string>& args, const std::vector<std::string>& env) {
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) return {};
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, out[1], 1);
  posix_spawn_file_actions_adddup2(&fa, err[1], 2);
  posix_spawn_file_actions_addclose(&fa, out[0]);
  posix_spawn_file_actions_addclose(&fa, err[0]);
  std::vector<std::string> all = {path};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> envs = env;
  for (char** e = environ; *e; ++e) envs.push_back(*e);
  std::vector<char*> envp;
  for (auto& e : envs) envp.push_back(e.data());
  envp.push_back(nullptr);
  Child c;
  if (posix_spawn(&c.pid, path.c_str(), &fa, nullptr, argv.data(), envp.data()) != 0) c.pid = -1;
  posix_spawn_file_actions_destroy(&fa);
  close(out[1]);
  close(err[1]);
  c.out = out[0];
  c.err = err[0];
  return c;
}

// Reads both streams to their end (or until limit_ms), then reaps the child.
Result finish(Child c, int limit_ms = 30000) {
  Result r;
  const auto start = std::chrono::steady_clock::now();
  auto elapsed_ms = [&] {
    return int(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
  };
  pollfd fds[2] = {{c.out, POLLIN, 0}, {c.err, POLLIN, 0}};
  std::string* dest[2] = {&r.out, &r.err};
  int open = 2;
  while (open > 0 && elapsed_ms() < limit_ms) {
    if (poll(fds, 2, 100) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buf[4096];
      const ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        dest[i]->append(buf, size_t(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  if (open > 0) kill(c.pid, SIGKILL);
  for (auto& f : fds)
    if (f.fd >= 0) close(f.fd);
  int status = 0;
  waitpid(c.pid, &status, 0);
  r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.seconds = elapsed_ms() / 1000.0;
  return r;
}

// An ozsim of its own; its port (and control port) from the lines it prints.
class Sim {
 public:
  explicit Sim(std::vector<std::string> args) {
    args.insert(args.begin(), {"--port", "0"});
    child_ = spawn(kOzsim, args, {});
    std::string text;
    const bool control = std::find(args.begin(), args.end(), "--control") != args.end();
    const size_t lines = control ? 2 : 1;
    char ch;
    while (std::count(text.begin(), text.end(), '\n') < long(lines) && read(child_.out, &ch, 1) == 1) text += ch;
    std::smatch m;
    if (std::regex_search(text, m, std::regex("listening on [0-9.]+:([0-9]+)"))) port = m[1];
    if (std::regex_search(text, m, std::regex("control on [0-9.]+:([0-9]+)"))) control_port = m[1];
    first_line = text.substr(0, text.find('\n'));
  }
  ~Sim() { stop(); }
  // Ends it as Ctrl-C would; what it wrote to standard error is in the result.
  Result stop() {
    if (child_.pid > 0) {
      kill(child_.pid, SIGTERM);
      last_ = finish(child_, 10000);
      child_.pid = -1;
    }
    return last_;
  }
  std::string port, control_port, first_line;

 private:
  Child child_;
  Result last_;
};

struct Row {
  std::vector<std::string> args;
  int exit;
  std::vector<std::string> out = {};   // substrings standard output holds
  std::vector<std::string> err = {};   // ... and standard error
  std::vector<std::string> not_out = {};
};

std::string tmp_dir() {
  static const std::string d = [] {
    char t[] = "/tmp/ozcli_test.XXXXXX";
    return std::string(mkdtemp(t));
  }();
  return d;
}

// {port}, {control} and {tmp} in an argument stand for the simulator's ports
// and a scratch directory.
std::string fill(std::string a, const Sim& sim) {
  const std::pair<const char*, std::string> keys[] = {
      {"{port}", sim.port}, {"{control}", sim.control_port}, {"{tmp}", tmp_dir()}};
  for (auto& [k, v] : keys)
    for (size_t at; (at = a.find(k)) != std::string::npos;) a.replace(at, std::strlen(k), v);
  return a;
}

Result ozcli(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
  return finish(spawn(kOzcli, args, env));
}

void check_rows(const std::vector<std::string>& sim_args, const std::vector<Row>& rows,
                const std::vector<std::string>& env = {}) {
  Sim sim(sim_args);
  ASSERT_FALSE(sim.port.empty()) << "ozsim did not start: " << sim.first_line;
  for (const Row& row : rows) {
    std::vector<std::string> args;
    std::string shown = "ozcli";
    for (auto& a : row.args) {
      args.push_back(fill(a, sim));
      shown += " " + args.back();
    }
    if (std::find(args.begin(), args.end(), "--port") == args.end() && args[0] != "sim" && args[0] != "log")
      args.insert(args.begin(), {"--port", sim.port});
    const Result r = ozcli(args, env);
    SCOPED_TRACE(shown + "\n--- stdout:\n" + r.out + "--- stderr:\n" + r.err);
    EXPECT_EQ(row.exit, r.exit);
    for (auto& s : row.out) EXPECT_NE(std::string::npos, r.out.find(fill(s, sim))) << "stdout lacks: " << s;
    for (auto& s : row.err) EXPECT_NE(std::string::npos, r.err.find(fill(s, sim))) << "stderr lacks: " << s;
    for (auto& s : row.not_out) EXPECT_EQ(std::string::npos, r.out.find(s)) << "stdout holds: " << s;
  }
}

// A controller that accepts connections and never answers.
struct Silent {
  Silent() {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof sa;
    bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    listen(fd, 4);
    getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
    port = std::to_string(ntohs(sa.sin_port));
  }
  ~Silent() { close(fd); }
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  std::string port;
};

// A port nobody listens on: one the system just gave out and took back.
std::string closed_port() { return Silent().port; }

// ---- values written are the values stored ------------------------------------------

TEST(ToolsCli, DecimalValuesAreScaledOrRefused) {
  check_rows({}, {
      {{"toolofs", "write", "3", "1.5"}, 0, {"1.500"}},
      {{"toolofs", "read", "3"}, 0, {"1.500"}},
      {{"--json", "toolofs", "read", "3"}, 0, {"\"value\": 1.5"}},
      {{"toolofs", "write", "3", "1.2345"}, 2, {}, {"more decimal places than the 3"}},
      {{"workofs", "write", "1", "100.5", "-20.25", "0"}, 0},
      {{"--json", "workofs", "read", "1"}, 0, {"\"x\": 100.5", "\"y\": -20.25", "\"z\": 0.0"}},
      {{"workofs", "read", "1"}, 0, {"100.500", "-20.250"}},
      {{"param", "write", "3216", "1.5"}, 2, {}, {"parameter 3216 (word): give a whole number in -32768..32767, not 1.5"}},
      {{"param", "read", "3216"}, 0, {"word"}, {}, {"15"}},
      {{"param", "write", "6000", "1.25"}, 0},
      {{"--json", "param", "read", "6000"}, 0, {"\"value\": 1.25"}},
      {{"macro", "write", "100", "-12.5"}, 0},
      {{"--json", "macro", "read", "100"}, 0, {"\"value\": -12.5"}},
      // Positions carry their decimal places in `dynamic` as in `pos`.
      {{"dynamic"}, 0, {"0.000"}},
      {{"pos"}, 0, {"0.000"}},
  });
}

TEST(ToolsCli, ValuesOutsideTheirTypeAreRefused) {
  check_rows({}, {
      {{"param", "write", "20", "70000"}, 2, {}, {"70000 is outside -32768..32767"}},
      {{"param", "read", "20"}, 0, {"4"}},
      {{"param", "write", "0", "255"}, 0},
      {{"--json", "param", "read", "0"}, 0, {"\"value\": 255"}},
      {{"param", "write", "0", "256"}, 2, {}, {"256 is outside 0..255"}},
      {{"param", "write", "1020", "1", "2", "300"}, 2, {}, {"300 is outside -128..127"}},
      {{"param", "write", "4020", "7000"}, 0},
      {{"--csv", "param", "read", "4020"}, 0, {"4020,2-word,S1,7000"}},
      {{"pmc", "write", "R100", "300"}, 2, {}, {"300 is outside -128..255"}},
      {{"pmc", "write", "R100", "70000", "--width", "2"}, 2, {}, {"70000 is outside -32768..65535"}},
      {{"macro", "write", "100", "12345678901"}, 2, {}, {"more digits"}},
  });
}

TEST(ToolsCli, PmcAddressesBitsAndRanges) {
  check_rows({}, {
      {{"pmc", "write", "R100"}, 2, {}, {"pmc write R100: give a value"}},
      {{"pmc", "write", "R100-R101", "5"}, 0},
      {{"--json", "pmc", "read", "R100-R101"}, 0, {"\"address\": \"R101\",\n      \"value\": 5"}},
      {{"pmc", "write", "R100-R102", "1", "2"}, 2, {}, {"one value for every item, or one for all (3 items)"}},
      {{"pmc", "write", "Y0", "0"}, 0},
      {{"pmc", "write", "Y0.1", "1"}, 0},
      {{"--json", "pmc", "read", "Y0"}, 0, {"\"value\": 2"}},
      {{"--json", "pmc", "read", "y0.1"}, 0, {"\"address\": \"Y0.1\"", "\"value\": 1"}},
      {{"--json", "pmc", "read", "Y0.2"}, 0, {"\"value\": 0"}},
      {{"pmc", "read", "R0-D9"}, 2, {}, {"a range stays in one area: R0-D9"}},
      {{"pmc", "read", "Q1"}, 2, {}, {"unknown area 'Q'"}},
      {{"pmc", "write", "D10-D13", "-2", "--width", "2"}, 0},
      {{"--json", "pmc", "read", "D10", "--width", "2"}, 0, {"\"address\": \"D10\"", "\"value\": -2"}},
      {{"--csv", "pmc", "read", "D10-D12", "--width", "2"}, 0, {"address,value\r\nD10,-2\r\nD12,-2\r\n"}},
      {{"pmc", "read", "R99999"}, 2, {}, {"99999 is outside 0..65535"}},
      {{"pmc", "read", "R9999-R10000"}, 1, {}, {"bytes R9999-R10000 are not all within R0-R9999"}},
      {{"pmc", "read", "R9999", "--width", "2"}, 1, {}, {"bytes R9999-R10000 are not all within R0-R9999"}},
  });
}

TEST(ToolsCli, RangesAreReadCompletelyOrSayWhereTheyStopped) {
  check_rows({}, {
      {{"--csv", "macro", "read", "500-999"}, 0, {"\r\n500,\r\n", "\r\n999,\r\n"}},
      {{"macro", "read", "1-999"}, 1, {"33"}, {"macro read stopped at #34: the controller has no macro variable #34"}},
      {{"macro", "read", "100-1000"}, 1, {"199"}, {"stopped at #200"}},
      {{"macro", "read", "40"}, 1, {}, {"the controller has no macro variable #40"}},
      {{"toolofs", "read", "63-65"}, 1, {"64"}, {"tool offset 65 does not exist: the controller has 1..64"}},
      {{"workofs", "read", "9"}, 1, {}, {"work offset 9 does not exist: the controller has 0..6"}},
  });
}

TEST(ToolsCli, SettingsOfEveryTypeAreWritten) {
  check_rows({}, {
      {{"setting", "write", "1", "5"}, 0},
      {{"setting", "write", "8", "1.25"}, 0},
      {{"setting", "write", "3202", "-7"}, 0},
      {{"--json", "setting", "read", "1-3202"}, 0, {"\"value\": 5", "\"value\": 1.25", "\"value\": -7"}},
  });
}

TEST(ToolsCli, AxisIsHonouredAndChecked) {
  check_rows({}, {
      {{"param", "read", "1020", "--axis", "2"}, 0, {"Y", "89"}, {}, {"88", "90"}},
      {{"workofs", "write", "2", "5", "--axis", "0"}, 2, {}, {"--axis: 0 is outside 1..3 (the path has 3 axes)"}},
      {{"workofs", "write", "2", "5", "--axis", "4"}, 2, {}, {"--axis: 4 is outside 1..3"}},
      {{"workofs", "write", "2", "7.5", "--axis", "3"}, 0},
      {{"--json", "workofs", "read", "2", "--axis", "3"}, 0, {"\"z\": 7.5"}, {}, {"\"x\""}},
      {{"param", "read", "20", "--axis", "1"}, 2, {}, {"parameter 20 is not one value per axis"}},
      {{"--csv", "param", "read", "1000-5000", "--axis", "3"}, 0, {"\r\n1320,2-word,Z,300000\r\n", "\r\n4020,2-word,S1,6000\r\n"},
       {}, {"1320,2-word,X"}},
  });
}

TEST(ToolsCli, UploadToAPlaceThatCannotBeWrittenFails) {
  const std::string tmp = tmp_dir();
  check_rows({}, {
      {{"prog", "upload", "2", "/nonexistent/dir/x.nc"}, 1, {}, {"cannot write /nonexistent/dir/x.nc"}},
      {{"prog", "upload", "99", "{tmp}/o99.nc"}, 1, {}, {"program O0099 not found"}},
      {{"prog", "upload", "2", "{tmp}/o2.nc"}, 0, {"bytes"}},
  });
  // A file that cannot take its name is not left behind half-way.
  std::filesystem::create_directories(tmp + "/taken");
  check_rows({}, {{{"prog", "upload", "2", "{tmp}/taken"}, 1, {}, {"cannot write " + tmp + "/taken"}}});
  EXPECT_FALSE(std::filesystem::exists(tmp + "/taken.part"));
  EXPECT_FALSE(std::filesystem::exists(tmp + "/o99.nc"));
  EXPECT_FALSE(std::filesystem::exists(tmp + "/o99.nc.part"));
  EXPECT_TRUE(std::filesystem::exists(tmp + "/o2.nc"));
}

// ---- errors and exit codes ----------------------------------------------------------

TEST(ToolsCli, UsageErrorsNameWhatWasWrongAndExit2) {
  check_rows({}, {
      {{"foo"}, 2, {}, {"ozcli: unknown command 'foo'"}},
      {{"diag", "write", "300", "1"}, 2, {}, {"diag: unknown action 'write' (diag has: read)"}},
      {{"param"}, 2, {}, {"param: give an action: read, write"}},
      {{"feed", "--bogus"}, 2, {}, {"unknown option '--bogus'"}},
      {{"--timeout", "0", "feed"}, 2, {}, {"--timeout"}},
      {{"feed", "--json"}, 0, {"\"feed\":"}},
      {{"--version"}, 0, {"ozcli "}},
      {{"--json", "foo"}, 2, {}, {"{\"error\":{\"message\":\"unknown command 'foo'"}},
      {{"sim", "--control", "1", "mode", "bogus"}, 2, {}, {"unknown mode 'bogus'"}},
  });
}

TEST(ToolsCli, ConnectionFailuresSayWhatHappenedAndWhere) {
  const std::string port = closed_port();
  Result r = ozcli({"--port", port, "feed"});
  EXPECT_EQ(1, r.exit);
  EXPECT_NE(std::string::npos, r.err.find("cannot connect to 127.0.0.1:" + port + ": connection refused")) << r.err;
  EXPECT_NE(std::string::npos, r.err.find("cnc_allclibhndl3: EW_CIRCUIT (-16)")) << r.err;
  r = ozcli({"--host", "no-such-host.invalid", "--port", "8193", "feed"});
  EXPECT_EQ(1, r.exit);
  EXPECT_NE(std::string::npos, r.err.find("no-such-host.invalid:8193: host name not resolved")) << r.err;
  r = ozcli({"--json", "--port", port, "feed"});
  EXPECT_EQ(1, r.exit);
  EXPECT_EQ(0u, r.err.rfind("{\"error\":{\"message\":\"cannot connect", 0)) << r.err;
  EXPECT_NE(std::string::npos, r.err.find("\"code\":-16")) << r.err;
  r = ozcli({"--json", "--port", port, "watch", "--count", "1"});
  EXPECT_EQ(1, r.exit);
  EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
  EXPECT_EQ(0u, r.err.rfind("{\"error\":", 0)) << r.err;
}

TEST(ToolsCli, ASilentControllerTimesOut) {
  Silent silent;
  const Result r = ozcli({"--port", silent.port, "--timeout", "1", "feed"});
  EXPECT_EQ(1, r.exit);
  EXPECT_NE(std::string::npos, r.err.find("cannot connect to 127.0.0.1:" + silent.port + ": no answer within 1 s"))
      << r.err;
  EXPECT_LT(r.seconds, 3.5);
}

TEST(ToolsCli, WatchEndsOnCtrlCAtOnceEvenWhileConnecting) {
  Silent silent;
  Child c = spawn(kOzcli, {"--port", silent.port, "--timeout", "30", "watch"}, {});
  usleep(300 * 1000);
  kill(c.pid, SIGINT);
  const Result r = finish(c, 5000);
  EXPECT_EQ(0, r.exit);
  EXPECT_LT(r.seconds, 1.0);
}

TEST(ToolsCli, OzsimOnABusyPortSaysSoAndExits1) {
  Sim first({});
  Sim second({"--port", first.port});   // the later --port wins
  EXPECT_TRUE(second.port.empty());
  const Result r = finish(spawn(kOzsim, {"--port", first.port}, {}), 5000);
  EXPECT_EQ(1, r.exit);
  EXPECT_EQ("ozsim: cannot listen on 127.0.0.1:" + first.port + ": address in use\n", r.err);
  EXPECT_EQ(0, finish(spawn(kOzsim, {"--version"}, {})).exit);
  EXPECT_EQ(2, finish(spawn(kOzsim, {"--bogus"}, {})).exit);
}

// ---- JSON and other formats ---------------------------------------------------------

TEST(ToolsCli, JsonHasNumbersSnakeCaseKeysAndPathArrays) {
  check_rows({"--paths", "2"}, {
      {{"--json", "sysinfo"}, 0, {"\"axes\": 3", "\"max_axes\": 3", "\"cnc_type\": \"0\""}},
      {{"--json", "dynamic"}, 0, {"\"main_program\": ", "\"absolute\": 0.0"}},
      {{"--json", "info"}, 0, {"\"paths\": [", "\"path\": 2"}, {}, {"path 1", "\" "}},
      {{"--json", "watch", "--count", "2", "--interval", "0.1", "pos", "pmc", "R0-R1", "macro", "100-101"},
       0, {"{\"time\":\"", "\"pmc_r0_r1\":[{\"address\":\"R0\",\"value\":0}", "\"macro_100_101\":"}},
      {{"--json", "watch", "--count", "1"}, 0, {"\"feed\":[{\"path\":1,\"feed\":0},{\"path\":2,", "\"spindle\":0,"}},
      {{"--csv", "pos"}, 0, {"axis,absolute,machine,relative,distance\r\nX,0.000,"}},
      {{"--csv", "info"}, 0, {"path,cnc_type,machine_type,series,version,axes,max_axes\r\n1,0,M,OZS1,01.0,3,3\r\n2,"}},
      {{"status"}, 0, {"run        reset", "emergency  off", "alarm      none"}},
      {{"sysinfo"}, 0, {"axes          3\n"}},
  });
}

TEST(ToolsCli, WatchFramesAreOneJsonLineEach) {
  Sim sim({});
  const Result r = ozcli({"--port", sim.port, "--json", "watch", "--count", "3", "--interval", "0.1", "status"});
  EXPECT_EQ(0, r.exit);
  EXPECT_EQ(3, std::count(r.out.begin(), r.out.end(), '\n')) << r.out;
  EXPECT_TRUE(std::regex_search(r.out, std::regex("^\\{\"time\":\"[0-9-]+T[0-9:.]+[+-][0-9:]+\",\"mode\""))) << r.out;
}

// ---- ozsim as a development partner --------------------------------------------------

TEST(ToolsCli, ControlChannelDrivesTheMachine) {
  check_rows({"--control", "0"}, {
      {{"sim", "--control", "{control}", "alarm", "raise", "1001", "DOOR OPEN", "--kind", "2"}, 0},
      {{"alarms"}, 0, {"1001", "DOOR OPEN"}},
      {{"status"}, 0, {"alarm      alarm"}},
      {{"sim", "--control", "{control}", "alarm", "clear", "1001"}, 0},
      {{"sim", "--control", "{control}", "alarm", "clear", "1001"}, 1, {}, {"no alarm 1001 is pending"}},
      {{"sim", "--control", "{control}", "message", "2001", "LOAD PART"}, 0},
      {{"msgs"}, 0, {"2001", "LOAD PART"}},
      {{"sim", "--control", "{control}", "estop", "on"}, 0},
      {{"status"}, 0, {"emergency  emergency"}},
      {{"sim", "--control", "{control}", "run", "start"}, 1, {}, {"the emergency stop is on"}},
      {{"sim", "--control", "{control}", "estop", "off"}, 0},
      {{"sim", "--control", "{control}", "mode", "edit"}, 0},
      {{"status"}, 0, {"mode       edit"}},
      {{"sim", "alarm", "clear"}, 2, {}, {"give --control PORT"}},
  });
}

TEST(ToolsCli, RunningProgramCannotBeDeletedOrReplaced) {
  const std::string tmp = tmp_dir();
  check_rows({"--run"}, {
      {{"prog", "upload", "1", "{tmp}/o1.nc"}, 0},
      {{"prog", "delete", "1"}, 1, {}, {"refused to delete program O0001", "EW_REFUSED"}},
      {{"prog", "download", "{tmp}/o1.nc"}, 1, {}, {"refused the program in"}},
      {{"prog", "list"}, 0, {"SQUARE"}},
      {{"prog", "delete", "2"}, 0},
      {{"prog", "delete", "99"}, 1, {}, {"program O0099 not found"}},
  });
}

TEST(ToolsCli, OzsimBindsWhereToldAndTracesRequestsByName) {
  Sim sim({"--bind", "0.0.0.0", "-v", "--protocol", "3"});
  ASSERT_FALSE(sim.port.empty()) << sim.first_line;
  EXPECT_EQ(0u, sim.first_line.rfind("ozsim listening on 0.0.0.0:", 0)) << sim.first_line;
  EXPECT_EQ(0, ozcli({"--port", sim.port, "feed"}).exit);
  const Result r = sim.stop();
  EXPECT_EQ(0, r.exit);
  EXPECT_TRUE(std::regex_search(
      r.err, std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:.]+ conn [0-9]+ sock 2: cnc_actf \\(class 1 cmd 36\\)")))
      << r.err;
}

TEST(ToolsCli, LogLevelAndLogRecords) {
  const std::string dir = tmp_dir() + "/log";
  std::filesystem::create_directories(dir);
  const std::vector<std::string> env = {"OZLIB_DATADIR=" + dir, "OZLIB_LOGLEVEL=1"};
  check_rows({}, {
      {{"feed"}, 0},
      {{"log"}, 0, {"Circuit is created"}, {}, {") is created:"}},
      {{"--log-level", "2", "feed"}, 0},
      {{"log", "--tail", "40"}, 0, {") is created:", "Circuit was closed"}},
      {{"--json", "log", "--tail", "1"}, 0, {"\"process\": ", "\"message\": "}},
      {{"log", "--file", "{tmp}/none.log"}, 1, {}, {"no diagnostic log at"}},
  }, env);
}

}  // namespace
