#include "ui/control_table.h"

#include <algorithm>

namespace tarvel {
namespace {

constexpr int kFont0 = 0, kImpact = 1, kArrows = 2, kStatusFont = 3, kButtons = 4, kScale = 5,
              kSections = 6;

struct ParameterRow {
    int y;
    ControlId label;
    const char* text;
    bool dark;
    ControlId field;
    ControlKind kind;
    const char* initial;
};

constexpr ControlKind kText = ControlKind::TextField;
constexpr ControlKind kNumber = ControlKind::NumberField;

constexpr ParameterRow kParameterRows[] = {
    {8, 10, "ВЫСОТА МАГНИТОПРОВОДА", true, 11, kText, ""},
    {36, 0, "ДИАМЕТР МАГНИТОПРОВОДА", false, 12, kText, ""},
    {64, 1, "КОЛИЧЕСТВО ПАЗОВ", true, 13, kNumber, ""},
    {92, 2, "ГЛУБИНА ПАЗА", false, 14, kText, ""},
    {120, 3, "ШИРИНА ПАЗА", true, 15, kText, ""},
    {148, 4, "КОЛИЧЕСТВО ПОЛЮСОВ В СЕКЦИИ", false, 16, kNumber, ""},
    {176, 5, "КОЛИЧЕСТВО ВИТКОВ", true, 17, kNumber, ""},
    {204, 6, "РАССТОЯНИЕ ДО КОЛЛЕКТОРА", false, 18, kText, ""},
    {232, 7, "КОЛИЧЕСТВО ЛАМЕЛЕЙ", true, 19, kNumber, ""},
    {260, 8, "НАПРАВЛЕНИЕ НАМОТКИ (0-CW/1-ACW)", false, 20, kNumber, ""},
    {288, 9, "ПОРЯДОК УКЛАДКИ (0 <- -> 1)", true, 21, kNumber, ""},
    {316, 36, "ПОВОРОТ ДО НАМОТКИ (°)", false, 37, kText, "0"},
    {344, 38, "ПОВОРОТ ПОСЛЕ НАМОТКИ (°)", true, 39, kText, "0"},
    {372, 70, "СПОСОБ НАМОТКИ (0-СИММ/1-ПОСЛЕД)", false, 71, kNumber, "0"},
    {400, 83, "ПОЛОЖЕНИЕ КОЛЛЕКТОРА (0-НИЗ/1-ВЕРХ)", true, 84, kNumber, "0"},
    {428, 85, "НАКЛОН ПАЗА (°)", false, 86, kNumber, "0"},
};

// The right panel: a row label above (or, for spans and turns, beside) each row of four fields.
struct SectionRow {
    int y;
    ControlId label;  // -1: the row shares its label with the left panel
    int labelY;
    const char* text;
    ControlId fields[4];
};

constexpr SectionRow kSectionRows[] = {
    {36, 53, 8, "СМЕЩЕНИЕ ВХОДА (-N/+N)", {54, 55, 56, 57}},
    {92, 58, 64, "СМЕЩЕНИЕ ВЫХОДА (-N/+N)", {59, 60, 61, 62}},
    {148, -1, 0, "", {22, 24, 26, 28}},
    {176, -1, 0, "", {23, 25, 27, 29}},
    {232, 34, 204, "СМЕЩЕНИЕ СЕКЦИИ (0 <--> 1)", {40, 41, 42, 43}},
    {288, 35, 260, "КОЛ-ВО СМЕЩЕННЫХ ВИТКОВ", {44, 45, 46, 47}},
    {344, 48, 316, "ПОЛОЖЕНИЕ (0-НАЧ/1-КОН)", {49, 50, 51, 52}},
};
constexpr int kColumnX[4] = {652, 712, 772, 832};
constexpr const char* kColumnHeaders[4] = {"С 1", "С 2", "С 3", "С 4"};

ControlSpec label(Rect r, const char* text, int font, std::optional<Rgb> front,
                  std::optional<Rgb> back, Align align = Align::Left) {
    return {ControlKind::Label, r, text, font, front, back, align};
}

ControlSpec button(Rect r, const char* caption, int font, Align align = Align::Centre) {
    return {ControlKind::Button, r, caption, font, std::nullopt, std::nullopt, align};
}

ControlSpec plain(ControlKind kind, Rect r, int font = kDefaultFont) {
    return {kind, r, "", font, std::nullopt, std::nullopt, Align::Left};
}

using Table = std::array<ControlSpec, kControlCount>;

void placeParameterPanel(Table& t) {
    using colour::kDarkRow, colour::kLabelText, colour::kLightRow;
    for (const auto& row : kParameterRows) {
        t[row.label] = label({10, row.y, 500, 26}, row.text, kFont0, kLabelText,
                             row.dark ? kDarkRow : kLightRow);
        t[row.field] = {row.kind, {512, row.y, 104, 26}, row.initial, kFont0, {}, {}, Align::Left};
    }
    for (const auto& row : kSectionRows) {
        if (row.label >= 0)
            t[row.label] =
                label({628, row.labelY, 286, 26}, row.text, kFont0, kLabelText, kLightRow);
        for (int k = 0; k < 4; ++k)
            t[row.fields[k]] =
                plain(ControlKind::NumberField, {kColumnX[k], row.y, 58, 26}, kFont0);
    }
    for (int k = 0; k < 4; ++k)
        t[30 + k] =
            label({kColumnX[k], 120, 58, 26}, kColumnHeaders[k], kFont0, kLabelText, kDarkRow);
    t[108] = label({628, 376, 287, 36}, "", kFont0, std::nullopt, std::nullopt, Align::Centre);
}

void placeMachinePanel(Table& t) {
    using colour::kLightRow, colour::kPanel;
    t[69] = label({940, 10, 184, 36}, "Не подключен", kStatusFont, colour::kStatusCreated,
                  std::nullopt);
    t[72] = button({1128, 8, 112, 40}, "Обновить", kFont0, Align::Left);
    t[80] = button({940, 52, 100, 44}, "СБРОС", kDefaultFont);
    t[81] = button({1040, 52, 100, 44}, "ПАРКОВКА", kDefaultFont);
    t[82] = button({1140, 52, 100, 44}, "ЗАМЕНА", kDefaultFont);
    t[64] = button({940, 100, 100, 100}, "-", kImpact);
    t[65] = button({1040, 100, 100, 100}, "5", kArrows);  // Webdings: triangle up
    t[63] = button({1140, 100, 100, 100}, "+", kImpact);
    t[66] = button({940, 200, 100, 100}, "3", kArrows);   // left
    t[68] = button({1040, 200, 100, 100}, "6", kArrows);  // down
    t[67] = button({1140, 200, 100, 100}, "4", kArrows);  // right
    t[75] = button({940, 304, 100, 44}, "ДЛИНА 0", kDefaultFont);
    t[76] = button({1040, 304, 100, 44}, "ВЫСОТА 0", kDefaultFont);
    t[77] = button({1140, 304, 100, 44}, "ПОВОРОТ 0", kDefaultFont);
    t[78] = button({940, 352, 300, 44}, "УСТАНОВИТЬ НАЧАЛЬНУЮ ПОЗИЦИЮ", kDefaultFont);
    t[89] = label({984, 400, 232, 20}, "СКОРОСТЬ НАМОТКИ", kFont0, std::nullopt, kPanel);
    t[88] = {ControlKind::Trackbar, {948, 420, 280, 28}, "", kDefaultFont, {}, kPanel, Align::Left};
    t[90] = label({956, 448, 278, 24}, "1   2   3   4   5   6   7   8   9  10", kScale, kLightRow,
                  kPanel);
    t[79] = label({940, 474, 262, 114}, "", kFont0, std::nullopt, kPanel);
    t[73] = plain(ControlKind::CommandBox, {940, 592, 204, 32}, kButtons);
    t[74] = button({1144, 592, 128, 32}, "Отправить", kDefaultFont);
    t[114] = label({944, 628, 188, 20}, "МОЩНОСТЬ", kFont0, std::nullopt, kPanel);
    t[113] = {
        ControlKind::Trackbar, {940, 648, 192, 28}, "", kDefaultFont, {}, kPanel, Align::Left};
    t[106] = button({1144, 628, 126, 46}, "КЕРНЕНИЕ", kButtons);
}

void placeWindingPanel(Table& t) {
    t[91] = button({652, 416, 110, 40}, "СОХРАНИТЬ", kDefaultFont);
    t[92] = button({780, 416, 110, 40}, "ЗАГРУЗИТЬ", kDefaultFont);
    t[104] = button({8, 464, 140, 68}, "СТОП", kButtons);
    t[105] = button({155, 464, 140, 68}, "ПАУЗА", kButtons);
    t[99] = button({305, 464, 70, 68}, "-360", kButtons);
    t[98] = button({385, 464, 70, 68}, "-180", kButtons);
    t[103] = button({465, 464, 70, 68}, "<<", kButtons);
    t[97] = button({545, 464, 70, 68}, "0", kButtons);
    t[102] = button({625, 464, 70, 68}, ">>", kButtons);
    t[100] = button({705, 464, 70, 68}, "180", kButtons);
    t[101] = button({785, 464, 70, 68}, "360", kButtons);
    const char* sectionCaptions[4] = {"СЕКЦИЯ 1", "СЕКЦИЯ 2", "СЕКЦИЯ 3", "СЕКЦИЯ 4"};
    for (int k = 0; k < 4; ++k) {
        const int x = 8 + 216 * k;
        t[109 + k] = plain(ControlKind::ProgressBar, {x, 540, 200, 12});
        t[93 + k] = button({x, 552, 200, 74}, sectionCaptions[k], kSections);
    }
    t[87] = plain(ControlKind::ProgressBar, {8, 628, 632, 49});
    t[107] = button({656, 628, 198, 50}, "ДАЛЕЕ", kButtons);
}

Table buildTable() {
    Table t{};
    placeParameterPanel(t);
    placeMachinePanel(t);
    placeWindingPanel(t);
    return t;
}

constexpr ControlId kMachine[] = {80, 81, 82, 64, 65, 63, 66, 68,  67, 75,
                                  76, 77, 78, 93, 94, 95, 96, 107, 106};
constexpr ControlId kWinding[] = {93, 94, 95, 96, 107, 106};
constexpr ControlId kFocusEdit[] = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22,
                                    23, 24, 25, 26, 27, 28, 29, 37, 39, 71, 84, 86};

}  // namespace

const std::array<FontSpec, kFontCount>& fontTable() {
    static const std::array<FontSpec, kFontCount> fonts = {{
        {"@Arial Unicode MS", 12, false},
        {"Impact", 48, false},
        {"Webdings", 48, false},
        {"@Arial Unicode MS", 15, false},
        {"@Arial Unicode MS", 14, false},
        {"@Arial Unicode MS", 13, true},
        {"@Arial Unicode MS", 22, false},
    }};
    return fonts;
}

const std::array<ControlSpec, kControlCount>& controlTable() {
    static const std::array<ControlSpec, kControlCount> table = buildTable();
    return table;
}

bool takesFocus(ControlKind kind) {
    return kind != ControlKind::Label && kind != ControlKind::ProgressBar;
}

std::span<const ControlId> machineControls() {
    return kMachine;
}
std::span<const ControlId> manualControls() {
    return std::span(kMachine).first(13);
}
std::span<const ControlId> windingControls() {
    return kWinding;
}
std::span<const ControlId> focusEditFields() {
    return kFocusEdit;
}

bool hasFocusEditing(ControlId id) {
    return std::find(std::begin(kFocusEdit), std::end(kFocusEdit), id) != std::end(kFocusEdit);
}

std::array<ControlId, 7> sectionColumn(int k) {
    return {53 + k, 58 + k, 20 + 2 * k, 21 + 2 * k, 39 + k, 43 + k, 48 + k};
}

}  // namespace tarvel
