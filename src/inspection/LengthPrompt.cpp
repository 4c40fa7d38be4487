#include "inspection/LengthPrompt.h"

namespace korvane {

std::optional<double> askInches(Prompts& prompts, const QString& prompt, const QString& title,
                                const QString& defaultText,
                                const std::function<std::optional<double>(const QString&)>& read,
                                const std::function<QString(const QString&)>& refusal) {
    QString answer = defaultText;
    for (;;) {
        answer = prompts.input(prompt, title, answer);
        if (answer.trimmed().isEmpty())
            return std::nullopt;
        if (const auto inches = read(answer))
            return inches;
        prompts.message(refusal(answer), title, Prompts::Icon::Exclamation);
    }
}

} // namespace korvane
