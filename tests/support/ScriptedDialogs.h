#pragma once
// Answers the program's questions from a script and records what was asked.

#include "platform/dialogs.h"

#include <deque>
#include <optional>
#include <vector>

namespace mvtest {

class ScriptedDialogs final : public mv::Dialogs {
public:
    struct Asked {
        mv::MsgType type;
        QString text;
        unsigned buttons;
        QString caption;
    };

    ScriptedDialogs() { mv::Dialogs::install(this); }
    ~ScriptedDialogs() override { mv::Dialogs::install(nullptr); }

    std::deque<mv::MsgButton> answers;            // message boxes; OK/first button when empty
    std::deque<std::optional<QString>> inputs;    // input boxes; cancelled when empty
    std::deque<std::optional<QString>> saveNames; // save dialogs; cancelled when empty
    std::vector<Asked> asked;
    std::vector<QStringList> saveFilters;

    mv::MsgButton message(mv::MsgType type, const QString& text, unsigned buttons,
                          const QString& caption = {}) override {
        asked.push_back({type, text, buttons, caption});
        if (!answers.empty()) {
            mv::MsgButton a = answers.front();
            answers.pop_front();
            return a;
        }
        return (buttons & mv::mbOK) ? mv::mbOK : mv::mbNo;
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        if (inputs.empty()) return std::nullopt;
        auto v = inputs.front();
        inputs.pop_front();
        return v;
    }
    std::optional<QString> saveFileName(const QStringList& filters, const QString&) override {
        saveFilters.push_back(filters);
        if (saveNames.empty()) return std::nullopt;
        auto v = saveNames.front();
        saveNames.pop_front();
        return v;
    }
};

} // namespace mvtest
