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
};

// Prompts shown as real QMessageBox and QInputDialog windows over the active window.
class WidgetPrompts final : public Prompts {
public:
    Answer message(const QString& text, const QString& title, Icon icon,
                   Buttons buttons = Buttons::Ok) override;
    QString input(const QString& prompt, const QString& title,
                  const QString& defaultText = QString()) override;
};

} // namespace korvane
