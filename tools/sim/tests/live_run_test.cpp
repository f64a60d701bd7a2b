#include "live_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

#include "live_test_support.h"
#include "platform/os/posix_network.h"
#include "sim_run.h"

extern char** environ;

namespace ptpdiag::sim {
namespace {

using test::Bytes;

struct OptionCase {
  std::vector<std::string_view> Args;
  std::string_view Error;  // start of the error; empty when the options are good
};

TEST(LiveOptionsTest, GoodAndBadCombinations) {
  const std::vector<OptionCase> cases = {
      {{"--out", "pty"}, ""},
      {{"--out", "pty", "--seconds", "0"}, ""},
      {{"--out", "tcp", "--listen", "0"}, ""},
      {{"--out", "tcp", "--listen", "localhost:4131"}, ""},
      {{"--out", "udp", "--to", "127.0.0.1:4131", "--frames-per-datagram", "5", "--split"}, ""},
      {{"--out", "udp", "--to=10.0.0.7:65535", "--garbage", "0.1", "--rate", "1280"}, ""},
      {{"--out", "serial"}, "--out wants capture, pty, tcp or udp"},
      {{"--out", "udp"}, "--out udp needs --to"},
      {{"--out", "tcp"}, "--out tcp needs --listen"},
      {{"--out", "pty", "--listen", "4131"}, "--listen goes with --out tcp only"},
      {{"--out", "tcp", "--listen", "0", "--to", "127.0.0.1:1"}, "--to goes with --out udp only"},
      {{"--out", "pty", "--split"}, "--split goes with --out udp only"},
      {{"--frames-per-datagram", "2"}, "--frames-per-datagram goes with --out udp only"},
      {{"--out", "udp", "--to", "127.0.0.1:1", "--file", "x"}, "--file goes with --out capture"},
      {{"--out", "pty", "--frames-per-line", "2"}, "--frames-per-line goes with --out capture"},
      {{"--seconds", "0"}, "--seconds 0 (until stopped) goes with a live output"},
      {{"--out", "udp", "--to", "127.0.0.1"}, "--to wants HOST:PORT"},
      {{"--out", "udp", "--to", "127.0.0.1:0"}, "--to wants HOST:PORT"},
      {{"--out", "udp", "--to", "127.0.0.1:65536"}, "--to wants HOST:PORT"},
      {{"--out", "udp", "--to", "example.org:4131"}, "--to wants HOST:PORT"},
      {{"--out", "udp", "--to", "300.1.1.1:4131"}, "--to wants HOST:PORT"},
      {{"--out", "udp", "--to", ":4131"}, "--to wants HOST:PORT"},
      {{"--out", "tcp", "--listen", "x"}, "--listen wants [HOST:]PORT"},
      {{"--out", "tcp", "--listen", "127.0.0.1:-1"}, "--listen wants [HOST:]PORT"},
      {{"--out", "udp", "--to", "127.0.0.1:1", "--frames-per-datagram", "0"},
       "--frames-per-datagram wants a whole number from 1"},
      {{"--out", "udp", "--to", "127.0.0.1:1", "--split=yes"}, "unknown option"},
  };
  for (const OptionCase& c : cases) {
    const SimOptionsResult r = ParseSimOptions(c.Args);
    const std::string shown = c.Args.size() > 1 ? std::string(c.Args[1]) : std::string(c.Args[0]);
    if (c.Error.empty()) {
      EXPECT_FALSE(r.Error) << shown << ": " << *r.Error;
    } else {
      ASSERT_TRUE(r.Error) << shown;
      EXPECT_TRUE(r.Error->starts_with(c.Error)) << *r.Error;
    }
  }
}

TEST(LiveOptionsTest, AddressesAndFlagsLand) {
  const SimOptions udp =
      ParseSimOptions(std::vector<std::string_view>{"--out", "udp", "--to", "localhost:4131",
                                                    "--frames-per-datagram", "12", "--split"})
          .Parsed;
  EXPECT_EQ(udp.To, (HostPort{"localhost", 4131}));
  EXPECT_EQ(udp.FramesPerDatagram, 12);
  EXPECT_TRUE(udp.Split);
  EXPECT_EQ(NumericHost(*udp.To), "127.0.0.1");
  const SimOptions tcp =
      ParseSimOptions(std::vector<std::string_view>{"--out", "tcp", "--listen", "0"}).Parsed;
  EXPECT_EQ(tcp.Listen, (HostPort{"127.0.0.1", 0}));
}

TEST(LiveRunTest, UdpRunSendsTheGeneratorsStreamWithFaultsAndSumsUp) {
  test::UdpReceiver receiver;
  const std::string to = HostPortText(receiver.Address());
  PosixNetwork network;
  std::ostringstream out, err;
  const int code =
      RunSim(std::vector<std::string_view>{"--out", "udp", "--to", to, "--seconds", "0.1", "--rate",
                                           "1000", "--seed", "9", "--garbage", "0.3",
                                           "--frames-per-datagram", "3", "--split"},
             network, out, err);
  EXPECT_EQ(code, 0) << err.str();
  EXPECT_TRUE(out.str().empty());
  GeneratorSettings settings;
  settings.Seed = 9;
  settings.HopsPerSecond = 1000;
  settings.GarbageFraction = 0.3;
  const Bytes expected = test::Concatenated(test::ExpectedHops(settings, 100));
  Bytes received;
  for (Bytes d = receiver.Receive(0); !d.empty(); d = receiver.Receive(0))
    received.insert(received.end(), d.begin(), d.end());
  EXPECT_EQ(received, expected);
  EXPECT_EQ(err.str(), "ptpdiag-sim: 100 hops sent, " + std::to_string(expected.size()) +
                           " bytes sent, 0 bytes dropped\n");
}

TEST(LiveRunTest, PortInUseIsOneErrorLineAndExitCode1) {
  PosixNetwork network;
  const TcpListenResult taken = network.ListenTcp("127.0.0.1", 0);
  ASSERT_TRUE(taken.Listener) << taken.Error;
  const std::string address = "127.0.0.1:" + std::to_string(taken.Listener->LocalPort());
  std::ostringstream out, err;
  EXPECT_EQ(
      RunSim(std::vector<std::string_view>{"--out", "tcp", "--listen", address}, network, out, err),
      1);
  EXPECT_TRUE(out.str().empty());
  EXPECT_TRUE(err.str().starts_with("ptpdiag-sim: cannot listen on " + address)) << err.str();
}

// ptpdiag-sim as its own process, so a stop signal can be sent to it.
class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> args) {
    int outPipe[2], errPipe[2];
    EXPECT_EQ(::pipe2(outPipe, O_CLOEXEC), 0);
    EXPECT_EQ(::pipe2(errPipe, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    ::posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    args.insert(args.begin(), PTPDIAG_SIM_PATH);
    std::vector<char*> argv;
    for (std::string& arg : args)
      argv.push_back(arg.data());
    argv.push_back(nullptr);
    EXPECT_EQ(::posix_spawn(&pid_, PTPDIAG_SIM_PATH, &actions, nullptr, argv.data(), environ), 0);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    out_ = UniqueFd(outPipe[0]);
    err_ = UniqueFd(errPipe[0]);
  }
  ~SimProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  // The first line on its standard output, without the newline.
  std::string FirstLine() {
    std::string line;
    for (Bytes c = test::ReadBytes(out_.Get(), 1, 3000); !c.empty() && c[0] != '\n';
         c = test::ReadBytes(out_.Get(), 1, 3000))
      line += static_cast<char>(c[0]);
    return line;
  }

  // Sends `signal`; returns the exit status and what it wrote on stderr.
  std::pair<int, std::string> StopWith(int signal) {
    ::kill(pid_, signal);
    const Bytes err = test::ReadBytes(err_.Get(), 4096, 3000);  // until it exits
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return {status, std::string(err.begin(), err.end())};
  }

 private:
  pid_t pid_ = -1;
  UniqueFd out_;
  UniqueFd err_;
};

TEST(LiveRunTest, PtyRunsUntilSigintThenSumsUp) {
  SimProcess sim({"--out", "pty", "--seconds", "0", "--rate", "1000", "--seed", "4"});
  const std::string line = sim.FirstLine();
  ASSERT_TRUE(line.starts_with("pty /dev/pts/")) << line;
  const UniqueFd slave(::open(line.substr(4).c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  ASSERT_TRUE(slave.Valid());
  GeneratorSettings settings;
  settings.Seed = 4;
  settings.HopsPerSecond = 1000;
  const Bytes expected = test::Concatenated(test::ExpectedHops(settings, 50));
  EXPECT_EQ(test::ReadBytes(slave.Get(), expected.size(), 3000), expected);
  const auto [status, err] = sim.StopWith(SIGINT);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_TRUE(err.starts_with("ptpdiag-sim: ") && err.find(" hops sent, ") != std::string::npos)
      << err;
}

TEST(LiveRunTest, TcpNamesItsPortAndEndsCleanlyOnSigterm) {
  SimProcess sim({"--out", "tcp", "--listen", "0", "--seconds", "0", "--rate", "1000"});
  const std::string line = sim.FirstLine();
  ASSERT_TRUE(line.starts_with("listening 127.0.0.1:")) << line;
  const auto address = ParseHostPort(line.substr(10));
  ASSERT_TRUE(address) << line;
  const UniqueFd client = test::ConnectTcp(address->Port);
  ASSERT_TRUE(client.Valid());
  EXPECT_EQ(test::ReadBytes(client.Get(), 90, 3000).size(), 90U);
  const auto [status, err] = sim.StopWith(SIGTERM);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_NE(err.find(" bytes dropped\n"), std::string::npos) << err;
}

}  // namespace
}  // namespace ptpdiag::sim
