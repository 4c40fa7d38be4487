#pragma once

#include "platform/Prompts.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace korvane::test {

// Prompts for tests: every message and input box must have been expected with an answer, given
// in order. Each prompt shown is recorded; a prompt nobody expected, or an answer left unused
// when the test ends, fails the test.
class ScriptedPrompts final : public Prompts {
public:
    struct Message {
        QString text;
        QString title;
        Icon icon;
        Buttons buttons;
    };
    struct Input {
        QString prompt;
        QString title;
        QString defaultText;
    };

    ~ScriptedPrompts() override;

    // The next prompt is a message box, answered with `answer`.
    ScriptedPrompts& answerMessage(Answer answer = Answer::Ok);
    // The same, and while the box is "open" (before the answer is given) `whileOpen` runs: what
    // a user could do meanwhile, such as clicking elsewhere or holding a mouse button down. A
    // prompt shown from inside it takes the next scripted answer, as a second box would.
    ScriptedPrompts& answerMessage(Answer answer, std::function<void()> whileOpen);
    // The next prompt is an input box, answered with `text` (empty text: Cancel).
    ScriptedPrompts& answerInput(const QString& text);
    // The next prompt is a save dialog, answered with `path` (empty: Cancel).
    ScriptedPrompts& answerSaveFile(const QString& path);
    // The next prompt is an open dialog, answered with `path` (empty: Cancel).
    ScriptedPrompts& answerOpenFile(const QString& path);
    // The next prompt asks for a password, answered with `text` (empty text: Cancel).
    ScriptedPrompts& answerPassword(const QString& text);

    Answer message(const QString& text, const QString& title, Icon icon,
                   Buttons buttons = Buttons::Ok) override;
    QString input(const QString& prompt, const QString& title,
                  const QString& defaultText = QString()) override;
    QString saveFileName(const QString& title, const QString& filter,
                         const QString& suggestion) override;
    QString openFileName(const QString& title, const QString& filter,
                         const QString& folder) override;
    QString password(const QString& prompt, const QString& title) override;

    const std::vector<Message>& messages() const { return messages_; }
    const std::vector<Input>& inputs() const { return inputs_; }
    // The titles of the save dialogs shown.
    const std::vector<QString>& saveDialogs() const { return saveDialogs_; }
    // The password prompts shown (their default text is always empty).
    const std::vector<Input>& passwordPrompts() const { return passwords_; }
    bool allAnswered() const { return script_.empty(); }

private:
    enum class Kind { Message, Input, SaveFile, OpenFile, Password };
    struct Step {
        Kind kind;
        Answer answer;
        QString text;
        std::function<void()> whileOpen;
    };
    QString answerText(Kind kind, const QString& title, const QString& what);
    std::deque<Step> script_;
    std::vector<Message> messages_;
    std::vector<Input> inputs_;
    std::vector<QString> saveDialogs_;
    std::vector<Input> passwords_;
};

} // namespace korvane::test
