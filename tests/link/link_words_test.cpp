// Link events in words on the status bar, and the retry schedule.
#include "link/link_words.h"

#include <gtest/gtest.h>

#include <sstream>

#include "link/link_events.h"
#include "screens/connection_line.h"
#include "shell/link_commands.h"
#include "state/link_thread.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

using test::TestApp;

struct WordsCase {
  LinkError Error;
  const char* Words;
};

class LinkWords : public testing::TestWithParam<WordsCase> {};

TEST_P(LinkWords, SayWhatHappenedToWhichLink) {
  TestApp t;
  t.app.Link.UdpAddress = "192.168.1.20";
  t.app.Link.UdpPort = " 4000";  // as a radio file gives it
  t.app.Link.CommPortName = "Com3";
  EXPECT_EQ(LinkEventWords(t.app, GetParam().Error), GetParam().Words);
}

INSTANTIATE_TEST_SUITE_P(
    Events, LinkWords,
    testing::Values(
        WordsCase{{kErrTcpConnect, 111, LinkReason::Refused},
                  "TCP: 192.168.1.20:4000 refused the connection"},
        WordsCase{{kErrTcpConnect, 113}, "TCP: 192.168.1.20:4000 cannot be reached"},
        WordsCase{{kErrTcpTimeout, 3}, "TCP: 192.168.1.20:4000 did not answer within 3 s"},
        WordsCase{{kErrTcpPeerClosed, 0}, "TCP: 192.168.1.20:4000 closed the connection"},
        WordsCase{{kErrTcpReceive, 110, LinkReason::Silent},
                  "TCP: 192.168.1.20:4000 stopped answering (gone without a word)"},
        WordsCase{{kErrTcpResolve, 2}, "TCP: the address 192.168.1.20 cannot be found"},
        WordsCase{{kErrTcpNoAddress, 0}, "TCP: no address or port to connect to"},
        WordsCase{{kErrUdpBind, 98, LinkReason::InUse},
                  "UDP: port 4131 is in use by another program; --udp-port N listens on another"},
        WordsCase{{kErrUdpBind, 13}, "UDP: port 4131 cannot be opened"},
        WordsCase{{kErrRingOverflow, 900},
                  "UDP: a datagram of 900 bytes was dropped; the radio sends faster than the "
                  "program reads"},
        WordsCase{{kErrSerialGone, 0}, "Serial: Com3 went away (adapter unplugged?)"},
        WordsCase{{kErrSerialRead, 5}, "Serial: Com3: reading failed"},
        WordsCase{{kErrRecordWrite, 28},
                  "Recording: the capture file cannot be written; recording has stopped"},
        WordsCase{{99, 0}, "Link event 99"}));

TEST(LinkWordsShown, GoToTheStatusBarUnlessMenuHelpIsThere) {
  TestApp t;
  t.app.Link.CommPortName = "Com1";
  ReportLinkError(t.app, LinkError{kErrSerialGone, 0});
  EXPECT_EQ(t.window.StatusText(), "Serial: Com1 went away (adapter unplugged?)");
  EXPECT_EQ(t.app.Store.LinkEventCount, 1);
  t.window.Send(WM_MENUSELECT, 3076, 0);  // Exit highlighted
  ReportLinkError(t.app, LinkError{kErrSerialRead, 5});
  EXPECT_EQ(t.window.StatusText(), "Exit Razozade");
  EXPECT_EQ(t.app.Store.LinkEventCount, 2);     // the event line counts it all the same
  t.window.Send(WM_MENUSELECT, 0xFFFF0000, 0);  // the menu closes
  ReportLinkError(t.app, LinkError{kErrSerialRead, 5});
  EXPECT_EQ(t.window.StatusText(), "Serial: Com1: reading failed");
}

TEST(RetryDelay, DoublesFromOneSecondToSixteenThenStaysAtThirty) {
  const std::int64_t expected[] = {1000, 2000, 4000, 8000, 16000, 30000, 30000, 30000};
  for (int tries = 0; tries < 8; ++tries)
    EXPECT_EQ(RetryDelayMs(tries), expected[tries]);
  EXPECT_EQ(RetryDelayMs(-1), 1000);
  EXPECT_EQ(RetryDelayMs(1'000'000), 30000);
}

// A serial port whose device goes away is tried again on the retry
// schedule, one link event per failed try, and comes back by itself.
TEST(SerialReopen, TriesOnTheScheduleAndComesBack) {
  TestApp t;
  t.app.Link.Reconnect = true;
  t.window.Send(WM_COMMAND, IDM_OPEN_COMM, 0);
  ASSERT_EQ(t.app.Link.CommOpen, 1);
  const auto tick = [&t](int ms) {
    t.clock.Monotonic += ms;
    t.Tick();
  };
  t.source.QueueError = LinkError{kErrSerialGone, 0};
  tick(250);
  EXPECT_EQ(t.app.Store.LinkEventCount, 1);
  EXPECT_EQ(t.app.Link.CommHandle, nullptr);
  EXPECT_EQ(t.app.Link.CommOpen, 1);  // still the open link
  EXPECT_EQ(t.source.Closes, 1);
  t.source.QueueError.reset();
  t.serial.FailWith = SerialOpenError{SerialOpenFailure::NoSuchDevice, "/dev/ttyUSB0", ""};
  for (int i = 0; i < 3; ++i)
    tick(250);  // before the first try is due
  EXPECT_EQ(t.serial.Opened.size(), 1U);
  tick(250);  // 1 s after: the first try fails
  EXPECT_EQ(t.serial.Opened.size(), 2U);
  EXPECT_EQ(t.app.Store.LinkEventCount, 2);
  for (int i = 0; i < 7; ++i)
    tick(250);  // the next is 2 s after
  EXPECT_EQ(t.serial.Opened.size(), 2U);
  t.serial.FailWith.reset();
  t.source.Push(test::Bytes(test::MakeFrame(80, 105, 70, 1, 2, 3, 4)));
  tick(250);
  EXPECT_EQ(t.serial.Opened.size(), 3U);
  EXPECT_NE(t.app.Link.CommHandle, nullptr);
  EXPECT_EQ(t.window.StatusText(), "Reconnected to Com1 after 3 s");
  EXPECT_EQ(t.app.Store.LinkEventCount, 2);
  tick(250);
  EXPECT_NE(t.app.Store.FreqSignal[4], 0);  // the frame on channel 4 arrived
  t.window.Send(WM_COMMAND, IDM_CLOSE_COMM, 0);
  EXPECT_EQ(t.app.Link.CommOpen, 0);
}

TEST(SerialReopen, WithoutReconnectEveryTickIsAnEvent) {
  TestApp t;
  t.window.Send(WM_COMMAND, IDM_OPEN_COMM, 0);
  t.source.QueueError = LinkError{kErrSerialGone, 0};
  for (int i = 0; i < 4; ++i)
    t.Tick();
  EXPECT_EQ(t.app.Store.LinkEventCount, 4);
  EXPECT_NE(t.app.Link.CommHandle, nullptr);
  EXPECT_EQ(t.serial.Opened.size(), 1U);
}

// The footer follows what the TCP thread reports: the failure and a
// countdown to the next try, "connecting" once it is due, "Opened" when
// connected; each event also goes to the event log once.
TEST(TcpProgressShown, FollowsTheThreadsNews) {
  TestApp t;
  t.app.Alarms = AlarmEngine(std::vector<AlarmRule>{});  // the link's own lines only
  std::ostringstream log;
  t.app.Link.EventLog.SetStream(&log);
  t.app.Link.NetLinkMode = NetLink::Tcp;  // as ConnectTcp leaves it, without the thread
  t.app.Link.UdpAddress = "10.0.0.7";
  t.app.Link.UdpPort = "4000";
  const auto footerAfter = [&t](std::int64_t ms) {
    t.clock.Monotonic += ms;
    t.Tick();
    return DescribeConnection(t.app).State;
  };
  EXPECT_EQ(footerAfter(250), "TCP 10.0.0.7:4000  connecting");
  t.app.Link.ThreadEvents.Post(LinkError{kErrTcpConnect, 111, LinkReason::Refused}, 8000);
  EXPECT_EQ(footerAfter(250), "TCP 10.0.0.7:4000  refused, retry in 8 s");
  EXPECT_EQ(footerAfter(5000), "TCP 10.0.0.7:4000  refused, retry in 3 s");
  EXPECT_EQ(footerAfter(3000), "TCP 10.0.0.7:4000  connecting");
  t.app.Link.ThreadEvents.Post(LinkNews{LinkNews::Kind::Connected, {}, -1, 8500});
  EXPECT_EQ(footerAfter(250), "TCP 10.0.0.7:4000  Opened");
  EXPECT_EQ(DescribeConnection(t.app).Stale, "");  // quiet counts from the connection
  t.app.Link.ThreadEvents.Post(LinkError{kErrTcpPeerClosed, 0}, 1000);
  EXPECT_EQ(footerAfter(250), "TCP 10.0.0.7:4000  closed by the radio, retry in 1 s");
  EXPECT_EQ(log.str(),
            "ptpdiag: TCP: 10.0.0.7:4000 refused the connection; trying again in 8 s\n"
            "ptpdiag: Reconnected to 10.0.0.7:4000 after 9 s\n"
            "ptpdiag: TCP: 10.0.0.7:4000 closed the connection; trying again in 1 s\n");
  t.app.Link.NetLinkMode = NetLink::None;
}

// A gone device without reconnect repeats its event every tick; the log
// says it once per 10 s.
TEST(LinkEventLogLines, RepeatsAtMostOncePerTenSeconds) {
  TestApp t;
  t.app.Alarms = AlarmEngine(std::vector<AlarmRule>{});  // the link's own lines only
  std::ostringstream log;
  t.app.Link.EventLog.SetStream(&log);
  t.window.Send(WM_COMMAND, IDM_OPEN_COMM, 0);
  t.source.QueueError = LinkError{kErrSerialGone, 0};
  for (int i = 0; i < 48; ++i) {  // 12 s of ticks
    t.clock.Monotonic += 250;
    t.Tick();
  }
  EXPECT_EQ(t.app.Store.LinkEventCount, 48);
  EXPECT_EQ(log.str(),
            "ptpdiag: Serial: Com1 went away (adapter unplugged?)\n"
            "ptpdiag: Serial: Com1 went away (adapter unplugged?)\n");
  EXPECT_EQ(DescribeConnection(t.app).State, "Com1  device gone");
}

}  // namespace
}  // namespace ptpdiag
