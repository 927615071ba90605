#include "SettingsFile.h"

#include "platform/error.h"
#include "platform/profile.h"

#include <QDir>
#include <QStandardPaths>
#include <unistd.h>

namespace mv {

std::string SettingsPathFor(const std::string& executablePath) {
    const auto slash = executablePath.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : executablePath.substr(0, slash);
    std::string name =
        slash == std::string::npos ? executablePath : executablePath.substr(slash + 1);
    // Only the file name is cut at its last ".", never a dot in a folder name.
    const auto dot = name.rfind('.');
    name = dot == std::string::npos ? name + ".ini" : name.substr(0, dot + 1) + "ini";
    if (::access(folder.c_str(), W_OK) == 0) return folder + "/" + name;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                           QStringLiteral("/markvane");
    QDir().mkpath(config);
    return config.toStdString() + "/markvane.ini";
}

std::string SettingsFile::ReadString(const char* section, const char* key,
                                     const std::string& def) const {
    return profile::readString(path_, section, key, def);
}

long long SettingsFile::ReadInteger(const char* section, const char* key, long long def) const {
    return profile::parseInteger(profile::readString(path_, section, key, ""), def);
}

bool SettingsFile::ReadBool(const char* section, const char* key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void SettingsFile::WriteString(const char* section, const char* key, const std::string& value) {
    if (const std::error_code ec = profile::writeString(path_, section, key, value))
        throw cannotWriteError(path_);
}

void SettingsFile::WriteInteger(const char* section, const char* key, long long value) {
    WriteString(section, key, std::to_string(value));
}

void SettingsFile::WriteBool(const char* section, const char* key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

} // namespace mv
