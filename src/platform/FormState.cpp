#include "platform/FormState.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTextEdit>
#include <QVariant>

namespace korvane {

namespace {

void addState(const QWidget& widget, QStringList& state) {
    const QString name = widget.objectName();
    if (const auto* box = qobject_cast<const QLineEdit*>(&widget)) {
        // A box inside a drop-down list or a grid's editor belongs to that control.
        if (qobject_cast<const QComboBox*>(box->parentWidget()))
            return;
        state << name + QLatin1Char('=') + box->text();
        if (const QVariant tag = box->property("tag"); tag.isValid())
            state << name + QLatin1String(".tag=") + tag.toString();
    } else if (const auto* list = qobject_cast<const QComboBox*>(&widget)) {
        state << name + QLatin1Char('=') + QString::number(list->currentIndex()) +
                     QLatin1Char(' ') + list->currentText();
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
        if (button->isCheckable())
            state << name + QLatin1Char('=') + QString::number(button->isChecked());
    } else if (const auto* text = qobject_cast<const QPlainTextEdit*>(&widget)) {
        state << name + QLatin1Char('=') + text->toPlainText();
    } else if (const auto* rich = qobject_cast<const QTextEdit*>(&widget)) {
        state << name + QLatin1Char('=') + rich->toPlainText();
    } else if (const auto* grid = qobject_cast<const QTableWidget*>(&widget)) {
        for (int row = 0; row < grid->rowCount(); ++row)
            for (int column = 0; column < grid->columnCount(); ++column)
                if (const QTableWidgetItem* cell = grid->item(row, column))
                    state << QStringLiteral("%1[%2,%3]=%4")
                                 .arg(name)
                                 .arg(row)
                                 .arg(column)
                                 .arg(cell->text());
    }
}

} // namespace

QStringList formState(std::initializer_list<const QWidget*> parts) {
    QStringList state;
    for (const QWidget* part : parts) {
        if (!part)
            continue;
        addState(*part, state);
        for (const QWidget* child : part->findChildren<const QWidget*>())
            addState(*child, state);
    }
    return state;
}

} // namespace korvane
