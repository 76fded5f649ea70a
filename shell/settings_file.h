#pragma once

// The settings file beside the executable: sections "Form" (window position)
// and "QM_Zavin" (every setting of the window).
//
// Encoding: UTF-8. A file that is not valid UTF-8 is a legacy file in the
// system code page (932) and is converted on reading; UTF-16 files with a
// mark are read too. Saving writes UTF-8, with a mark only when the file had
// a UTF-8 mark. Keys and sections the tool does not know are kept.

#include <filesystem>
#include <optional>
#include <string_view>

#include "shell/screen.h"

namespace zavin::shell {

class TForm1;

// The executable's path with its extension replaced by ".ini".
std::filesystem::path SettingsPathFor(const std::filesystem::path& executable);

// An integer as the settings file holds it: optional sign, decimal digits or
// "0x"/"0X" and hexadecimal digits, surrounding blanks ignored, 32-bit range.
std::optional<int> ParseSettingsInt(std::string_view text);

// Applies the file to the form's controls and unit-level settings. A missing
// or unreadable file loads nothing, not even the window position.
void LoadSettings(TForm1& form, const std::filesystem::path& file, const ScreenGeometry& screens);

// Writes every key of both sections, keeping whatever else the file holds.
// The file is replaced in one step, so a failed write leaves the old one.
// False when it could not be written.
bool SaveSettings(const TForm1& form, const std::filesystem::path& file);

}  // namespace zavin::shell
