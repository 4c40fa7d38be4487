#include "support/ScriptedPrompts.h"

#include <gtest/gtest.h>

namespace korvane::test {

ScriptedPrompts::~ScriptedPrompts() {
    EXPECT_TRUE(script_.empty()) << script_.size() << " scripted answer(s) were never asked for";
}

ScriptedPrompts& ScriptedPrompts::answerMessage(Answer answer) {
    script_.push_back({true, answer, {}});
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answerInput(const QString& text) {
    script_.push_back({false, Answer::Ok, text});
    return *this;
}

Prompts::Answer ScriptedPrompts::message(const QString& text, const QString& title, Icon icon,
                                         Buttons buttons) {
    messages_.push_back({text, title, icon, buttons});
    if (script_.empty() || !script_.front().isMessage) {
        ADD_FAILURE() << "Unexpected message box \"" << title.toStdString()
                      << "\": " << text.toStdString();
        return buttons == Buttons::YesNo      ? Answer::No
               : buttons == Buttons::OkCancel ? Answer::Cancel
                                              : Answer::Ok;
    }
    const Answer answer = script_.front().answer;
    script_.pop_front();
    return answer;
}

QString ScriptedPrompts::input(const QString& prompt, const QString& title,
                               const QString& defaultText) {
    inputs_.push_back({prompt, title, defaultText});
    if (script_.empty() || script_.front().isMessage) {
        ADD_FAILURE() << "Unexpected input box \"" << title.toStdString()
                      << "\": " << prompt.toStdString();
        return {};
    }
    QString text = script_.front().text;
    script_.pop_front();
    return text;
}

} // namespace korvane::test
