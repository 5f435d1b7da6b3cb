#include "app/dispatch.h"

#include <iterator>
#include <vector>

#include "app/app.h"
#include "app/window_ops.h"
#include "ui/control_groups.h"
#include "ui/control_table.h"

namespace tarvel {
namespace {

using enum ControlEventKind;

// Which button does what, by name.
struct JogControl {
    ControlId control;
    JogButton jog;
};
constexpr JogControl kJogControls[] = {
    {ctl::kJogHeightUp, JogButton::HeightUp},         {ctl::kJogHeightDown, JogButton::HeightDown},
    {ctl::kJogLengthUp, JogButton::LengthUp},         {ctl::kJogLengthDown, JogButton::LengthDown},
    {ctl::kJogRotationDown, JogButton::RotationDown}, {ctl::kJogRotationUp, JogButton::RotationUp},
};

struct RotationControl {
    ControlId control;
    RotationButton rotation;
};
constexpr RotationControl kRotationControls[] = {
    {ctl::kRotateTo0, RotationButton::To0},
    {ctl::kRotateToMinus180, RotationButton::ToMinus180},
    {ctl::kRotateToMinus360, RotationButton::ToMinus360},
    {ctl::kRotateTo180, RotationButton::To180},
    {ctl::kRotateTo360, RotationButton::To360},
    {ctl::kRotateSlotForward, RotationButton::SlotForward},
    {ctl::kRotateSlotBack, RotationButton::SlotBack},
};

struct ZeroControl {
    ControlId control;
    ZeroAxis axis;
};
constexpr ZeroControl kZeroControls[] = {
    {ctl::kLengthZero, ZeroAxis::Length},
    {ctl::kHeightZero, ZeroAxis::Height},
    {ctl::kRotationZero, ZeroAxis::Rotation},
};

template <typename Row, std::size_t N>
const Row* rowOf(const Row (&rows)[N], ControlId id) {
    for (const Row& row : rows)
        if (row.control == id) return &row;
    return nullptr;
}

void windSection(App& app, ControlId button) {
    // No second cycle can be started while this one runs; the cycle enables them at its end.
    setSectionButtonsEnabled(app.window(), false);
    const int section = ctl::kSectionButtons.placeOf(button) + 1;
    app.cycles().windSection(section);
    // After section 2, and only then, what the cycle's last wait took is dropped: a key-down
    // does not jog after it, a close does not end the program.
    if (section == 2) app.events().forgetLast();
}

void jogButton(App& app, ControlId id) {
    if (const JogControl* row = rowOf(kJogControls, id)) app.jogging().jog(buttonJog(row->jog));
}

void rotationButton(App& app, ControlId id) {
    if (const RotationControl* row = rowOf(kRotationControls, id))
        app.jogging().rotate(rotation(row->rotation));
}

void zeroButton(App& app, ControlId id) {
    if (const ZeroControl* row = rowOf(kZeroControls, id)) app.setup().zeroAxis(row->axis);
}

void focusGained(App& app, ControlId id) {
    app.focusEditing().gained(app.window(), id);
}

void focusLost(App& app, ControlId id) {
    app.focusEditing().lost(app.window(), id);
}

// СТОП and ПАУЗА have no row: they act only inside the wait for an acknowledgement. The two
// focus events of every field with focus editing follow these, from the control table.
constexpr auto kKeeps = Continuation::Kept;
constexpr auto kDrops = Continuation::Dropped;

constexpr ControlRun only(ControlId id) {
    return {id, id};
}

constexpr Route kFixedRoutes[] = {
    {only(ctl::kPoles), TextChanged, [](App& app, ControlId) { copyPolesToSections(app.window()); },
     kKeeps},
    {only(ctl::kTurns), TextChanged, [](App& app, ControlId) { copyTurnsToSections(app.window()); },
     kKeeps},
    // A cycle asks itself whether a stopped run of it goes on; another cycle gives it up.
    {ctl::kSectionButtons, Clicked, windSection, kKeeps},
    {ctl::kRotationButtons, Clicked, rotationButton, kKeeps},
    {ctl::kJogButtons, Clicked, jogButton, kKeeps},
    {ctl::kZeroButtons, Clicked, zeroButton, kDrops},
    {only(ctl::kStartPosition), Clicked, [](App& app, ControlId) { app.setup().startPosition(); },
     kDrops},
    {only(ctl::kReset), Clicked, [](App& app, ControlId) { app.setup().emergencyReset(); }, kDrops},
    {only(ctl::kPark), Clicked, [](App& app, ControlId) { app.setup().park(); }, kDrops},
    {only(ctl::kChange), Clicked, [](App& app, ControlId) { app.setup().changeWorkpiece(); },
     kDrops},
    {only(ctl::kRefresh), Clicked, [](App& app, ControlId) { app.link().reconnect(); }, kDrops},
    {only(ctl::kSend), Clicked,
     [](App& app, ControlId) { app.commandBox().send(app.window().text(ctl::kCommandBox)); },
     kDrops},
    {only(ctl::kStake), Clicked, [](App& app, ControlId) { app.cycles().stakeCommutator(); },
     kKeeps},
    {only(ctl::kNext), Clicked, [](App& app, ControlId) { app.setup().nextPosition(); }, kDrops},
    {only(ctl::kSave), Clicked, [](App& app, ControlId) { app.profile().saveProfile(); }, kKeeps},
    {only(ctl::kLoad), Clicked, [](App& app, ControlId) { app.profile().loadProfile(); }, kKeeps},
};

std::vector<Route> buildRoutes() {
    std::vector<Route> routes(std::begin(kFixedRoutes), std::end(kFixedRoutes));
    for (ControlId id : focusEditFields()) {
        routes.push_back({only(id), FocusGained, focusGained, kKeeps});
        routes.push_back({only(id), FocusLost, focusLost, kKeeps});
    }
    return routes;
}

}  // namespace

std::span<const Route> controlRoutes() {
    static const std::vector<Route> routes = buildRoutes();
    return routes;
}

void dispatchControl(App& app, const Event& event) {
    for (const Route& route : controlRoutes()) {
        if (event.sub != route.event || !route.controls.contains(event.control)) continue;
        if (route.continuation == Continuation::Dropped) app.cycles().dropContinuation();
        route.action(app, event.control);
    }
}

void dispatchKey(App& app, int key) {
    if (const Jog* jog = keyJog(key)) app.keyPacer().keyDown(*jog);
}

}  // namespace tarvel
