#include "ui/control_table.h"

#include <algorithm>
#include <vector>

namespace tarvel {
namespace {

constexpr int kFont0 = 0, kImpact = 1, kStatusFont = 3, kButtons = 4, kScale = 5, kSectionsFont = 6;

// A control's number with its name, so the table says which control each row fills.
struct Named {
    ControlId id;
    const char* name;
};
#define NAMED(control)         \
    Named {                    \
        ctl::control, #control \
    }

constexpr unsigned kManual = group::kMachine | group::kManual;
constexpr unsigned kWinding = group::kMachine | group::kWinding;

struct PanelRow {
    int y;
    Named label;
    const char* text;
    bool dark;
    Named field;
    ControlKind kind;
    const char* initial;
};

constexpr ControlKind kText = ControlKind::TextField;
constexpr ControlKind kNumber = ControlKind::NumberField;

constexpr PanelRow kPanelRows[] = {
    {8, NAMED(kCoreHeightLabel), "ВЫСОТА МАГНИТОПРОВОДА", true, NAMED(kCoreHeight), kText, ""},
    {36, NAMED(kCoreDiameterLabel), "ДИАМЕТР МАГНИТОПРОВОДА", false, NAMED(kCoreDiameter), kText,
     ""},
    {64, NAMED(kSlotCountLabel), "КОЛИЧЕСТВО ПАЗОВ", true, NAMED(kSlotCount), kNumber, ""},
    {92, NAMED(kSlotDepthLabel), "ГЛУБИНА ПАЗА", false, NAMED(kSlotDepth), kText, ""},
    {120, NAMED(kSlotWidthLabel), "ШИРИНА ПАЗА", true, NAMED(kSlotWidth), kText, ""},
    {148, NAMED(kPolesLabel), "КОЛИЧЕСТВО ПОЛЮСОВ В СЕКЦИИ", false, NAMED(kPoles), kNumber, ""},
    {176, NAMED(kTurnsLabel), "КОЛИЧЕСТВО ВИТКОВ", true, NAMED(kTurns), kNumber, ""},
    {204, NAMED(kCommutatorDistanceLabel), "РАССТОЯНИЕ ДО КОЛЛЕКТОРА", false,
     NAMED(kCommutatorDistance), kText, ""},
    {232, NAMED(kBarCountLabel), "КОЛИЧЕСТВО ЛАМЕЛЕЙ", true, NAMED(kBarCount), kNumber, ""},
    {260, NAMED(kDirectionLabel), "НАПРАВЛЕНИЕ НАМОТКИ (0-CW/1-ACW)", false, NAMED(kDirection),
     kNumber, ""},
    {288, NAMED(kLayingOrderLabel), "ПОРЯДОК УКЛАДКИ (0 <- -> 1)", true, NAMED(kLayingOrder),
     kNumber, ""},
    {316, NAMED(kRotationBeforeLabel), "ПОВОРОТ ДО НАМОТКИ (°)", false, NAMED(kRotationBefore),
     kText, "0"},
    {344, NAMED(kRotationAfterLabel), "ПОВОРОТ ПОСЛЕ НАМОТКИ (°)", true, NAMED(kRotationAfter),
     kText, "0"},
    {372, NAMED(kMethodLabel), "СПОСОБ НАМОТКИ (0-СИММ/1-ПОСЛЕД)", false, NAMED(kMethod), kNumber,
     "0"},
    {400, NAMED(kCommutatorSideLabel), "ПОЛОЖЕНИЕ КОЛЛЕКТОРА (0-НИЗ/1-ВЕРХ)", true,
     NAMED(kCommutatorSide), kNumber, "0"},
    {428, NAMED(kSlotSkewLabel), "НАКЛОН ПАЗА (°)", false, NAMED(kSlotSkew), kNumber, "0"},
};

// The section table: a row label above (or, for spans and turns, beside) each row of four
// fields, top down as the rows of SectionRow.
struct TableRow {
    int y;
    std::optional<Named> label;  // none: the row shares its label with the parameter panel
    int labelY;
    const char* text;
    Named fields[kSections];
    unsigned groups;
};

const TableRow kTableRows[kSectionRows] = {
    {36,
     NAMED(kLeadInLabel),
     8,
     "СМЕЩЕНИЕ ВХОДА (-N/+N)",
     {NAMED(kLeadIn1), NAMED(kLeadIn2), NAMED(kLeadIn3), NAMED(kLeadIn4)},
     0},
    {92,
     NAMED(kLeadOutLabel),
     64,
     "СМЕЩЕНИЕ ВЫХОДА (-N/+N)",
     {NAMED(kLeadOut1), NAMED(kLeadOut2), NAMED(kLeadOut3), NAMED(kLeadOut4)},
     0},
    {148,
     std::nullopt,
     0,
     "",
     {NAMED(kSpan1), NAMED(kSpan2), NAMED(kSpan3), NAMED(kSpan4)},
     group::kFocusEdit},
    {176,
     std::nullopt,
     0,
     "",
     {NAMED(kSectionTurns1), NAMED(kSectionTurns2), NAMED(kSectionTurns3), NAMED(kSectionTurns4)},
     group::kFocusEdit},
    {232,
     NAMED(kSectionOffsetLabel),
     204,
     "СМЕЩЕНИЕ СЕКЦИИ (0 <--> 1)",
     {NAMED(kSectionOffset1), NAMED(kSectionOffset2), NAMED(kSectionOffset3),
      NAMED(kSectionOffset4)},
     0},
    {288,
     NAMED(kOffsetTurnsLabel),
     260,
     "КОЛ-ВО СМЕЩЕННЫХ ВИТКОВ",
     {NAMED(kOffsetTurns1), NAMED(kOffsetTurns2), NAMED(kOffsetTurns3), NAMED(kOffsetTurns4)},
     0},
    {344,
     NAMED(kSectionPositionLabel),
     316,
     "ПОЛОЖЕНИЕ (0-НАЧ/1-КОН)",
     {NAMED(kSectionPosition1), NAMED(kSectionPosition2), NAMED(kSectionPosition3),
      NAMED(kSectionPosition4)},
     0},
};
constexpr int kColumnX[kSections] = {652, 712, 772, 832};
const Named kColumnHeaders[kSections] = {NAMED(kColumnHeader1), NAMED(kColumnHeader2),
                                         NAMED(kColumnHeader3), NAMED(kColumnHeader4)};
constexpr const char* kColumnCaptions[kSections] = {"С 1", "С 2", "С 3", "С 4"};

using Table = std::array<ControlSpec, kControlCount>;

void put(Table& t, Named control, ControlSpec description, unsigned groups = 0) {
    ControlSpec& row = t.at(control.id.index());
    const int fills = row.fills;
    row = description;
    row.name = control.name;
    row.groups |= groups;
    row.fills = fills + 1;
}

ControlSpec describe(ControlKind kind, Rect r, const char* caption, int font,
                     std::optional<Rgb> front, std::optional<Rgb> back, Align align) {
    ControlSpec s;
    s.kind = kind;
    s.rect = r;
    s.caption = caption;
    s.font = font;
    s.front = front;
    s.back = back;
    s.align = align;
    return s;
}

ControlSpec label(Rect r, const char* text, int font, std::optional<Rgb> front,
                  std::optional<Rgb> back, Align align = Align::Left) {
    return describe(ControlKind::Label, r, text, font, front, back, align);
}

ControlSpec button(Rect r, const char* caption, int font, Align align = Align::Centre) {
    return describe(ControlKind::Button, r, caption, font, std::nullopt, std::nullopt, align);
}

ControlSpec plain(ControlKind kind, Rect r, int font = kDefaultFont) {
    return describe(kind, r, "", font, std::nullopt, std::nullopt, Align::Left);
}

ControlSpec trackbar(Rect r) {
    return describe(ControlKind::Trackbar, r, "", kDefaultFont, std::nullopt, colour::kPanel,
                    Align::Left);
}

void placeParameterPanel(Table& t) {
    using colour::kDarkRow, colour::kLabelText, colour::kLightRow;
    for (const PanelRow& row : kPanelRows) {
        put(t, row.label,
            label({10, row.y, 500, 26}, row.text, kFont0, kLabelText,
                  row.dark ? kDarkRow : kLightRow));
        put(t, row.field,
            describe(row.kind, {512, row.y, 104, 26}, row.initial, kFont0, std::nullopt,
                     std::nullopt, Align::Left),
            group::kFocusEdit);
    }
    for (int r = 0; r < kSectionRows; ++r) {
        const TableRow& row = kTableRows[r];
        if (row.label)
            put(t, *row.label,
                label({628, row.labelY, 286, 26}, row.text, kFont0, kLabelText, kLightRow));
        for (int k = 0; k < kSections; ++k) {
            put(t, row.fields[k],
                plain(ControlKind::NumberField, {kColumnX[k], row.y, 58, 26}, kFont0), row.groups);
            t[row.fields[k].id.index()].cell = {static_cast<SectionRow>(r), k + 1};
        }
    }
    for (int k = 0; k < kSections; ++k)
        put(t, kColumnHeaders[k],
            label({kColumnX[k], 120, 58, 26}, kColumnCaptions[k], kFont0, colour::kLabelText,
                  colour::kDarkRow));
    put(t, NAMED(kProfilePath),
        label({628, 376, 287, 36}, "", kFont0, std::nullopt, std::nullopt, Align::Centre));
}

void placeMachinePanel(Table& t) {
    using colour::kLightRow, colour::kPanel;
    put(t, NAMED(kStatus),
        label({940, 10, 184, 36}, "Не подключен", kStatusFont, colour::kStatusCreated,
              std::nullopt));
    put(t, NAMED(kRefresh), button({1128, 8, 112, 40}, "Обновить", kFont0, Align::Left));
    put(t, NAMED(kReset), button({940, 52, 100, 44}, "СБРОС", kDefaultFont), kManual);
    put(t, NAMED(kPark), button({1040, 52, 100, 44}, "ПАРКОВКА", kDefaultFont), kManual);
    put(t, NAMED(kChange), button({1140, 52, 100, 44}, "ЗАМЕНА", kDefaultFont), kManual);
    put(t, NAMED(kJogHeightDown), button({940, 100, 100, 100}, "-", kImpact), kManual);
    // Webdings letters: the triangles up, left, down and right.
    put(t, NAMED(kJogLengthUp), button({1040, 100, 100, 100}, "5", kArrowFont), kManual);
    put(t, NAMED(kJogHeightUp), button({1140, 100, 100, 100}, "+", kImpact), kManual);
    put(t, NAMED(kJogRotationDown), button({940, 200, 100, 100}, "3", kArrowFont), kManual);
    put(t, NAMED(kJogLengthDown), button({1040, 200, 100, 100}, "6", kArrowFont), kManual);
    put(t, NAMED(kJogRotationUp), button({1140, 200, 100, 100}, "4", kArrowFont), kManual);
    put(t, NAMED(kLengthZero), button({940, 304, 100, 44}, "ДЛИНА 0", kDefaultFont), kManual);
    put(t, NAMED(kHeightZero), button({1040, 304, 100, 44}, "ВЫСОТА 0", kDefaultFont), kManual);
    put(t, NAMED(kRotationZero), button({1140, 304, 100, 44}, "ПОВОРОТ 0", kDefaultFont), kManual);
    put(t, NAMED(kStartPosition),
        button({940, 352, 300, 44}, "УСТАНОВИТЬ НАЧАЛЬНУЮ ПОЗИЦИЮ", kDefaultFont), kManual);
    put(t, NAMED(kWindingSpeedLabel),
        label({984, 400, 232, 20}, "СКОРОСТЬ НАМОТКИ", kFont0, std::nullopt, kPanel));
    put(t, NAMED(kWindingSpeed), trackbar({948, 420, 280, 28}));
    put(t, NAMED(kWindingSpeedScale),
        label({956, 448, 278, 24}, "1   2   3   4   5   6   7   8   9  10", kScale, kLightRow,
              kPanel));
    put(t, NAMED(kReadout), label({940, 474, 262, 114}, "", kFont0, std::nullopt, kPanel));
    put(t, NAMED(kCommandBox), plain(ControlKind::CommandBox, {940, 592, 204, 32}, kButtons));
    put(t, NAMED(kSend), button({1144, 592, 128, 32}, "Отправить", kDefaultFont));
    put(t, NAMED(kStakingPowerLabel),
        label({944, 628, 188, 20}, "МОЩНОСТЬ", kFont0, std::nullopt, kPanel));
    put(t, NAMED(kStakingPower), trackbar({940, 648, 192, 28}));
    put(t, NAMED(kStake), button({1144, 628, 126, 46}, "КЕРНЕНИЕ", kButtons), kWinding);
}

void placeWindingPanel(Table& t) {
    put(t, NAMED(kSave), button({652, 416, 110, 40}, "СОХРАНИТЬ", kDefaultFont));
    put(t, NAMED(kLoad), button({780, 416, 110, 40}, "ЗАГРУЗИТЬ", kDefaultFont));
    put(t, NAMED(kStop), button({8, 464, 140, 68}, "СТОП", kButtons));
    put(t, NAMED(kPause), button({155, 464, 140, 68}, "ПАУЗА", kButtons));
    put(t, NAMED(kRotateToMinus360), button({305, 464, 70, 68}, "-360", kButtons));
    put(t, NAMED(kRotateToMinus180), button({385, 464, 70, 68}, "-180", kButtons));
    put(t, NAMED(kRotateSlotBack), button({465, 464, 70, 68}, "<<", kButtons));
    put(t, NAMED(kRotateTo0), button({545, 464, 70, 68}, "0", kButtons));
    put(t, NAMED(kRotateSlotForward), button({625, 464, 70, 68}, ">>", kButtons));
    put(t, NAMED(kRotateTo180), button({705, 464, 70, 68}, "180", kButtons));
    put(t, NAMED(kRotateTo360), button({785, 464, 70, 68}, "360", kButtons));
    const Named bars[kSections] = {NAMED(kSectionProgress1), NAMED(kSectionProgress2),
                                   NAMED(kSectionProgress3), NAMED(kSectionProgress4)};
    const Named buttons[kSections] = {NAMED(kSection1), NAMED(kSection2), NAMED(kSection3),
                                      NAMED(kSection4)};
    const char* captions[kSections] = {"СЕКЦИЯ 1", "СЕКЦИЯ 2", "СЕКЦИЯ 3", "СЕКЦИЯ 4"};
    for (int k = 0; k < kSections; ++k) {
        const int x = 8 + 216 * k;
        put(t, bars[k], plain(ControlKind::ProgressBar, {x, 540, 200, 12}));
        put(t, buttons[k], button({x, 552, 200, 74}, captions[k], kSectionsFont), kWinding);
    }
    put(t, NAMED(kCycleProgress), plain(ControlKind::ProgressBar, {8, 628, 632, 49}));
    put(t, NAMED(kNext), button({656, 628, 198, 50}, "ДАЛЕЕ", kButtons), kWinding);
}

#undef NAMED

Table buildTable() {
    Table t{};
    placeParameterPanel(t);
    placeMachinePanel(t);
    placeWindingPanel(t);
    return t;
}

// The controls whose groups include every flag of `flags`, in number order.
std::vector<ControlId> inGroup(unsigned flags) {
    std::vector<ControlId> ids;
    for (ControlId id : kEveryControl)
        if ((specOf(id).groups & flags) == flags) ids.push_back(id);
    return ids;
}

std::vector<ControlId> buildProfileFields() {
    std::vector<ControlId> ids;
    for (const PanelRow& row : kPanelRows)
        ids.push_back(row.field.id);
    for (const TableRow& row : kTableRows)
        for (const Named& field : row.fields)
            ids.push_back(field.id);
    return ids;
}

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

const ControlSpec& specOf(ControlId id) {
    return controlTable().at(id.index());
}

bool takesFocus(ControlKind kind) {
    return kind != ControlKind::Label && kind != ControlKind::ProgressBar;
}

bool reportsFocus(ControlKind kind) {
    return kind == ControlKind::TextField || kind == ControlKind::NumberField ||
           kind == ControlKind::CommandBox;
}

std::span<const ControlId> machineControls() {
    static const std::vector<ControlId> ids = inGroup(group::kMachine);
    return ids;
}

std::span<const ControlId> manualControls() {
    static const std::vector<ControlId> ids = inGroup(group::kManual);
    return ids;
}

std::span<const ControlId> windingControls() {
    static const std::vector<ControlId> ids = inGroup(group::kWinding);
    return ids;
}

std::span<const ControlId> focusEditFields() {
    static const std::vector<ControlId> ids = inGroup(group::kFocusEdit);
    return ids;
}

bool hasFocusEditing(ControlId id) {
    return kEveryControl.contains(id) && (specOf(id).groups & group::kFocusEdit) != 0;
}

ControlId sectionField(SectionRow row, int section) {
    return kTableRows[static_cast<int>(row)].fields[section - 1].id;
}

std::array<ControlId, kSectionRows> sectionColumn(int section) {
    std::array<ControlId, kSectionRows> column{};
    for (int r = 0; r < kSectionRows; ++r)
        column[static_cast<std::size_t>(r)] = sectionField(static_cast<SectionRow>(r), section);
    return column;
}

std::span<const ParameterRow> parameterRows() {
    static const std::vector<ParameterRow> rows = [] {
        std::vector<ParameterRow> r;
        for (const PanelRow& row : kPanelRows)
            r.push_back({row.label.id, row.field.id});
        return r;
    }();
    return rows;
}

std::span<const ControlId> profileFields() {
    static const std::vector<ControlId> ids = buildProfileFields();
    return ids;
}

}  // namespace tarvel
