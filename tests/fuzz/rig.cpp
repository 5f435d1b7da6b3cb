#include "fuzz/rig.h"

#include <cmath>
#include <cstdlib>
#include <functional>

#include "app/window_ops.h"
#include "ui/control_table.h"

namespace tarvel::rig {
namespace {

// Lines one operation may send before the operator presses СТОП.
constexpr long kLinesBeforeStop = 40;

class RigPort : public SerialPort {
  public:
    bool open(std::string_view) override { return open_ = true; }
    bool isOpen() const override { return open_; }
    int bytesWaiting() override { return static_cast<int>(reply_.size()); }
    int read(char* buffer, int count) override {
        const int n = std::min(count, static_cast<int>(reply_.size()));
        reply_.copy(buffer, static_cast<std::size_t>(n));
        reply_.erase(0, static_cast<std::size_t>(n));
        return n;
    }
    int write(std::string_view text) override {
        ++lines;
        const std::string bad = unsendableWord(text);
        if (!bad.empty()) {
            ++badLines;
            if (firstBadLine.empty()) firstBadLine = std::string(text);
        }
        reply_ = "ok\n";
        return static_cast<int>(text.size());
    }
    void close() override { open_ = false; }
    std::string decode(std::string_view bytes) const override { return std::string(bytes); }

    long lines = 0;
    long badLines = 0;
    std::string firstBadLine;

  private:
    bool open_ = false;
    std::string reply_;
};

class RigWindow : public Window {
  public:
    explicit RigWindow(const RigPort& port) : port_(port) {}
    bool create() override {
        for (std::size_t i = 0; i < controlTable().size(); ++i) {
            texts_[i] = controlTable()[i].caption;
            states_[i] = controlTable()[i].kind == ControlKind::Trackbar ? 1 : 0;
        }
        return true;
    }
    void startTimer(int, int) override {}
    std::string text(ControlId id) const override {
        return texts_.at(static_cast<std::size_t>(id));
    }
    void setText(ControlId id, std::string_view t) override {
        texts_.at(static_cast<std::size_t>(id)) = t;
    }
    int state(ControlId id) const override { return states_.at(static_cast<std::size_t>(id)); }
    void setState(ControlId id, int s) override { states_.at(static_cast<std::size_t>(id)) = s; }
    void enable(ControlId, bool) override {}
    void show(ControlId, bool) override {}
    void setFrontColour(ControlId, Rgb) override {}
    void setBackColour(ControlId, Rgb) override {}
    void showMessage(std::string_view) override { ++messages; }
    // The operator presses СТОП once an operation has sent enough.
    Event waitForEvent(int) override {
        if (port_.lines - linesAtStart >= kLinesBeforeStop)
            return Event::controlEvent(ctl::kStop, ControlEventKind::Clicked);
        return Event::none();
    }

    long messages = 0;
    long linesAtStart = 0;

  private:
    const RigPort& port_;
    std::array<std::string, kControlCount> texts_{};
    std::array<int, kControlCount> states_{};
};

class NoClock : public Clock {
  public:
    void sleep(int ms) override { now_ += ms; }
    std::int64_t nowMs() override { return now_; }

  private:
    std::int64_t now_ = 0;
};

class NoFiles : public Files {
  public:
    Opened<FileReader> openForReading(std::string_view) override {
        return {nullptr, FileError::NotFound};
    }
    Opened<FileWriter> createNew(std::string_view) override {
        return {nullptr, FileError::AccessDenied};
    }
    bool replace(std::string_view, std::string_view) override { return false; }
    bool remove(std::string_view) override { return false; }
};

class NoDialogs : public FileDialogs {
  public:
    std::string askPath(const FileDialogSpec&) override { return {}; }
};

using Operation = std::function<void(App&)>;

std::vector<Operation> operations() {
    std::vector<Operation> ops;
    for (int k = 1; k <= 4; ++k)
        ops.push_back([k](App& app) { app.cycles().windSection(k); });
    ops.push_back([](App& app) { app.cycles().stakeCommutator(); });
    ops.push_back([](App& app) { app.setup().startPosition(); });
    for (const JogRow& row : keyJogs())
        ops.push_back([&row](App& app) { app.jogging().jog(row); });
    for (const JogRow& row : buttonJogs())
        ops.push_back([&row](App& app) { app.jogging().jog(row); });
    for (const RotationRow& row : rotationButtons())
        ops.push_back([&row](App& app) { app.jogging().rotate(row); });
    for (ControlId id : {ctl::kLengthZero, ctl::kHeightZero, ctl::kRotationZero})
        ops.push_back([id](App& app) { app.setup().zeroAxis(id); });
    ops.push_back([](App& app) { app.setup().park(); });
    ops.push_back([](App& app) { app.setup().changeWorkpiece(); });
    ops.push_back([](App& app) { app.setup().nextPosition(); });
    return ops;
}

bool isNumberChar(char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
}

}  // namespace

std::string unsendableWord(std::string_view line) {
    for (std::string_view word : {"inf", "Inf", "INF", "nan", "NaN", "NAN"})
        if (line.find(word) != std::string_view::npos) return std::string(word);
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        if (line[i] < 'A' || line[i] > 'Z' || !isNumberChar(line[i + 1])) continue;
        std::size_t end = i + 1;
        while (end < line.size() && isNumberChar(line[end]))
            ++end;
        const std::string number(line.substr(i + 1, end - i - 1));
        char* stop = nullptr;
        const double value = std::strtod(number.c_str(), &stop);
        const bool whole = stop == number.c_str() + number.size();
        if (!whole || !std::isfinite(value) || value > 2147483647.0 || value < -2147483647.0)
            return std::string(line.substr(i, end - i));
    }
    return {};
}

void runAll(const Inputs& inputs, Tally& tally) {
    RigPort port;
    RigWindow window(port);
    NoClock clock;
    NoFiles files;
    NoDialogs dialogs;
    App app(window, port, clock, files, dialogs);
    window.create();
    port.open("COM1");
    for (std::size_t i = 0; i < std::size(kFields); ++i)
        window.setText(kFields[i], inputs.fields[i]);
    window.setState(ctl::kWindingSpeed, inputs.windingSpeed);
    window.setState(ctl::kStakingPower, inputs.stakingPower);
    ProgramState& state = app.state();
    updateSectionLayout(window, state);

    static const std::vector<Operation> ops = operations();
    for (const Operation& op : ops) {
        state.stopRequested = false;
        state.paused = false;
        state.lastWoundSection = inputs.lastWound;
        state.position = {inputs.position[0], inputs.position[1], inputs.position[2]};
        window.linesAtStart = port.lines;
        const long messagesBefore = window.messages;
        op(app);
        ++tally.operations;
        if (port.lines > window.linesAtStart)
            ++tally.sent;
        else if (window.messages > messagesBefore)
            ++tally.refused;
        else
            ++tally.silent;
    }
    tally.lines += port.lines;
    tally.badLines += port.badLines;
    if (tally.firstBadLine.empty()) tally.firstBadLine = port.firstBadLine;
}

}  // namespace tarvel::rig
