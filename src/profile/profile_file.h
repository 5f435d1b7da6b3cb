// Winding profiles: the texts of the 44 parameter fields and the winding speed, kept in a
// 45-line text file (*.tpf) so that the next armature of the same kind needs no typing.
#pragma once

#include <string>
#include <string_view>

#include "platform/files.h"
#include "profile/profile_form.h"

namespace tarvel {

// The 45 lines of a profile of what the window holds: UTF-8, CR LF after every line.
std::string profileText(const ProfileForm& form);

class ProfileFile {
  public:
    ProfileFile(ProfileForm& form, Files& files, FileDialogs& dialogs);

    // "СОХРАНИТЬ": the profile goes to a new file beside the chosen one, which it replaces only
    // once it is complete on disk; a failed save leaves the old file as it was and says so.
    void saveProfile();
    // "ЗАГРУЗИТЬ": the fields and the speed take the texts of the chosen file, all of them or,
    // when the file cannot be read, none. Nothing the program sets raises a control event, so
    // the section columns keep the loaded texts.
    void loadProfile();
    // The same from a path the caller has: false, and the operator told why, when the file
    // could not be read.
    bool loadProfileFrom(const std::string& path);

  private:
    // Why the text could not take the place of the file at `path`, or null when it did.
    const char* writeReplacing(const std::string& path, std::string_view text);
    Opened<FileWriter> createTemporary(const std::string& path, std::string& temporary);

    ProfileForm& form_;
    Files& files_;
    FileDialogs& dialogs_;
};

}  // namespace tarvel
