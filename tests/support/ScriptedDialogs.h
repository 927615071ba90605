#pragma once
// Answers the program's questions from a script and records every message asked. Strict: a
// question, input box or save dialog beyond the script, or an answer that the question does
// not offer, fails the test; so does an answer left unused.

#include "platform/dialogs.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace mvtest {

class ScriptedDialogs final : public mv::Dialogs {
public:
    struct Question {
        mv::MsgType type;
        QString text;
        unsigned buttons;
        QString caption;
    };
    using Asked = Question;

    ScriptedDialogs() { install(this); }
    ~ScriptedDialogs() override {
        install(nullptr);
        if (!answers.empty()) {
            ADD_FAILURE() << answers.size() << " scripted answer(s) never asked for";
        }
        if (!inputs.empty()) {
            ADD_FAILURE() << inputs.size() << " scripted input(s) never asked for";
        }
        if (!saveNames.empty()) {
            ADD_FAILURE() << saveNames.size() << " scripted save name(s) never asked for";
        }
        if (!openNames.empty()) {
            ADD_FAILURE() << openNames.size() << " scripted open name(s) never asked for";
        }
    }

    // Message boxes, in order; mbCancel stands for closing the box, which is always possible.
    std::deque<mv::MsgButton> answers;
    // Input boxes and save dialogs, in order; nothing stands for cancelling.
    std::deque<std::optional<QString>> inputs;
    std::deque<std::optional<QString>> saveNames;
    std::deque<std::optional<QString>> openNames;
    std::vector<Question> asked;
    std::vector<QStringList> saveFilters;
    // Called as each message box is asked, before it is answered: what the program shows
    // behind the question can be looked at then.
    std::function<void(const Question&)> onAsk;

    mv::MsgButton message(mv::MsgType type, const QString& text, unsigned buttons,
                          const QString& caption = {}) override {
        asked.push_back({type, text, buttons, caption});
        if (onAsk) onAsk(asked.back());
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return mv::mbCancel;
        }
        const mv::MsgButton answer = answers.front();
        answers.pop_front();
        if (!(buttons & answer) && answer != mv::mbCancel)
            ADD_FAILURE() << "answer " << answer << " is not offered by: " << text.toStdString();
        return answer;
    }
    // Unwrapped before the pop: copying the optional itself draws a false "may be used
    // uninitialized" from GCC 12 at -O2.
    static std::optional<QString> takeFront(std::deque<std::optional<QString>>& queue) {
        if (!queue.front()) {
            queue.pop_front();
            return std::nullopt;
        }
        QString value = *queue.front();
        queue.pop_front();
        return value;
    }
    std::optional<QString> inputBox(const QString& caption, const QString&,
                                    const QString&) override {
        if (inputs.empty()) {
            ADD_FAILURE() << "unexpected input box: " << caption.toStdString();
            return std::nullopt;
        }
        return takeFront(inputs);
    }
    std::optional<QString> saveFileName(const QStringList& filters, const QString&) override {
        saveFilters.push_back(filters);
        if (saveNames.empty()) {
            ADD_FAILURE() << "unexpected save dialog";
            return std::nullopt;
        }
        return takeFront(saveNames);
    }
    std::optional<QString> openFileName(const QStringList&) override {
        if (openNames.empty()) {
            ADD_FAILURE() << "unexpected open dialog";
            return std::nullopt;
        }
        return takeFront(openNames);
    }
};

} // namespace mvtest
