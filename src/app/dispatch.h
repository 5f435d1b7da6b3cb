// The dispatch of keys and control events, as data: the main loop looks an event up in these
// tables and runs every row that matches.
#pragma once

#include <span>

#include "platform/window.h"
#include "ui/control_ids.h"

namespace tarvel {

class App;

using Action = void (*)(App& app, ControlId id);

// Whether a cycle that СТОП ended can still be continued after the action: only moves the position
// record follows (jogs, the rotation buttons) keep the record in the coordinates the cycle stopped
// in; any other line may declare them anew, and a new connection resets the controller. Actions
// that send nothing (a field's focus, a profile) keep it too.
enum class Continuation { Kept, Dropped };

// A control, or a run of controls, the event that it reacts to, what it does, and whether a
// stopped cycle can be continued after it: every route says so, since a line the record does not
// follow would make the continuation false.
struct Route {
    constexpr Route(ControlRun runOf, ControlEventKind kind, Action act, Continuation keeps)
        : controls(runOf), event(kind), action(act), continuation(keeps) {}

    ControlRun controls;
    ControlEventKind event;
    Action action;
    Continuation continuation;
};

std::span<const Route> controlRoutes();

// Runs every route of the event's control and sub-kind.
void dispatchControl(App& app, const Event& event);
// Jogs when the key has a row in the key table; any other key does nothing.
void dispatchKey(App& app, int key);

}  // namespace tarvel
