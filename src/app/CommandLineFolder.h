#pragma once
// The command line: `markvane [FOLDER]`. A folder given there is the favorites folder of that
// run only; the choice saved in the settings file stays as it is.

#include <QString>
#include <QStringList>

#include <optional>

namespace mv {

// The folder named by `arguments` (as QCoreApplication::arguments gives them), made absolute;
// an empty text when none is named. For an unknown option, a second folder or a folder that
// does not exist, the usage is written to the standard error and nothing is returned.
std::optional<QString> CommandLineFolder(const QStringList& arguments);

} // namespace mv
