#include "profile/profile_file.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "numtext/reals.h"
#include "profile/text_lines.h"

namespace tarvel {
namespace {

// Lines 1 to 44: the field texts; line 45: the winding speed.
constexpr std::size_t kFields = 44;
constexpr std::size_t kLines = kFields + 1;

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

std::string profileText(const ProfileForm& form) {
    std::string text;
    for (const std::string& field : form.fieldTexts()) {
        text += field;
        text += "\r\n";
    }
    text += FormatInteger(form.windingSpeed());
    text += "\r\n";
    return text;
}

ProfileFile::ProfileFile(ProfileForm& form, Files& files, FileDialogs& dialogs)
    : form_(form), files_(files), dialogs_(dialogs) {}

void ProfileFile::saveProfile() {
    const std::string path = dialogs_.askPath(kSaveDialog);
    if (path.empty()) return;
    if (const char* failure = writeReplacing(path, profileText(form_))) {
        form_.tell("Профиль не сохранён в файл «" + path + "»: " + failure +
                   ". Прежний файл не изменён.");
        return;
    }
    form_.showProfilePath(path);
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
    const std::string path = dialogs_.askPath(kOpenDialog);
    if (!path.empty()) loadProfileFrom(path);
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
        form_.tell("Профиль не загружен из файла «" + path + "»: " + failure +
                   ". Поля не изменены.");
        return false;
    }
    form_.setFieldTexts(std::vector<std::string>(lines.begin(), lines.begin() + kFields));
    const std::int32_t speed = LowBits32(ParseInteger(lines.back()));
    form_.setWindingSpeed(std::clamp(speed, 1, 10));
    form_.showProfilePath(path);
    return true;
}

}  // namespace tarvel
