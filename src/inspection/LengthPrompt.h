#pragma once

#include "platform/Prompts.h"

#include <QString>

#include <functional>
#include <optional>

namespace korvane {

// Asks in an input box for a length until the answer is one the program can take: `read` turns
// a typed text into inches, or nothing for a text it refuses, and `refusal` gives the message
// shown before asking again. Nothing when the answer is empty (or the box is cancelled).
std::optional<double> askInches(Prompts& prompts, const QString& prompt, const QString& title,
                                const QString& defaultText,
                                const std::function<std::optional<double>(const QString&)>& read,
                                const std::function<QString(const QString&)>& refusal);

} // namespace korvane
