#include "support/ScriptedPrompts.h"

#include <gtest/gtest.h>

namespace korvane::test {

ScriptedPrompts::~ScriptedPrompts() {
    EXPECT_TRUE(script_.empty()) << script_.size() << " scripted answer(s) were never asked for";
}

ScriptedPrompts& ScriptedPrompts::answerMessage(Answer answer) {
    script_.push_back({Kind::Message, answer, {}, {}});
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answerMessage(Answer answer, std::function<void()> whileOpen) {
    script_.push_back({Kind::Message, answer, {}, std::move(whileOpen)});
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answerInput(const QString& text) {
    script_.push_back({Kind::Input, Answer::Ok, text, {}});
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answerOpenFile(const QString& path) {
    script_.push_back({Kind::OpenFile, Answer::Ok, path, {}});
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answerSaveFile(const QString& path) {
    script_.push_back({Kind::SaveFile, Answer::Ok, path, {}});
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answerPassword(const QString& text) {
    script_.push_back({Kind::Password, Answer::Ok, text, {}});
    return *this;
}

Prompts::Answer ScriptedPrompts::message(const QString& text, const QString& title, Icon icon,
                                         Buttons buttons) {
    messages_.push_back({text, title, icon, buttons});
    if (script_.empty() || script_.front().kind != Kind::Message) {
        ADD_FAILURE() << "Unexpected message box \"" << title.toStdString()
                      << "\": " << text.toStdString();
        return buttons == Buttons::YesNo      ? Answer::No
               : buttons == Buttons::OkCancel ? Answer::Cancel
                                              : Answer::Ok;
    }
    // Taken off the script before anything runs, so that a prompt shown meanwhile gets the next
    // answer rather than this one.
    Step step = std::move(script_.front());
    script_.pop_front();
    if (step.whileOpen)
        step.whileOpen();
    return step.answer;
}

QString ScriptedPrompts::answerText(Kind kind, const QString& title, const QString& what) {
    if (script_.empty() || script_.front().kind != kind) {
        ADD_FAILURE() << "Unexpected " << what.toStdString() << " \"" << title.toStdString()
                      << "\"";
        return {};
    }
    QString text = script_.front().text;
    script_.pop_front();
    return text;
}

QString ScriptedPrompts::input(const QString& prompt, const QString& title,
                               const QString& defaultText) {
    inputs_.push_back({prompt, title, defaultText});
    return answerText(Kind::Input, title, QStringLiteral("input box: ") + prompt);
}

QString ScriptedPrompts::openFileName(const QString& title, const QString&, const QString&) {
    return answerText(Kind::OpenFile, title, QStringLiteral("open dialog"));
}

QString ScriptedPrompts::saveFileName(const QString& title, const QString&, const QString&) {
    saveDialogs_.push_back(title);
    return answerText(Kind::SaveFile, title, QStringLiteral("save dialog"));
}

QString ScriptedPrompts::password(const QString& prompt, const QString& title) {
    passwords_.push_back({prompt, title, {}});
    return answerText(Kind::Password, title, QStringLiteral("password prompt: ") + prompt);
}

} // namespace korvane::test
