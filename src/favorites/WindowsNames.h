#pragma once
// File and folder names that Windows accepts, and numbered names for clashes, compared as
// Windows compares them: without regard to case.

#include <QSet>
#include <QString>

#include <string>

namespace mv {

// Long titles are cut so a name, a clash number and ".url" stay well inside every limit.
constexpr int kMaxNameLength = 100;

// A title as a name: \ / : * ? " < > | become their full-width forms, control characters
// spaces; blanks at both ends and dots at the end go; a name Windows reserves ("CON", "nul",
// "COM1.txt") gets "_" after its first part. Empty when nothing is left.
QString ValidWindowsName(const QString& title);

// The names taken in one folder.
class FolderNames {
public:
    FolderNames() = default;
    // The entries already in `folder` (program bytes); none when it cannot be read.
    explicit FolderNames(const std::string& folder);

    bool Taken(const QString& entryName) const;
    void Take(const QString& entryName);
    // base + ext when free, else "base (2)" + ext, "base (3)" + ext...
    QString Unique(const QString& base, const QString& ext) const;

private:
    QSet<QString> folded_;
};

} // namespace mv
