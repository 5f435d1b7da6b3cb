#include "app/dispatch.h"

#include "app/app.h"
#include "app/window_ops.h"
#include "ui/control_groups.h"
#include "ui/control_table.h"

namespace tarvel {
namespace {

using enum ControlEventKind;

void windSection(App& app, ControlId button) {
    // No second cycle can be started while this one runs; the cycle enables them at its end.
    setSectionButtonsEnabled(app.window(), false);
    const int section = button - ctl::kSection1 + 1;
    app.cycles().windSection(section);
    // After section 2, and only then, what the cycle's last wait took is dropped: a key-down
    // does not jog after it, a close does not end the program.
    if (section == 2) app.state().lastEvent = Event::none();
}

void jogButton(App& app, ControlId id) {
    if (const JogRow* row = findJog(buttonJogs(), id)) app.jogging().jog(*row);
}

void rotationButton(App& app, ControlId id) {
    if (const RotationRow* row = findRotation(id)) app.jogging().rotate(*row);
}

void focusGained(App& app, ControlId id) {
    fieldFocusGained(app.window(), app.state(), id);
}

void focusLost(App& app, ControlId id) {
    fieldFocusLost(app.window(), app.state(), id);
}

// СТОП and ПАУЗА have no row: they act only inside the wait for an acknowledgement.
constexpr Route kRoutes[] = {
    {11, 29, FocusGained, focusGained},
    {37, 37, FocusGained, focusGained},
    {39, 39, FocusGained, focusGained},
    {71, 71, FocusGained, focusGained},
    {84, 84, FocusGained, focusGained},
    {86, 86, FocusGained, focusGained},
    {11, 29, FocusLost, focusLost},
    {37, 37, FocusLost, focusLost},
    {39, 39, FocusLost, focusLost},
    {71, 71, FocusLost, focusLost},
    {84, 84, FocusLost, focusLost},
    {86, 86, FocusLost, focusLost},
    {ctl::kPoles, ctl::kPoles, TextChanged,
     [](App& app, ControlId) { copyPolesToSections(app.window()); }},
    {ctl::kTurns, ctl::kTurns, TextChanged,
     [](App& app, ControlId) { copyTurnsToSections(app.window()); }},
    {ctl::kSection1, ctl::kSection1 + 3, Clicked, windSection},
    {97, 103, Clicked, rotationButton},
    {ctl::kJogHeightUp, ctl::kJogLengthDown, Clicked, jogButton},
    {ctl::kLengthZero, ctl::kRotationZero, Clicked,
     [](App& app, ControlId id) { app.setup().zeroAxis(id); }},
    {ctl::kStartPosition, ctl::kStartPosition, Clicked,
     [](App& app, ControlId) { app.setup().startPosition(); }},
    {ctl::kReset, ctl::kReset, Clicked, [](App& app, ControlId) { app.setup().emergencyReset(); }},
    {ctl::kPark, ctl::kPark, Clicked, [](App& app, ControlId) { app.setup().park(); }},
    {ctl::kChange, ctl::kChange, Clicked,
     [](App& app, ControlId) { app.setup().changeWorkpiece(); }},
    {ctl::kRefresh, ctl::kRefresh, Clicked, [](App& app, ControlId) { app.link().reconnect(); }},
    {ctl::kSend, ctl::kSend, Clicked,
     [](App& app, ControlId) { app.exchange().sendOperatorCommand(); }},
    {ctl::kStake, ctl::kStake, Clicked,
     [](App& app, ControlId) { app.cycles().stakeCommutator(); }},
    {ctl::kNext, ctl::kNext, Clicked, [](App& app, ControlId) { app.setup().nextPosition(); }},
    {ctl::kSave, ctl::kSave, Clicked, [](App& app, ControlId) { app.profile().saveProfile(); }},
    {ctl::kLoad, ctl::kLoad, Clicked, [](App& app, ControlId) { app.profile().loadProfile(); }},
};

}  // namespace

std::span<const Route> controlRoutes() {
    return kRoutes;
}

void dispatchControl(App& app, const Event& event) {
    for (const Route& route : kRoutes) {
        if (event.sub == route.event && event.control >= route.first && event.control <= route.last)
            route.action(app, event.control);
    }
}

void dispatchKey(App& app, int key) {
    if (const JogRow* row = findJog(keyJogs(), key)) app.keyPacer().keyDown(*row);
}

}  // namespace tarvel
