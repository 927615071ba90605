#pragma once
// The program's questions as real Qt dialogs with Japanese titles and buttons.

#include "platform/dialogs.h"

namespace mv {

class QtDialogs final : public Dialogs {
public:
    MsgButton message(MsgType type, const QString& text, unsigned buttons,
                      const QString& caption = {}) override;
    MsgButton choose(MsgType type, const QString& text, const LabelledButtons& buttons,
                     const QString& caption = {}) override;
    std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                    const QString& initial) override;
    std::optional<QString> saveFileName(const QStringList& filters,
                                        const QString& defaultExt) override;
    std::optional<QString> openFileName(const QStringList& filters) override;
};

} // namespace mv
