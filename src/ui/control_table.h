// Every control of the main window as data: the Win32 window and the test fakes both build
// themselves from this table, so what the tests check is what the operator gets.
#pragma once

#include <array>
#include <optional>
#include <span>

#include "platform/window.h"

namespace tarvel {

constexpr int kControlCount = 115;

enum class ControlKind { Label, TextField, NumberField, CommandBox, Button, ProgressBar, Trackbar };

enum class Align { Left, Centre };

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

struct FontSpec {
    const char* face;
    int points;
    bool bold;
};

// Font number -1 means the platform's default control font.
constexpr int kDefaultFont = -1;
constexpr int kFontCount = 7;
const std::array<FontSpec, kFontCount>& fontTable();

struct ControlSpec {
    ControlKind kind = ControlKind::Label;
    Rect rect;
    const char* caption = "";
    int font = kDefaultFont;
    std::optional<Rgb> front;
    std::optional<Rgb> back;
    Align align = Align::Left;
};

// Indexed by ControlId.
const std::array<ControlSpec, kControlCount>& controlTable();

// True for the kinds that take the keyboard focus (Tab moves among them in number order).
bool takesFocus(ControlKind kind);

namespace colour {
constexpr Rgb kLabelText{64, 64, 64};
constexpr Rgb kLightRow{198, 224, 180};
constexpr Rgb kDarkRow{169, 208, 142};
constexpr Rgb kPanel{128, 187, 206};
constexpr Rgb kStatusCreated{244, 176, 132};
constexpr Rgb kDisconnected{165, 7, 37};
constexpr Rgb kConnected{37, 165, 7};
}  // namespace colour

// Controls that other parts of the program address by name.
namespace ctl {
constexpr ControlId kCoreHeight = 11;
constexpr ControlId kCoreDiameter = 12;
constexpr ControlId kSlotCount = 13;
constexpr ControlId kSlotDepth = 14;
constexpr ControlId kSlotWidth = 15;
constexpr ControlId kPoles = 16;
constexpr ControlId kTurns = 17;
constexpr ControlId kCommutatorDistance = 18;
constexpr ControlId kBarCount = 19;
constexpr ControlId kDirection = 20;
constexpr ControlId kLayingOrder = 21;
constexpr ControlId kRotationBefore = 37;
constexpr ControlId kRotationAfter = 39;
constexpr ControlId kJogHeightUp = 63;
constexpr ControlId kJogHeightDown = 64;
constexpr ControlId kJogLengthUp = 65;
constexpr ControlId kJogRotationDown = 66;
constexpr ControlId kJogRotationUp = 67;
constexpr ControlId kJogLengthDown = 68;
constexpr ControlId kStatus = 69;
constexpr ControlId kRefresh = 72;
constexpr ControlId kCommandBox = 73;
constexpr ControlId kSend = 74;
constexpr ControlId kLengthZero = 75;
constexpr ControlId kHeightZero = 76;
constexpr ControlId kRotationZero = 77;
constexpr ControlId kStartPosition = 78;
constexpr ControlId kReadout = 79;
constexpr ControlId kReset = 80;
constexpr ControlId kPark = 81;
constexpr ControlId kChange = 82;
constexpr ControlId kCycleProgress = 87;
constexpr ControlId kWindingSpeed = 88;
constexpr ControlId kSave = 91;
constexpr ControlId kLoad = 92;
constexpr ControlId kSection1 = 93;  // 93 to 96 for sections 1 to 4
constexpr ControlId kStop = 104;
constexpr ControlId kPause = 105;
constexpr ControlId kStake = 106;
constexpr ControlId kNext = 107;
constexpr ControlId kProfilePath = 108;
constexpr ControlId kSectionProgress1 = 109;  // 109 to 112 for sections 1 to 4
constexpr ControlId kStakingPower = 113;
}  // namespace ctl

// Control groups, in the order in which they are applied.
std::span<const ControlId> machineControls();  // 19 controls
std::span<const ControlId> manualControls();   // 13 controls
std::span<const ControlId> windingControls();  // 6 controls
std::span<const ControlId> focusEditFields();  // 24 fields
bool hasFocusEditing(ControlId id);

// The seven fields of section k (1 to 4): lead-in and lead-out offset, span, turns, section
// offset, offset turns, position.
std::array<ControlId, 7> sectionColumn(int section);

}  // namespace tarvel
