// The computer's power management, as far as the program needs it.
#pragma once

namespace tarvel {

class Power {
  public:
    virtual ~Power() = default;
    // While the machine is being driven the computer must not go to sleep: a sleeping PC stops
    // its USB serial port and leaves the wire half laid. The display may still turn off.
    // Called at every line sent (true) and at every idle pass of the main loop (false), so an
    // implementation tells the system only when the answer changes.
    virtual void keepSystemAwake(bool awake) = 0;
};

}  // namespace tarvel
