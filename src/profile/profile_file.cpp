#include "profile/profile_file.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "numtext/reals.h"
#include "profile/text_lines.h"
#include "ui/control_table.h"

namespace tarvel {
namespace {

// Lines 1 to 44: the single values from the top of the window down, then the section table by
// rows, each from section 1 to 4 (the pole and turn rows as two groups, though their control
// numbers alternate).
constexpr ControlId kProfileFields[] = {
    11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 37, 39, 71, 84, 86, 54, 55, 56, 57, 59, 60,
    61, 62, 22, 24, 26, 28, 23, 25, 27, 29, 40, 41, 42, 43, 44, 45, 46, 47, 49, 50, 51, 52,
};
constexpr std::size_t kLines = std::size(kProfileFields) + 1;  // and the winding speed
static_assert(kLines == 45);

constexpr std::string_view kFilter = "Tarvel profile files (*.tpf)|*.tpf";
constexpr FileDialogSpec kSaveDialog{FileDialogSpec::Kind::Save, "Сохранить файл профиля намотки",
                                     kFilter, "default.tpf"};
constexpr FileDialogSpec kOpenDialog{FileDialogSpec::Kind::Open, "Открыть файл профиля намотки",
                                     kFilter, "default.tpf"};
constexpr int kTemporaryNames = 20;

const char* openFailure(FileError error) {
    switch (error) {
        case FileError::NotFound:
            return "файл не найден";
        case FileError::AccessDenied:
            return "нет доступа к файлу";
        case FileError::InUse:
            return "файл занят другой программой";
        default:
            return "файл не удалось открыть";
    }
}

}  // namespace

std::string profileText(const Window& window) {
    std::string text;
    for (ControlId id : kProfileFields) {
        text += window.text(id);
        text += "\r\n";
    }
    text += FormatInteger(window.state(ctl::kWindingSpeed));
    text += "\r\n";
    return text;
}

ProfileFile::ProfileFile(Window& window, Files& files, FileDialogs& dialogs, ProgramState& state)
    : window_(window), files_(files), dialogs_(dialogs), state_(state) {}

void ProfileFile::saveProfile() {
    state_.profilePath = dialogs_.askPath(kSaveDialog);
    const std::string path = state_.profilePath;
    if (path.empty()) return;
    if (const char* failure = writeReplacing(path, profileText(window_))) {
        window_.showMessage("Профиль не сохранён в файл «" + path + "»: " + failure +
                            ". Прежний файл не изменён.");
        return;
    }
    window_.setText(ctl::kProfilePath, path);
}

const char* ProfileFile::writeReplacing(const std::string& path, std::string_view text) {
    std::string temporary;
    Opened<FileWriter> writer = createTemporary(path, temporary);
    if (!writer.file) return "не удалось создать новый файл в этой папке";
    const bool written = writer.file->write(text) && writer.file->flush() && writer.file->close();
    writer.file.reset();
    if (!written) {
        files_.remove(temporary);
        return "ошибка записи на диск";
    }
    if (!files_.replace(temporary, path)) {
        files_.remove(temporary);
        return "файл нельзя заменить (он только для чтения или открыт другой программой)";
    }
    return nullptr;
}

// Beside the profile, so that the replacement is a rename within one folder.
Opened<FileWriter> ProfileFile::createTemporary(const std::string& path, std::string& temporary) {
    Opened<FileWriter> opened;
    for (int n = 0; n < kTemporaryNames; ++n) {
        temporary = path;
        if (n > 0) temporary.append(".").append(FormatInteger(n));
        temporary.append(".tmp");
        opened = files_.createNew(temporary);
        if (opened.error != FileError::Exists) break;
    }
    return opened;
}

void ProfileFile::loadProfile() {
    state_.profilePath = dialogs_.askPath(kOpenDialog);
    if (!state_.profilePath.empty()) loadProfileFrom(state_.profilePath);
}

bool ProfileFile::loadProfileFrom(const std::string& path) {
    Opened<FileReader> opened = files_.openForReading(path);
    const char* failure = opened.file ? nullptr : openFailure(opened.error);
    std::array<std::string, kLines> lines;
    if (opened.file) {
        LineReader reader(*opened.file);
        for (std::string& line : lines)
            line = reader.next();
        if (reader.failed()) failure = "файл не удалось прочитать";
    }
    if (failure) {
        window_.showMessage("Профиль не загружен из файла «" + path + "»: " + failure +
                            ". Поля не изменены.");
        return false;
    }
    for (std::size_t i = 0; i + 1 < kLines; ++i)
        window_.setText(kProfileFields[i], lines[i]);
    const std::int32_t speed = LowBits32(ParseInteger(lines.back()));
    window_.setState(ctl::kWindingSpeed, std::clamp(speed, 1, 10));
    window_.setText(ctl::kProfilePath, path);
    return true;
}

}  // namespace tarvel
