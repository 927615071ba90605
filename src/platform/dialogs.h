#pragma once
// Every modal question the program asks goes through this interface, so tests can answer by
// script and the real windows run offscreen. The program installs the Qt implementation at
// start; nothing here depends on widgets.

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace mv {

enum class MsgType { Warning, Error, Information, Confirmation };

enum MsgButton : unsigned {
    mbNone = 0,
    mbOK = 0x1,
    mbYes = 0x2,
    mbNo = 0x4,
    mbYesToAll = 0x8,
    mbCancel = 0x10,
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // The one in use; a default that answers every question with its first choice until the
    // program installs its own.
    static Dialogs& current();
    static void install(Dialogs* dialogs); // nullptr restores the default

    // A message box of `type` with `buttons` (MsgButton bits); returns the button pressed
    // (mbCancel or mbNo when it is closed otherwise). An empty caption uses the type's title:
    // "警告", "エラー", "情報", "確認".
    virtual MsgButton message(MsgType type, const QString& text, unsigned buttons,
                              const QString& caption = {}) = 0;
    // A message box whose buttons say what they do ("更新", "置き換え", ...): each is one
    // MsgButton bit with its own label. Answers as `message` with those bits; by default it is
    // that message box, so a scripted answer is the bit.
    using LabelledButtons = std::vector<std::pair<MsgButton, QString>>;
    virtual MsgButton choose(MsgType type, const QString& text, const LabelledButtons& buttons,
                             const QString& caption = {});
    // A one-line text, or nothing when cancelled.
    virtual std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                            const QString& initial) = 0;
    // A file name to save to, or nothing when cancelled. `filters` are "label|pattern" pairs.
    // An existing file is not asked about here: the caller knows what it will do with it.
    virtual std::optional<QString> saveFileName(const QStringList& filters,
                                                const QString& defaultExt) = 0;
    // A file name to open, or nothing when cancelled; `filters` as for saveFileName. By default
    // nothing is chosen.
    virtual std::optional<QString> openFileName(const QStringList& filters);

    // The error box for an error that ended a handler: error icon, one OK button, the
    // application title as caption, "." added when the text's last character sorts after ".".
    void showError(const QString& text);
};

QString captionOf(MsgType type);

} // namespace mv
