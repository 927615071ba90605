#pragma once
// The settings file: an INI file named after the executable ("fav.old" -> "fav.old.ini",
// "markvane" -> "markvane.ini") beside it, or under $XDG_CONFIG_HOME/markvane/ when the
// executable's folder is not writable (an installed copy).

#include <QString>

#include <string>

namespace mv {

// The settings path for an executable path, by the rules above.
std::string SettingsPathFor(const std::string& executablePath);

class SettingsFile {
public:
    explicit SettingsFile(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    std::string ReadString(const char* section, const char* key, const std::string& def) const;
    // Integers in decimal or hexadecimal ("0x", "0X", "$"), with a sign; `def` otherwise.
    long long ReadInteger(const char* section, const char* key, long long def) const;
    bool ReadBool(const char* section, const char* key, bool def) const;

    // Throws mv::Error "%s に書き込めません" with the settings path.
    void WriteString(const char* section, const char* key, const std::string& value);
    void WriteInteger(const char* section, const char* key, long long value);
    void WriteBool(const char* section, const char* key, bool value);

private:
    std::string path_;
};

} // namespace mv
