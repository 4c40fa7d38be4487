#pragma once

#include <QString>

class QWidget;

namespace korvane {

// Message and input boxes, the only way a window talks to the user in a box. Production code
// uses WidgetPrompts; tests use scripted prompts that answer in order and record every message.
class Prompts {
public:
    enum class Icon { None, Information, Exclamation, Question, Stop };
    enum class Buttons { Ok, OkCancel, YesNo };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Prompts() = default;
    virtual Answer message(const QString& text, const QString& title, Icon icon,
                           Buttons buttons = Buttons::Ok) = 0;
    // Returns the text typed, or an empty text when the user cancels.
    virtual QString input(const QString& prompt, const QString& title,
                          const QString& defaultText = QString()) = 0;
    // Asks for the name of a file to be made, starting from `suggestion` (a folder or a file
    // name); an empty text when the user cancels. The dialog never offers to replace a file:
    // callers refuse a name that exists. Without a user to ask, nothing is chosen.
    virtual QString saveFileName(const QString& title, const QString& filter,
                                 const QString& suggestion) {
        (void)title, (void)filter, (void)suggestion;
        return {};
    }
    // Asks for an existing file to read, starting from `folder`; an empty text when the user
    // cancels. Without a user to ask, nothing is chosen.
    virtual QString openFileName(const QString& title, const QString& filter,
                                 const QString& folder) {
        (void)title, (void)filter, (void)folder;
        return {};
    }
    // Asks for a password; what is typed is not shown. An empty text when the user cancels.
    // Without a user to ask, nothing is typed.
    virtual QString password(const QString& prompt, const QString& title) {
        (void)prompt, (void)title;
        return {};
    }
};

// Prompts shown as real QMessageBox and QInputDialog windows over the active window.
class WidgetPrompts final : public Prompts {
public:
    Answer message(const QString& text, const QString& title, Icon icon,
                   Buttons buttons = Buttons::Ok) override;
    QString input(const QString& prompt, const QString& title,
                  const QString& defaultText = QString()) override;
    QString saveFileName(const QString& title, const QString& filter,
                         const QString& suggestion) override;
    QString openFileName(const QString& title, const QString& filter,
                         const QString& folder) override;
    QString password(const QString& prompt, const QString& title) override;
};

} // namespace korvane
