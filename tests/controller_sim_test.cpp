// The practice controller answers as the real one: "ok" at once while its queue of 16 moves has
// room, late once it is full; M400 and G04 when the machine is at rest; G92 with a position
// report; M112 silence until it is reset.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "queued_controller.h"

namespace controller_sim {
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

    for (int i = 1; i <= 16; ++i)
        line(("G0 Y" + std::to_string(i) + "F1500").c_str(), 0);
    EXPECT_EQ(host.oks(), 16);
    line("G0 Y17F1500", 0);  // the queue is full: answered when the first move ends
    EXPECT_EQ(c.nextDueUs(), kJogUs);
    c.advance(kJogUs - 1);
    EXPECT_EQ(host.oks(), 16);
    c.advance(kJogUs);
    EXPECT_EQ(host.oks(), 17);

    line("M400", kJogUs);  // answered when all 17 have ended
    c.advance(17 * kJogUs - 1);
    EXPECT_EQ(host.oks(), 17);
    c.advance(17 * kJogUs);
    EXPECT_EQ(host.oks(), 18);
    EXPECT_EQ(host.logs.back(), std::make_pair(17 * kJogUs, std::string("TX ok")));
    EXPECT_EQ(host.logs[host.logs.size() - 2], std::make_pair(17 * kJogUs, std::string("REST")));

    host.sent.clear();
    line("G92 Y5", 2'000'000);
    EXPECT_EQ(host.sent, "X:0.00 Y:5.00 Z:0.00 E:0.00 Count X:0 Y:1360 Z:0\nok\n");

    host.sent.clear();
    line("G04 X4.5", 2'000'000);  // the machine is at rest: 4.5 s, busy lines at 2 and 4 s
    for (long long t = 2'000'000; t <= 6'500'000; t += 100'000)
        c.advance(t);
    EXPECT_EQ(host.sent, "echo:busy: processing\necho:busy: processing\nok\n");

    host.sent.clear();
    line("G0 Y100F1500", 7'000'000);
    line("M112", 7'000'000);  // stops the move at once; nothing is answered any more
    line("G0 Y0F1500", 7'100'000);
    c.advance(20'000'000);
    EXPECT_EQ(host.sent, "ok\necho:M112 Shutdown\nError:Printer halted. kill() called!\n");
    EXPECT_EQ(c.queuedMoves(), 0u);
    c.reset(21'000'000);  // the port opened again
    line("G0 Y1F1500", 21'000'000);
    EXPECT_TRUE(host.sent.ends_with("ok\n"));
}

}  // namespace
}  // namespace controller_sim
