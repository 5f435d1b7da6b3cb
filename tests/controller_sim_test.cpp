// The practice controller answers as the real one: "ok" at once while its queue of 15 moves has
// room, late once it is full; M400 and G04 when the machine is at rest (G04 reading P and S, not
// X); G92 with a position report; M112 at once, the machine moving on for 0.6 s, then silence
// until it is reset.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "controller/queued_controller.h"

namespace tarvel::controller {
namespace {

class RecordingHost : public ControllerHost {
  public:
    void send(std::string_view bytes) override { sent += bytes; }
    void log(long long atUs, std::string_view text) override { logs.emplace_back(atUs, text); }
    int oks() const {
        int n = 0;
        for (std::size_t at = sent.find("ok\n"); at != std::string::npos;
             at = sent.find("ok\n", at + 1))
            ++n;
        return n;
    }
    std::string sent;
    std::vector<std::pair<long long, std::string>> logs;
};

constexpr long long kJogUs = 48333;  // 1 mm at 25 mm/s from rest to rest, 3000 mm/s²

TEST(QueuedController, AnswersAsTheRealControllerDoes) {
    RecordingHost host;
    QueuedController c(host);
    c.reset(0);
    auto line = [&](const char* text, long long at) {
        c.receive(text, at);
        c.advance(at);
    };

    for (int i = 1; i <= 15; ++i)
        line(("G0 Y" + std::to_string(i) + "F1500").c_str(), 0);
    EXPECT_EQ(host.oks(), 15);
    line("G0 Y16F1500", 0);  // the queue is full: answered when the first move ends
    EXPECT_EQ(c.nextDueUs(), kJogUs);
    c.advance(kJogUs - 1);
    EXPECT_EQ(host.oks(), 15);
    c.advance(kJogUs);
    EXPECT_EQ(host.oks(), 16);

    line("M400", kJogUs);  // answered when all 16 have ended
    c.advance(16 * kJogUs - 1);
    EXPECT_EQ(host.oks(), 16);
    c.advance(16 * kJogUs);
    EXPECT_EQ(host.oks(), 17);
    EXPECT_EQ(host.logs.back(), std::make_pair(16 * kJogUs, std::string("TX ok")));
    EXPECT_EQ(host.logs[host.logs.size() - 2],
              std::make_pair(16 * kJogUs, std::string("REST Y16.000 Z0.000 E0.000")));

    host.sent.clear();
    line("G92 Y5", 2'000'000);
    EXPECT_EQ(host.sent, "X:0.00 Y:5.00 Z:0.00 E:0.00 Count X:0 Y:1280 Z:0\nok\n");

    host.sent.clear();
    line("G04 S4.5", 2'000'000);  // the machine is at rest: 4.5 s, busy lines at 2 and 4 s
    for (long long t = 2'000'000; t <= 6'500'000; t += 100'000)
        c.advance(t);
    EXPECT_EQ(host.sent, "echo:busy: processing\necho:busy: processing\nok\n");
    host.sent.clear();
    line("G0 Y6F1500", 6'600'000);
    line("G04 X4.5", 6'600'000);  // no dwell: answered as the move ends
    c.advance(6'600'000 + kJogUs);
    EXPECT_EQ(host.sent, "ok\nok\n");

    // M112 behind a held line is acted on at once; the machine goes on for 0.6 s, long enough
    // for the move under way to end and for the next to be cut short, and then stands still.
    host.sent.clear();
    for (int i = 1; i <= 16; ++i)  // 20 mm each, from Y 6
        line(i % 2 ? "G0 Y26F1500" : "G0 Y6F1500", 7'000'000);
    const long long moveUs = c.nextDueUs() - 7'000'000;  // 20 mm at 25 mm/s: 808 ms
    c.advance(7'000'000 + moveUs);                       // the first has ended, the 16th is in
    const long long stopUs = 7'500'000 + moveUs;
    line("G0 Y26F1500", stopUs);  // held: the queue is full
    line("M112", stopUs);
    c.advance(stopUs + 599'999);
    EXPECT_EQ(c.queuedMoves(), 14u);
    c.advance(stopUs + 600'000);
    EXPECT_EQ(c.queuedMoves(), 0u);
    EXPECT_EQ(host.logs.back().first, stopUs + 600'000);
    EXPECT_EQ(host.logs.back().second.substr(0, 6), "REST Y");
    line("G0 Y0F1500", stopUs + 700'000);
    c.advance(20'000'000);
    std::string expected;
    for (int i = 0; i < 16; ++i)
        expected += "ok\n";
    EXPECT_EQ(host.sent, expected + "echo:M112 Shutdown\nError:Printer halted. kill() called!\n");
    c.reset(21'000'000);  // the port opened again
    line("G0 Y1F1500", 21'000'000);
    EXPECT_TRUE(host.sent.ends_with("ok\n"));
}

// Where the machine stands within the move it carries out: along the move's trapezoid, in the
// counted coordinates and in those the program declared; frozen where the motors stopped it.
TEST(QueuedController, TheMachineWithinItsMoves) {
    RecordingHost host;
    QueuedController c(host);
    c.reset(0);
    c.receive("G92 Y10", 0);      // declared 10 where it stands
    c.receive("G0 Y11F1500", 0);  // 1 mm: 48.333 ms from rest to rest
    c.receive("G0 Y12F1500", 0);
    c.advance(0);
    const struct {
        long long atUs;
        double travelled, declared;
        std::size_t queued;
        bool moving;
    } moments[] = {
        {0, 0, 10, 2, true},
        {kJogUs / 2, 0.5, 10.5, 2, true},  // half way, by the symmetry of the trapezoid
        {1000, 0.5 * 3000 * 1e-6 / 1.0, 10.0015, 2, true},  // 1 ms of acceleration
        {kJogUs + kJogUs / 2, 1.5, 11.5, 1, true},
        {2 * kJogUs, 2, 12, 0, false},
    };
    for (const auto& m : moments) {
        c.advance(m.atUs);
        const MachineState s = c.state(m.atUs);
        EXPECT_NEAR(s.travelled.y, m.travelled, 0.001) << m.atUs;
        EXPECT_NEAR(s.declared.y, m.declared, 0.001) << m.atUs;
        EXPECT_EQ(s.queuedMoves, m.queued) << m.atUs;
        EXPECT_EQ(s.moving, m.moving) << m.atUs;
    }
    // M112 in a 20 mm move: the motors stop it 0.6 s on, 15 mm along (25 mm/s from 0.008 s).
    c.receive("G0 Y32F1500", 2 * kJogUs);
    c.advance(2 * kJogUs);
    c.receive("M112", 2 * kJogUs);
    c.advance(2 * kJogUs + 2'000'000);
    const MachineState stopped = c.state(2 * kJogUs + 2'000'000);
    EXPECT_NEAR(stopped.travelled.y, 2 + 25 * (0.6 - 25.0 / 3000 / 2), 0.01);
    EXPECT_FALSE(stopped.moving);
}

}  // namespace
}  // namespace tarvel::controller
