#include "dialogs.h"

namespace mv {
namespace {

class FirstChoice final : public Dialogs {
public:
    MsgButton message(MsgType, const QString&, unsigned buttons, const QString&) override {
        for (unsigned b : {mbOK, mbYes, mbNo, mbYesToAll, mbCancel})
            if (buttons & b) return static_cast<MsgButton>(b);
        return mbNone;
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> saveFileName(const QStringList&, const QString&) override {
        return std::nullopt;
    }
};

FirstChoice gDefault;
Dialogs* gCurrent = &gDefault;

} // namespace

Dialogs& Dialogs::current() {
    return *gCurrent;
}
void Dialogs::install(Dialogs* dialogs) {
    gCurrent = dialogs ? dialogs : &gDefault;
}

QString captionOf(MsgType type) {
    switch (type) {
    case MsgType::Warning:
        return QStringLiteral("警告");
    case MsgType::Error:
        return QStringLiteral("エラー");
    case MsgType::Information:
        return QStringLiteral("情報");
    case MsgType::Confirmation:
        return QStringLiteral("確認");
    }
    return {};
}

MsgButton Dialogs::choose(MsgType type, const QString& text, const LabelledButtons& buttons,
                          const QString& caption) {
    unsigned bits = 0;
    for (const auto& [button, label] : buttons)
        bits |= button;
    return message(type, text, bits, caption);
}

std::optional<QString> Dialogs::openFileName(const QStringList&) {
    return std::nullopt;
}

void Dialogs::showError(const QString& text) {
    QString shown = text;
    if (!shown.isEmpty() && shown.back() > QChar(u'.')) shown += u'.';
    message(MsgType::Error, shown, mbOK, QStringLiteral("Markvane"));
}

} // namespace mv
