#include "app/window_views.h"

#include <algorithm>
#include <iterator>

#include "ui/control_groups.h"
#include "ui/control_table.h"

namespace tarvel {
namespace {

struct ParameterField {
    Parameter parameter;
    ControlId field;
};

constexpr ParameterField kParameterFields[] = {
    {Parameter::CoreHeight, ctl::kCoreHeight},
    {Parameter::CoreDiameter, ctl::kCoreDiameter},
    {Parameter::SlotCount, ctl::kSlotCount},
    {Parameter::SlotDepth, ctl::kSlotDepth},
    {Parameter::SlotWidth, ctl::kSlotWidth},
    {Parameter::Poles, ctl::kPoles},
    {Parameter::CommutatorDistance, ctl::kCommutatorDistance},
    {Parameter::BarCount, ctl::kBarCount},
    {Parameter::Direction, ctl::kDirection},
    {Parameter::LayingOrder, ctl::kLayingOrder},
    {Parameter::RotationBefore, ctl::kRotationBefore},
    {Parameter::RotationAfter, ctl::kRotationAfter},
};

// What the status label holds in its font: two lines of about 17 characters.
constexpr std::size_t kStatusCharacters = 34;

// The text cut to `characters` (UTF-8 characters), the last of them "…" when it is cut.
std::string cutToFit(const std::string& text, std::size_t characters) {
    std::size_t count = 0, cut = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) continue;  // inside a character
        if (count == characters - 1) cut = at;
        if (++count > characters) return text.substr(0, cut) + "…";
    }
    return text;
}

// A status that the line's errors may explain: how many came with it.
std::string withLineErrors(std::string text, int lineErrors) {
    if (lineErrors > 0) text += ", ошибок линии: " + std::to_string(lineErrors);
    return text;
}

}  // namespace

ControlId fieldOf(Parameter parameter) {
    for (const ParameterField& row : kParameterFields)
        if (row.parameter == parameter) return row.field;
    return {};
}

std::optional<Parameter> parameterOf(ControlId field) {
    for (const ParameterField& row : kParameterFields)
        if (row.field == field) return row.parameter;
    return std::nullopt;
}

void WindowViews::tell(std::string_view message) {
    window_.showMessage(message);
}

Answer WindowViews::ask(std::string_view question, Choices choices, Answer byDefault) {
    return window_.ask(question, choices, byDefault);
}

void WindowViews::showNotConnected() {
    tarvel::disableMachineControls(window_);
    window_.setTip(ctl::kStatus, "");
    window_.setFrontColour(ctl::kStatus, colour::kDisconnected);
    window_.setText(ctl::kStatus, "Не подключен");
}

void WindowViews::showConnected() {
    window_.setTip(ctl::kStatus, "");
    window_.setText(ctl::kStatus, "Подключен");
    window_.setFrontColour(ctl::kStatus, colour::kConnected);
}

void WindowViews::showDeviceGone(std::string_view status, std::string_view message) {
    showNotConnected();
    window_.setText(ctl::kStatus, status);
    tell(message);
}

void WindowViews::enableManualControls() {
    tarvel::enableManualControls(window_);
}

void WindowViews::showControllerRestarted(std::string_view message) {
    tarvel::disableWindingControls(window_);
    tell(message);
}

void WindowViews::showSilence(std::int64_t seconds, int lineErrors) {
    window_.setFrontColour(ctl::kStatus, colour::kDisconnected);
    window_.setText(ctl::kStatus,
                    withLineErrors("Нет ответа " + std::to_string(seconds) + " с", lineErrors));
}

void WindowViews::showControllerError(std::string_view line, int lineErrors) {
    window_.setFrontColour(ctl::kStatus, colour::kDisconnected);
    const std::string shown =
        withLineErrors("Ошибка контроллера: " + std::string(line), lineErrors);
    window_.setText(ctl::kStatus, cutToFit(shown, kStatusCharacters));
    // The label holds a few words; the whole line, and what to do, under the pointer. No box:
    // it would stand between the operator and СТОП, and after СБРОС this line is expected.
    window_.setTip(
        ctl::kStatus,
        shown + "\r\nЕсли контроллер больше не отвечает, нажмите «СТОП», затем «Обновить».");
}

void WindowViews::showCycleProgress(int percent) {
    window_.setState(ctl::kCycleProgress, percent);
}

void WindowViews::showSectionProgress(int section, int percent) {
    window_.setState(ctl::sectionBar(section), percent);
}

void WindowViews::enableSectionButtons(bool enabled) {
    setSectionButtonsEnabled(window_, enabled);
}

void WindowViews::resetSectionProgress() {
    tarvel::resetSectionProgress(window_);
}

void WindowViews::enableWindingControls() {
    tarvel::enableWindingControls(window_);
}

void WindowViews::disableWindingControls() {
    tarvel::disableWindingControls(window_);
}

void WindowViews::disableMachineControls() {
    tarvel::disableMachineControls(window_);
}

std::string WindowViews::text(Parameter parameter) const {
    return window_.text(fieldOf(parameter));
}

std::string WindowViews::sectionTurns(int section) const {
    return window_.text(sectionField(SectionRow::Turns, section));
}

int WindowViews::windingSpeed() const {
    return window_.state(ctl::kWindingSpeed);
}

int WindowViews::stakingPower() const {
    return window_.state(ctl::kStakingPower);
}

std::vector<std::string> WindowViews::fieldTexts() const {
    std::vector<std::string> texts;
    for (ControlId id : profileFields())
        texts.push_back(window_.text(id));
    return texts;
}

void WindowViews::setFieldTexts(const std::vector<std::string>& texts) {
    const std::span<const ControlId> fields = profileFields();
    for (std::size_t i = 0; i < std::min(fields.size(), texts.size()); ++i)
        window_.setText(fields[i], texts[i]);
}

void WindowViews::setWindingSpeed(int speed) {
    window_.setState(ctl::kWindingSpeed, speed);
}

void WindowViews::showProfilePath(std::string_view path) {
    window_.setText(ctl::kProfilePath, path);
}

}  // namespace tarvel
