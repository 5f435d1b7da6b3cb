// Every control of the main window as data: the Win32 window and the in-memory window both build
// themselves from this table, so what the tests check is what the operator gets. The groups, the
// section columns and the order of a profile's fields are read off the table too.
#pragma once

#include <array>
#include <optional>
#include <span>

#include "platform/window.h"
#include "ui/control_ids.h"

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
// The font of the four arrow buttons (Webdings letters), which a PC may lack.
constexpr int kArrowFont = 2;
const std::array<FontSpec, kFontCount>& fontTable();

// The groups a control belongs to, as flags.
namespace group {
constexpr unsigned kMachine = 1;  // greyed while no controller is connected
constexpr unsigned kManual = 2;   // usable once the connection has declared the start position
constexpr unsigned kWinding = 4;  // usable once УСТАНОВИТЬ НАЧАЛЬНУЮ ПОЗИЦИЮ was pressed
constexpr unsigned kFocusEdit = 8;  // empties for typing; its text comes back when left empty
}  // namespace group

// The rows of the section table, top down; a section's column holds one field of each.
enum class SectionRow { LeadIn, LeadOut, Span, Turns, SectionOffset, OffsetTurns, Position };
constexpr int kSectionRows = 7;
constexpr int kSections = 4;

struct SectionCell {
    SectionRow row = SectionRow::LeadIn;
    int section = 0;  // 1 to 4; 0 for a control outside the section table
};

struct ControlSpec {
    const char* name = nullptr;  // the control's name in ctl::, "kStatus"
    ControlKind kind = ControlKind::Label;
    Rect rect;
    const char* caption = "";
    int font = kDefaultFont;
    std::optional<Rgb> front;
    std::optional<Rgb> back;
    Align align = Align::Left;
    unsigned groups = 0;
    SectionCell cell;
    int fills = 0;  // how often the table's source gave this row: once for every control
};

// In number order, a row for every control.
const std::array<ControlSpec, kControlCount>& controlTable();
// Every control, in number order.
constexpr ControlRun kEveryControl{ControlId(0), ControlId(kControlCount - 1)};
// The row of a control of the table (kEveryControl.contains(id)).
const ControlSpec& specOf(ControlId id);

// True for the kinds that take the keyboard focus (Tab moves among them in number order).
bool takesFocus(ControlKind kind);
// True for the kinds that report gaining and losing the focus (the edit boxes).
bool reportsFocus(ControlKind kind);

namespace colour {
constexpr Rgb kLabelText{64, 64, 64};
constexpr Rgb kLightRow{198, 224, 180};
constexpr Rgb kDarkRow{169, 208, 142};
constexpr Rgb kPanel{128, 187, 206};
constexpr Rgb kStatusCreated{244, 176, 132};
constexpr Rgb kDisconnected{165, 7, 37};
constexpr Rgb kConnected{37, 165, 7};
}  // namespace colour

// The controls of a group, in number order.
std::span<const ControlId> machineControls();  // 19 controls
std::span<const ControlId> manualControls();   // 13 controls
std::span<const ControlId> windingControls();  // 6 controls
std::span<const ControlId> focusEditFields();  // 24 fields
bool hasFocusEditing(ControlId id);

// The field of a row of the section table in section k's column (1 to 4).
ControlId sectionField(SectionRow row, int section);
// The seven fields of section k, top down.
std::array<ControlId, kSectionRows> sectionColumn(int section);

// A row of the parameter panel: its label and its field.
struct ParameterRow {
    ControlId label;
    ControlId field;
};
// Top down.
std::span<const ParameterRow> parameterRows();

// The 44 fields of a profile, in the order of its lines: the parameter panel from the top down,
// then the section table row by row, each from section 1 to 4.
std::span<const ControlId> profileFields();

}  // namespace tarvel
