#pragma once
// Answers the program's questions from a script and records every question asked.

#include "platform/dialogs.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace mvtest {

class ScriptedDialogs final : public mv::Dialogs {
public:
    struct Question {
        mv::MsgType type;
        QString text;
        unsigned buttons;
    };

    ScriptedDialogs() { install(this); }
    ~ScriptedDialogs() override { install(nullptr); }

    // The answers to give, in order; mbCancel stands for closing the box, which is always
    // possible. A question beyond them fails the test and is cancelled.
    std::deque<mv::MsgButton> answers;
    std::vector<Question> asked;

    mv::MsgButton message(mv::MsgType type, const QString& text, unsigned buttons,
                          const QString&) override {
        asked.push_back({type, text, buttons});
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return mv::mbCancel;
        }
        mv::MsgButton answer = answers.front();
        answers.pop_front();
        if (!(buttons & answer) && answer != mv::mbCancel)
            ADD_FAILURE() << "answer " << answer << " is not offered by: " << text.toStdString();
        return answer;
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        ADD_FAILURE() << "unexpected input box";
        return std::nullopt;
    }
    std::optional<QString> saveFileName(const QStringList&, const QString&) override {
        ADD_FAILURE() << "unexpected save dialog";
        return std::nullopt;
    }
};

} // namespace mvtest
