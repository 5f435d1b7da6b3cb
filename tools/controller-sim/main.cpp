// controller-sim: a simulated motion controller on a Linux pseudo-terminal.
//
// It offers the terminal's slave side under a stable path (a symlink); when a program opens it,
// it sends the controller's identification text, then answers every line with "ok" and logs
// each line with a timestamp. Options make it misbehave on purpose, for tests. With --planner it
// answers as the real controller does instead: a queue of 15 moves carried out in real time.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

#include "controller/queued_controller.h"
#include "motion/gcode_words.h"

namespace {

struct Options {
    std::string link;     // where the slave path is offered
    std::string logPath;  // "-" for standard output
    int delayMs = 0;      // before each "ok"
    bool noOk = false;
    bool splitOk = false;   // "o", a pause, then "k\n"
    int noise = 0;          // bytes of echo text before each "ok"
    int busy = 0;           // "busy" lines before each "ok", 5 ms apart
    bool zeroByte = false;  // a zero byte in each reply, before the "ok"
    int slowIdMs = 0;       // the start-up text in pieces of 16 bytes, this many ms apart
    int idDelayMs = 20;     // before the start-up text
    int firstDelayMs = 0;   // before the first "ok" after the port is opened
    bool silentAfterEmergency = false;
    bool noIdentification = false;
    bool wrongIdentification = false;
    int identificationBytes = -1;  // send only this many bytes of the text
    bool planner = false;          // the real controller's queue, pace and answers
    long restartAfter = 0;         // at this line: no "ok", the start-up text again, all forgotten
    long silentAfter = 0;          // from this line on: no answer at all
    std::string unplugOn;          // this line pulls the cable: a new terminal is offered
    std::string deafOn;  // after this line the board reads nothing more until the port closes
    std::string lateOn;  // this line is answered 100 ms after it came
    // Where the switches stand and the limits the settings hold (both modes; the quick answering
    // only reports positions).
    tarvel::controller::BoardSettings board;
    // The line left with XON/XOFF on, as a terminal program leaves it, and an XOFF byte in the
    // first reply: a program that keeps the setting can write nothing after it.
    bool xonXoff = false;
};

volatile sig_atomic_t stopping = 0;
void onSignal(int) {
    stopping = 1;
}

long long nowUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

// "a,b,c" into the numbers given; a last number stands for those left.
void numbers(const char* text, std::initializer_list<double*> into) {
    char* at = const_cast<char*>(text);
    double last = 0;
    for (double* v : into) {
        if (*at) {
            last = std::strtod(at, &at);
            if (*at == ',') ++at;
        }
        *v = last;
    }
}

// An option: its name, what its value is called (none for a switch), and what it sets.
struct Option {
    std::string_view name;
    const char* value;
    void (*set)(Options&, const char*);
};

constexpr Option kOptions[] = {
    {"--link", "PATH", [](Options& o, const char* v) { o.link = v; }},
    {"--log", "FILE", [](Options& o, const char* v) { o.logPath = v; }},
    {"--planner", nullptr, [](Options& o, const char*) { o.planner = true; }},
    {"--delay-ms", "N", [](Options& o, const char* v) { o.delayMs = std::atoi(v); }},
    {"--no-ok", nullptr, [](Options& o, const char*) { o.noOk = true; }},
    {"--split-ok", nullptr, [](Options& o, const char*) { o.splitOk = true; }},
    {"--noise", "N", [](Options& o, const char* v) { o.noise = std::atoi(v); }},
    {"--busy", "N", [](Options& o, const char* v) { o.busy = std::atoi(v); }},
    {"--zero-byte", nullptr, [](Options& o, const char*) { o.zeroByte = true; }},
    {"--slow-id", "MS", [](Options& o, const char* v) { o.slowIdMs = std::atoi(v); }},
    {"--id-delay-ms", "N", [](Options& o, const char* v) { o.idDelayMs = std::atoi(v); }},
    {"--first-delay-ms", "N", [](Options& o, const char* v) { o.firstDelayMs = std::atoi(v); }},
    {"--silent-after-m112", nullptr,
     [](Options& o, const char*) { o.silentAfterEmergency = true; }},
    {"--no-id", nullptr, [](Options& o, const char*) { o.noIdentification = true; }},
    {"--wrong-id", nullptr, [](Options& o, const char*) { o.wrongIdentification = true; }},
    {"--id-bytes", "N", [](Options& o, const char* v) { o.identificationBytes = std::atoi(v); }},
    {"--xon-xoff", nullptr, [](Options& o, const char*) { o.xonXoff = true; }},
    {"--unplug-on", "LINE", [](Options& o, const char* v) { o.unplugOn = v; }},
    {"--deaf-on", "LINE", [](Options& o, const char* v) { o.deafOn = v; }},
    {"--late-on", "LINE", [](Options& o, const char* v) { o.lateOn = v; }},
    {"--restart-after", "N", [](Options& o, const char* v) { o.restartAfter = std::atol(v); }},
    {"--silent-after", "N", [](Options& o, const char* v) { o.silentAfter = std::atol(v); }},
    {"--home", "Y,Z",
     [](Options& o, const char* v) {
         numbers(v, {&o.board.home.y, &o.board.home.z});
     }},
    {"--feeds", "Y,Z,E",
     [](Options& o, const char* v) {
         auto& speed = o.board.limits.maxSpeed;
         numbers(v, {&speed.y, &speed.z, &speed.e});
     }},
    {"--accelerations", "Y,Z,E,MOVES",
     [](Options& o, const char* v) {
         auto& limits = o.board.limits;
         numbers(v, {&limits.maxAcceleration.y, &limits.maxAcceleration.z,
                     &limits.maxAcceleration.e, &limits.printAcceleration,
                     &limits.retractAcceleration, &limits.travelAcceleration});
     }},
};

[[noreturn]] void usage() {
    std::fprintf(stderr, "usage: controller-sim --link PATH [option...]\n");
    for (const Option& option : kOptions)
        std::fprintf(stderr, "  %.*s%s%s\n", static_cast<int>(option.name.size()),
                     option.name.data(), option.value ? " " : "", option.value ? option.value : "");
    std::fprintf(stderr,
                 "--delay-ms, --no-ok, --split-ok, --noise, --busy, --zero-byte,\n"
                 "--first-delay-ms, --silent-after-m112 and --late-on shape the quick answers:\n"
                 "with --planner they do nothing.\n");
    std::exit(2);
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view given = argv[i];
        const Option* option = std::find_if(std::begin(kOptions), std::end(kOptions),
                                            [&](const Option& row) { return row.name == given; });
        if (option == std::end(kOptions)) usage();
        if (option->value && i + 1 >= argc) usage();
        option->set(o, option->value ? argv[++i] : nullptr);
    }
    if (o.link.empty()) usage();
    return o;
}

// Text that a controller echoes while it works; it never holds "ok".
std::string echoText(std::size_t bytes) {
    std::string text;
    while (text.size() < bytes)
        text += "echo: planner buffer 16 moves, axes Y Z E\n";
    text.resize(bytes);
    return text;
}

std::string identification(const Options& o) {
    if (o.planner) return tarvel::controller::queuedControllerStartUpText(o.board.limits);
    std::string text;
    if (o.wrongIdentification) {
        text = "Generic USB serial device, firmware 1.4 (2019-03-02), no G-code here.\r\n";
        while (text.size() < 160)
            text += "# idle\r\n";
        return text;
    }
    text = "start\r\nTarvel controller, build ";
    text += "2021-12-25 | ";
    text += "axes Y Z E";
    text.resize(55, ' ');
    text += "Tarvel motion firmware - A.V. Korolev";
    text += "\r\necho: 115200 baud, 8N1, planner queue 16 moves, absolute positioning\r\n";
    if (o.identificationBytes >= 0 && static_cast<std::size_t>(o.identificationBytes) < text.size())
        text.resize(static_cast<std::size_t>(o.identificationBytes));
    return text;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void sleepMs(int ms) {
    if (ms > 0) usleep(static_cast<useconds_t>(ms) * 1000);
}

std::string escaped(std::string_view line) {
    std::string out;
    for (unsigned char c : line) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else if (c < 32 || c == 127) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else
            out += static_cast<char>(c);
    }
    return out;
}

// Raw bytes both ways: no echo, no line editing, no CR/LF translation.
void makeRaw(int master) {
    termios t{};
    if (tcgetattr(master, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(master, TCSANOW, &t);
    }
}

class Simulator final : public tarvel::controller::ControllerHost {
  public:
    Simulator(Options o, std::FILE* log) : o_(std::move(o)), log_(log) {}

    int run() {
        if (!offerTerminal()) return 1;
        note("READY %s", ptsname(master_));
        while (!stopping) {
            waitForOpen();
            if (stopping) break;
            if (serveConnection() == Ended::Unplugged && !offerTerminal()) return 1;
        }
        unlink(o_.link.c_str());
        return 0;
    }

  private:
    enum class Ended { Closed, Unplugged };

    // A new pseudo-terminal, its slave side offered at the link path.
    bool offerTerminal() {
        if (master_ >= 0) ::close(master_);
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            std::perror("controller-sim: pseudo-terminal");
            return false;
        }
        makeRaw(master_);
        const char* slave = ptsname(master_);
        // Until its slave side has been opened once, a master reports no hang-up: open and close
        // it here, so that the next open is the program's and shows.
        const int probe = ::open(slave, O_RDWR | O_NOCTTY);
        if (probe >= 0) {
            // The terminal keeps its settings from one opening to the next, as a COM port does.
            if (o_.xonXoff) leaveXonXoffOn(probe);
            ::close(probe);
        }
        unlink(o_.link.c_str());
        if (symlink(slave, o_.link.c_str()) != 0) {
            std::perror("controller-sim: symlink");
            return false;
        }
        return true;
    }

    static void leaveXonXoffOn(int slave) {
        termios t{};
        if (tcgetattr(slave, &t) != 0) return;
        t.c_iflag |= IXON;
        tcsetattr(slave, TCSANOW, &t);
    }

    // The master reports a hang-up while no program holds the slave side open.
    bool slaveOpen() {
        pollfd p{master_, POLLIN, 0};
        poll(&p, 1, 0);
        return (p.revents & POLLHUP) == 0;
    }

    // Closing the port does not reset the board: what it still carries out goes on meanwhile.
    void waitForOpen() {
        while (!stopping && !slaveOpen()) {
            if (o_.planner) queue_.advance(nowUs());
            sleepMs(2);
        }
    }

    Ended serveConnection() {
        note("OPEN");
        silent_ = false;
        answered_ = 0;
        received_ = 0;
        // Opening the port resets the board: a queued controller starts afresh, and a machine
        // still moving (after an emergency stop, say) stops there.
        queue_.reset(nowUs());
        quick_ = tarvel::motion::Machine(o_.board.limits, o_.board.home);
        if (!o_.noIdentification) {
            // Give the program a moment to set the line up before the text arrives.
            sleepMs(o_.idDelayMs);
            sendIdentification();
        }
        std::string pending;
        char buffer[4096];
        while (!stopping) {
            if (o_.planner) queue_.advance(nowUs());
            pollfd p{master_, POLLIN, 0};
            const timespec wait = o_.planner ? until(queue_.nextDueUs()) : timespec{0, 100'000'000};
            if (ppoll(&p, 1, &wait, nullptr) < 0 && errno != EINTR) break;
            if (p.revents & POLLHUP) break;
            if (!(p.revents & POLLIN)) continue;
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) break;
            pending.append(buffer, static_cast<std::size_t>(n));
            for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
                const std::string line = pending.substr(0, end + 1);
                pending.erase(0, end + 1);
                if (!o_.unplugOn.empty() &&
                    line.substr(0, line.find_first_of("\r\n")) == o_.unplugOn) {
                    note("RX %s", escaped(line).c_str());
                    note("UNPLUG");
                    return Ended::Unplugged;
                }
                if (!o_.deafOn.empty() && line.substr(0, line.find_first_of("\r\n")) == o_.deafOn) {
                    note("RX %s", escaped(line).c_str());
                    return hangUntilClosed();
                }
                if (misbehave(line)) continue;
                if (!o_.planner) {
                    answer(line, pending);
                    continue;
                }
                note("RX %s", escaped(line).c_str());
                queue_.receive(line.substr(0, line.find_first_of("\r\n")), nowUs());
            }
        }
        note("CLOSE");
        makeRaw(master_);
        return Ended::Closed;
    }

    // A board whose input hangs: the line fills up behind it and the program's writes stop
    // going out. What was left on the line is dropped once the port is closed.
    Ended hangUntilClosed() {
        note("DEAF");
        for (pollfd p{master_, 0, 0}; !stopping && !(p.revents & POLLHUP);) {
            const timespec wait{0, 100'000'000};
            ppoll(&p, 1, &wait, nullptr);  // wakes at once as the port closes
        }
        tcflush(master_, TCIOFLUSH);
        note("CLOSE");
        makeRaw(master_);
        return Ended::Closed;
    }

    // How long to wait for input before the queue has something to do (at most 100 ms).
    static timespec until(long long dueUs) {
        const long long waitUs = std::clamp(dueUs - nowUs(), 0LL, 100'000LL);
        return timespec{0, static_cast<long>(waitUs * 1000)};
    }

    void send(std::string_view bytes) override { writeAll(master_, bytes); }
    void log(long long atUs, std::string_view text) override {
        std::fprintf(log_, "%lld %.*s\n", atUs, static_cast<int>(text.size()), text.data());
        std::fflush(log_);
    }

    // At once, or in pieces with pauses, followed by more start-up text whose words hold
    // "ok" ("look", "token"), as a slow controller that is still starting up sends it.
    void sendIdentification() {
        const std::string text = identification(o_);
        if (o_.slowIdMs <= 0) {
            writeAll(master_, text);
            return;
        }
        for (std::size_t at = 0; at < text.size(); at += 16) {
            writeAll(master_, std::string_view(text).substr(at, 16));
            sleepMs(o_.slowIdMs);
        }
        writeAll(master_, "echo: look up the manual for the G-code dialect\r\n");
        sleepMs(o_.slowIdMs);
        writeAll(master_, "echo: token 7 of 7\r\n");
    }

    // The N-th line since the port was opened: the board restarts instead of answering (a reset
    // button, a dip of its power), or the controller falls silent for good. True when the line
    // is not to be answered.
    bool misbehave(const std::string& line) {
        ++received_;
        if (silent_) {
            note("RX %s", escaped(line).c_str());
            return true;
        }
        if (received_ == o_.silentAfter) {
            note("RX %s", escaped(line).c_str());
            note("SILENT");
            silent_ = true;
            return true;
        }
        if (received_ != o_.restartAfter) return false;
        note("RX %s", escaped(line).c_str());
        note("RESTART");
        queue_.reset(nowUs());
        quick_ = tarvel::motion::Machine(o_.board.limits, o_.board.home);
        sleepMs(900);  // "start" comes some 0.9 s after the reset
        sendIdentification();
        return true;
    }

    // A program that waits for each "ok" cannot have sent anything more before it is written.
    bool sentAhead(const std::string& pending) {
        pollfd p{master_, POLLIN, 0};
        return !pending.empty() || (poll(&p, 1, 0) > 0 && (p.revents & POLLIN));
    }

    void answer(const std::string& line, const std::string& pending) {
        note("RX %s", escaped(line).c_str());
        if (o_.silentAfterEmergency && line.rfind("M112", 0) == 0) silent_ = true;
        if (o_.noOk || silent_) return;
        sleepMs(answered_ == 0 ? std::max(o_.delayMs, o_.firstDelayMs) : o_.delayMs);
        if (!o_.lateOn.empty() && line.substr(0, line.find_first_of("\r\n")) == o_.lateOn)
            sleepMs(100);
        ++answered_;
        if (sentAhead(pending)) note("EARLY a line came before this one was answered");
        if (o_.noise > 0) writeAll(master_, echoText(static_cast<std::size_t>(o_.noise)));
        for (int i = 0; i < o_.busy; ++i) {
            writeAll(master_, "echo:busy: processing\n");
            sleepMs(5);
        }
        if (o_.zeroByte) writeAll(master_, std::string_view("echo:\0", 6));
        reportWhereAsked(line);
        if (o_.xonXoff && answered_ == 1) writeAll(master_, "echo:\x13\n");
        if (o_.splitOk) {
            writeAll(master_, "o");
            sleepMs(30);
            writeAll(master_, "k\n");
        } else {
            writeAll(master_, "ok\n");
        }
        note("TX ok");
    }

    // The firmware prints where the axes stand at the end of a homing and for M114.
    void reportWhereAsked(const std::string& line) {
        const tarvel::motion::GcodeLine g = tarvel::motion::parseGcode(line);
        quick_.apply(line.substr(0, line.find_first_of("\r\n")));
        if (!g.is('G', 28) && !g.is('M', 114)) return;
        const tarvel::motion::Axes& at = quick_.position();
        char text[128];
        std::snprintf(text, sizeof text, "X:0.00 Y:%.2f Z:%.2f E:%.2f Count X:0 Y:0 Z:0\n", at.y,
                      at.z, at.e);
        writeAll(master_, text);
    }

    template <typename... Args>
    void note(const char* format, Args... args) {
        std::fprintf(log_, "%lld ", nowUs());
        if constexpr (sizeof...(Args) == 0) {
            std::fputs(format, log_);
        } else {
            std::fprintf(log_, format, args...);
        }
        std::fputc('\n', log_);
        std::fflush(log_);
    }

    Options o_;
    std::FILE* log_;
    int master_ = -1;
    bool silent_ = false;
    long answered_ = 0;  // lines answered since the port was opened
    long received_ = 0;  // lines received since the port was opened
    tarvel::controller::QueuedController queue_{*this, o_.board};
    // What the quick answering knows of the machine: where its lines leave it, for the position
    // line of a homing and of M114.
    tarvel::motion::Machine quick_{o_.board.limits, o_.board.home};
};

}  // namespace

int main(int argc, char** argv) {
    Options options = parse(argc, argv);
    std::FILE* log = stdout;
    if (!options.logPath.empty() && options.logPath != "-") {
        log = std::fopen(options.logPath.c_str(), "a");
        if (!log) {
            std::perror("controller-sim: log");
            return 1;
        }
    }
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    return Simulator(std::move(options), log).run();
}
