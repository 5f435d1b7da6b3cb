// Where the machine comes to rest once the controller has carried out every line that went out:
// the record. Each line of an operation says what it sets here, and the record takes it once the
// line counts (it went out, or no port is open), so it reads as the machine will stand once its
// queue is done. After a homing an axis stands where the controller says; where it says nothing,
// the axis is not known until a line declares it or moves it to a place of its own.
#pragma once

namespace tarvel {

struct TrackedPosition {
    float height = 0;    // Z, mm
    float length = 0;    // Y, mm
    float rotation = 0;  // E, degrees
    struct Known {
        bool height = true, length = true, rotation = true;
        friend bool operator==(const Known&, const Known&) = default;
    } known{};

    // Whether the axis of `field` is known.
    bool knows(float TrackedPosition::*field) const {
        if (field == &TrackedPosition::height) return known.height;
        return field == &TrackedPosition::length ? known.length : known.rotation;
    }
    // `field` takes `value`, which makes its axis known.
    void set(float TrackedPosition::*field, float value) {
        this->*field = value;
        knownOf(field) = true;
    }
    void forget(float TrackedPosition::*field) { knownOf(field) = false; }

  private:
    bool& knownOf(float TrackedPosition::*field) {
        if (field == &TrackedPosition::height) return known.height;
        return field == &TrackedPosition::length ? known.length : known.rotation;
    }
};

}  // namespace tarvel
