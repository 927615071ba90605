#pragma once
// Qt's own texts (standard buttons, the font, file, print and message dialogs) in Japanese,
// since the program speaks Japanese whatever the locale.

class QCoreApplication;

namespace mv {

// Loads Qt's Japanese catalogue from Qt's translation folder; true when it was found. Without
// it the standard dialogs stay in English and nothing else changes.
bool InstallJapaneseTranslations(QCoreApplication& app);

} // namespace mv
