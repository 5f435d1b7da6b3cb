#include "profile/settings_file.h"

#include "numtext/reals.h"
#include "profile/text_lines.h"

namespace tarvel {
namespace {

constexpr const char* kSettingsName = "settings.ini";

// Line 1 to 4 of the file.
constexpr std::int32_t SpeedValues::*kSettingLines[] = {
    &SpeedValues::accelStart,
    &SpeedValues::accelRun,
    &SpeedValues::feedE,
    &SpeedValues::feedYZ,
};

}  // namespace

void readSettings(Files& files, SpeedValues& speeds) {
    Opened<FileReader> opened = files.openForReading(kSettingsName);
    if (!opened.file) {
        // Created empty, and closed again at once, so the operator finds where the values go.
        if (opened.error == FileError::NotFound) files.createNew(kSettingsName);
        return;
    }
    LineReader reader(*opened.file);
    for (std::int32_t SpeedValues::*value : kSettingLines) {
        const std::int64_t read = ParseInteger(reader.next());
        if (read > 0) speeds.*value = LowBits32(read);
    }
}

}  // namespace tarvel
