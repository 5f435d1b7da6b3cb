// Operator check: random sequences of what an operator does (every button and key, the fields the
// cycles read, lines in the command box, СТОП at random moments, answers to the questions) and of
// what the controller does by itself (a restart, a halt, silence), through the whole program in
// memory against a controller that keeps its own position from what it receives, with a reader
// of its own. After every action, once the controller rests:
//  - every axis the readout shows as a number is within 0.5 of the controller's position;
//  - no line goes out once a halt was read (until the port is opened again), and once a restart
//    was read only the zero line;
//  - no line of a section, the staking or ДАЛЕЕ goes out between a homing and the next start
//    position;
//  - no bar of a staking is struck twice.
//   operator-check [SEQUENCES] [SEED]    prints the counts; exit code 1 at the first finding
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "memory/memory_serial.h"
#include "program/program_in_memory.h"
#include "ui/control_groups.h"
#include "ui/control_table.h"

namespace {

using namespace tarvel;

// A G-code line as this controller reads it: its command and its words.
struct Words {
    char command = 0;
    int number = -1;
    std::map<char, double> values;
    bool has(char c) const { return values.count(c) != 0; }
};

Words readWords(const std::string& line) {
    Words w;
    for (std::size_t i = 0; i < line.size() && line[i] != ';';) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(line[i++])));
        if (c < 'A' || c > 'Z') continue;
        char* end = nullptr;
        const double v = std::strtod(line.c_str() + i, &end);
        const bool numbered = end != line.c_str() + i;
        if (numbered) i = static_cast<std::size_t>(end - line.c_str());
        if (w.command == 0 && (c == 'G' || c == 'M') && numbered) {
            w.command = c;
            w.number = static_cast<int>(v);
        } else {
            w.values[c] = numbered ? v : 0;
        }
    }
    return w;
}

// The controller: it moves by what it reads, relative or absolute as it was told, declares and
// homes, and may restart, halt or fall silent when the check says so.
struct Oracle {
    double y = 0, z = 0, e = 0;
    bool relative = false, relativeE = false, inches = false;
    bool halted = false, silent = false;
    const double homeY = -30, homeZ = 40;
    enum class Fault { None, Restart, Halt, Silence } faultAt = Fault::None;
    long faultLine = -1;  // the line of this connection at which the fault comes
    long lines = 0;
    int opens = 0;
    // The bytes sent so far, and where the program must have stopped reading to know of a fault.
    std::size_t emitted = 0;
    std::optional<std::size_t> haltKnownAt, restartKnownAt;
    std::set<long long> struck;
    bool staking = false;
    // A homing has been carried out since the work's zero was last declared.
    bool homed = false;
    std::string finding;

    void send(memory::MemoryDevice& d, const std::string& text, int delayMs = 0) {
        d.arrive(text, delayMs);
        emitted += text.size();
    }
    std::size_t unread(const memory::MemoryDevice& d) const {
        std::size_t n = d.received.size() + d.pending.size();
        for (const auto& a : d.arrivals)
            n += a.bytes.size();
        return n;
    }
    void boardStarted(const memory::MemoryDevice& d) {
        y = z = e = 0;
        relative = relativeE = inches = halted = silent = false;
        haltKnownAt.reset();
        restartKnownAt.reset();
        faultAt = Fault::None;
        lines = 0;
        opens = d.opens;
        emitted = d.identification.size();
        staking = false;
    }
    void report(memory::MemoryDevice& d) {
        char text[128];
        std::snprintf(text, sizeof text, "X:0.00 Y:%.2f Z:%.2f E:%.2f Count X:0 Y:0 Z:0\n", y, z,
                      e);
        send(d, text);
    }
    void checkOrder(memory::MemoryDevice& d, const std::string& line) {
        const std::size_t read = emitted - unread(d);
        if (haltKnownAt && read >= *haltKnownAt)
            finding = "a line went out after the halt was read: " + line;
        if (restartKnownAt && read >= *restartKnownAt) {
            if (line != "G92 X0 Y0 Z0 E0\r\n")
                finding = "a line went out after the restart was read: " + line;
            restartKnownAt.reset();
        }
    }
    void strike(const Words& w, double fromZ) {
        if (!staking || !w.has('Z') || w.values.at('Z') > 0 || fromZ <= 0) return;
        if (w.has('F') && w.values.at('F') == 1500) return;  // a jog of the operator's
        if (!struck.insert(std::llround(e * 1000)).second)
            finding = "a bar was struck twice, at E " + std::to_string(e);
    }
    void line(memory::MemoryDevice& d, const std::string& text) {
        if (d.opens != opens) boardStarted(d);
        checkOrder(d, text);
        if (halted) return;
        ++lines;
        if (lines == faultLine && faultNow(d)) return;
        const Words w = readWords(text);
        execute(d, w, text);
        if (!silent) send(d, "ok\n");
    }
    // The fault due now: true when the line that brought it is not carried out.
    bool faultNow(memory::MemoryDevice& d) {
        switch (std::exchange(faultAt, Fault::None)) {
            case Fault::Restart: {
                const std::string text = memory::controllerIdentification();
                y = z = e = 0;
                relative = relativeE = inches = false;
                restartKnownAt = emitted + text.find("2021-12-25 | ") + 13;
                send(d, text, 900);
                return true;
            }
            case Fault::Halt: {
                const std::string text =
                    "echo:Thermal runaway\nError:Printer halted. kill() called!\n";
                haltKnownAt = emitted + text.size();
                send(d, text, 5);
                halted = true;
                return true;
            }
            case Fault::Silence:
                silent = true;  // it carries the line out, and answers nothing from now on
                return false;
            case Fault::None:
                return false;
        }
        return false;
    }
    void execute(memory::MemoryDevice& d, const Words& w, const std::string& text) {
        const double scale = inches ? 25.4 : 1;
        if (w.command == 'G' && (w.number == 0 || w.number == 1)) {
            const double fromZ = z;
            if (w.has('Y')) y = (relative ? y : 0) + w.values.at('Y') * scale;
            if (w.has('Z')) z = (relative ? z : 0) + w.values.at('Z') * scale;
            if (w.has('E')) e = (relative || relativeE ? e : 0) + w.values.at('E') * scale;
            strike(w, fromZ);
        } else if (w.command == 'G' && w.number == 92) {
            if (w.has('Y')) y = w.values.at('Y');
            if (w.has('Z')) z = w.values.at('Z');
            if (w.has('E')) e = w.values.at('E');
            // The staking declares its height and angle zero; a section its angle alone.
            staking = text.rfind("G92 Z0 E0", 0) == 0;
            struck.clear();
            // The work's zero declared anew (by the start position, or after a restart).
            if (w.has('X') && w.has('Y') && w.has('Z') && w.has('E')) homed = false;
            report(d);
        } else if (w.command == 'G' && w.number == 28) {
            const bool all = !w.has('Y') && !w.has('Z') && !w.has('X') && !w.has('E');
            if (all || w.has('Y')) y = homeY;
            if (all || w.has('Z')) z = homeZ;
            homed = true;
            report(d);
        } else if (w.command == 'M' && w.number == 114) {
            report(d);
        } else if (w.command == 'M' && w.number == 112) {
            const std::string t = "echo:M112 Shutdown\nError:Printer halted. kill() called!\n";
            haltKnownAt = emitted + t.size();
            send(d, t);
            halted = true;
            silent = true;
        } else if (w.command == 'G' && (w.number == 90 || w.number == 91)) {
            relative = w.number == 91;
        } else if (w.command == 'M' && (w.number == 82 || w.number == 83)) {
            relativeE = w.number == 83;
        } else if (w.command == 'G' && (w.number == 20 || w.number == 21)) {
            inches = w.number == 20;
        }
    }
};

const char* const kBoxTexts[] = {"G0 Z20 F1500",
                                 "G0 Y5 F1500",
                                 "G92 Z5",
                                 "G28",
                                 "G28 Z",
                                 "G91",
                                 "M83",
                                 "G0 E90 F15000",
                                 "G90\nG0 Y3 F1500\nG0 Z2 F1500",
                                 "M82",
                                 "G20",
                                 "G0 Y-7.5 F1500",
                                 "M114",
                                 "G0 Y1 F1500\nG91\nG0 Y1"};

const ControlId kButtons[] = {ctl::kSection1,
                              ctl::kSection2,
                              ctl::kStake,
                              ctl::kNext,
                              ctl::kStartPosition,
                              ctl::kPark,
                              ctl::kChange,
                              ctl::kReset,
                              ctl::kRefresh,
                              ctl::kLengthZero,
                              ctl::kHeightZero,
                              ctl::kRotationZero,
                              ctl::kJogHeightUp,
                              ctl::kJogHeightDown,
                              ctl::kJogLengthUp,
                              ctl::kJogLengthDown,
                              ctl::kJogRotationDown,
                              ctl::kJogRotationUp,
                              ctl::kRotateTo0,
                              ctl::kRotateTo180,
                              ctl::kRotateToMinus360,
                              ctl::kRotateSlotForward,
                              ctl::kRotateSlotBack,
                              ctl::kStartPosition,
                              ctl::kRefresh,
                              ctl::kSection1,
                              ctl::kStake};

const int kKeys[] = {key::kUp,    key::kDown,       key::kLeft,
                     key::kRight, key::kNumpadPlus, key::kNumpadMinus};

// One sequence of actions in a program of its own; the first finding, or empty.
class Sequence {
  public:
    explicit Sequence(std::mt19937_64& rng) : rng_(rng) {}

    std::string run(int actions) {
        start();
        for (int i = 0; i < actions && finding_.empty(); ++i) {
            const std::string what = act();
            program_.runUntilIdle();
            settle();
            check(what);
            done_ += "  " + what + " [" + std::to_string(linesOfAction_) + " lines" +
                     (oracle_.homed ? ", homed" : "") + (oracle_.halted ? ", halted" : "") +
                     (oracle_.silent ? ", silent" : "") + "]\n";
            if (!program_.window.faults.empty())
                finding_ = what + ": " + program_.window.faults.front();
        }
        return finding_;
    }
    long lines() const { return lines_; }
    // What the sequence did, one action a line.
    const std::string& done() const { return done_; }

  private:
    long pick(long n) { return static_cast<long>(rng_() % static_cast<unsigned long>(n)); }

    void start() {
        memory::MemoryDevice d;
        d.identification = memory::controllerIdentification();
        d.keepWritten = false;
        d.onWrite = [this](memory::MemoryDevice& dev, const std::string& line) {
            ++lines_;
            ++linesOfAction_;
            lastWriteMs_ = program_.clock.now;
            oracle_.line(dev, line);
            if (stopAtLine_ > 0 && linesOfAction_ == stopAtLine_) program_.window.click(ctl::kStop);
        };
        program_.port.devices["COM1"] = std::move(d);
        program_.window.closeWhenIdle = false;
        program_.window.keepLogs = false;
        // A controller that has fallen silent is let go with СТОП, as an operator would.
        program_.window.idleEvent = [this] {
            return oracle_.silent && !oracle_.halted && program_.clock.now - lastWriteMs_ > 3000
                       ? Event::controlEvent(ctl::kStop, ControlEventKind::Clicked)
                       : Event::none();
        };
        program_.app.startUp();
        const std::pair<ControlId, const char*> fields[] = {
            {ctl::kCoreHeight, "40"},         {ctl::kCoreDiameter, "50"}, {ctl::kSlotCount, "12"},
            {ctl::kSlotDepth, "10"},          {ctl::kSlotWidth, "5"},     {ctl::kPoles, "5"},
            {ctl::kCommutatorDistance, "10"}, {ctl::kDirection, "0"},     {ctl::kBarCount, "4"}};
        for (const auto& [id, text] : fields)
            program_.window.controls[id].text = text;
    }

    memory::MemoryDevice& device() { return program_.port.devices.at("COM1"); }

    // The program idles until it has read everything the controller sent (for at most 10 s).
    void settle() {
        for (int pass = 0; pass < 500 && program_.port.isOpen() && oracle_.unread(device()) > 0;
             ++pass)
            program_.app.mainLoopPass();
    }

    // Does one thing, as the operator or the controller; says what.
    std::string act() {
        memory::MemoryWindow& w = program_.window;
        linesOfAction_ = 0;
        stopAtLine_ = pick(3) == 0 ? pick(40) + 1 : 0;
        if (pick(25) == 0) return controllerFault();
        for (int n = 0; n < 3; ++n)
            w.answers.push_back(static_cast<Answer>(pick(3)));
        switch (pick(6)) {
            case 0: {
                const int k = kKeys[pick(std::size(kKeys))];
                w.key(k);
                return "key " + std::to_string(k);
            }
            case 1: {
                const char* text = kBoxTexts[pick(std::size(kBoxTexts))];
                w.step([&w, text] { w.controls[ctl::kCommandBox].text = text; });
                w.click(ctl::kSend);
                return std::string("box ") + text;
            }
            case 2: {
                const ControlId field = pick(2) ? ctl::kSectionTurns1
                                                : (pick(2) ? ctl::kBarCount : ctl::kRotationAfter);
                const std::string text =
                    std::to_string(pick(4) + (field == ctl::kRotationAfter ? -1 : 1));
                w.controls[field].text = text;
                return "field " + std::to_string(field.number()) + " = " + text;
            }
            default: {
                const ControlId button = kButtons[pick(std::size(kButtons))];
                homedBefore_ = oracle_.homed;
                clicked_ = button;
                w.click(button);
                return "click " + std::string(specOf(button).caption);
            }
        }
    }

    // A restart or a halt at once, while the program is idle, or at one of the next lines; or
    // silence from one of them on.
    std::string controllerFault() {
        const long kind = pick(3);
        oracle_.faultAt = kind == 0   ? Oracle::Fault::Restart
                          : kind == 1 ? Oracle::Fault::Halt
                                      : Oracle::Fault::Silence;
        oracle_.faultLine = oracle_.lines + 1 + pick(20);
        const bool atOnce = kind != 2 && pick(2) == 0;
        if (atOnce && !oracle_.halted) oracle_.faultNow(device());
        return std::string(kind == 0   ? "restart"
                           : kind == 1 ? "halt"
                                       : "silence") +
               (atOnce ? " at rest" : " at a coming line");
    }

    // The readout's number of an axis, or none when it says the axis is not known.
    static std::optional<double> shown(const std::string& readout, const std::string& label) {
        const std::size_t at = readout.find(label);
        if (at == std::string::npos) return std::nullopt;
        const char* text = readout.c_str() + at + label.size();
        char* end = nullptr;
        const double v = std::strtod(text, &end);
        if (end == text) return std::nullopt;
        return v;
    }

    void check(const std::string& what) {
        memory::MemoryDevice& d = device();
        if (d.opens != oracle_.opens) oracle_.boardStarted(d);
        if (!oracle_.finding.empty()) finding_ = what + ": " + oracle_.finding;
        const bool cycle = clicked_ == ctl::kSection1 || clicked_ == ctl::kSection2 ||
                           clicked_ == ctl::kStake || clicked_ == ctl::kNext;
        if (cycle && homedBefore_ && linesOfAction_ > 0)
            finding_ = what +
                       ": a cycle's line went out after a homing, before the start position (" +
                       std::to_string(linesOfAction_) + " lines)";
        clicked_ = ControlId{};
        if (!program_.port.isOpen()) return;
        const std::string readout = program_.window.text(ctl::kReadout);
        const struct {
            const char* label;
            double at;
        } axes[] = {{"Высота: ", oracle_.z}, {"Длина: ", oracle_.y}, {"Поворот: ", oracle_.e}};
        for (const auto& a : axes) {
            const std::optional<double> v = shown(readout, a.label);
            if (v && std::abs(*v - a.at) > 0.5 + 1e-6)
                finding_ = what + ": the readout shows " + a.label + std::to_string(*v) +
                           ", the controller stands at " + std::to_string(a.at);
        }
    }

    std::mt19937_64& rng_;
    ProgramInMemory program_;
    Oracle oracle_;
    std::string finding_, done_;
    long lines_ = 0, linesOfAction_ = 0, stopAtLine_ = 0;
    std::int64_t lastWriteMs_ = 0;
    bool homedBefore_ = false;
    ControlId clicked_;
};

}  // namespace

int main(int argc, char** argv) {
    const long sequences = argc > 1 ? std::atol(argv[1]) : 300;
    const unsigned long long seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 20261210;
    std::mt19937_64 rng(seed);
    long lines = 0;
    for (long n = 0; n < sequences; ++n) {
        Sequence sequence(rng);
        const std::string finding = sequence.run(40);
        lines += sequence.lines();
        if (std::getenv("OPERATOR_CHECK_SHOW") && n == 0)
            std::printf("%s", sequence.done().c_str());
        if (!finding.empty()) {
            std::printf("sequence %ld (seed %llu): %s\nafter:\n%s", n, seed, finding.c_str(),
                        sequence.done().c_str());
            return 1;
        }
    }
    std::printf("%ld sequences of 40 actions, %ld lines: 0 findings\n", sequences, lines);
    return 0;
}
