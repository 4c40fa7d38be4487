#include "platform/Prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace korvane {

Prompts::Answer WidgetPrompts::message(const QString& text, const QString& title, Icon icon,
                                       Buttons buttons) {
    QMessageBox box(QApplication::activeWindow());
    box.setText(text);
    box.setWindowTitle(title);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        // A warning asks before something is thrown away or overwritten: Enter keeps the work.
        // A notice (before printing) goes on with Enter.
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(icon == Icon::Information ? QMessageBox::Ok : QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        // Closed some other way: the answer that changes nothing.
        return buttons == Buttons::Ok      ? Answer::Ok
               : buttons == Buttons::YesNo ? Answer::No
                                           : Answer::Cancel;
    }
}

QString WidgetPrompts::input(const QString& prompt, const QString& title,
                             const QString& defaultText) {
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), title, prompt,
                                               QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}

QString WidgetPrompts::saveFileName(const QString& title, const QString& filter,
                                    const QString& suggestion) {
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, suggestion, filter,
                                        nullptr, QFileDialog::DontConfirmOverwrite);
}

QString WidgetPrompts::openFileName(const QString& title, const QString& filter,
                                    const QString& folder) {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, folder, filter);
}

QString WidgetPrompts::password(const QString& prompt, const QString& title) {
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), title, prompt,
                                               QLineEdit::Password, QString(), &ok);
    return ok ? text : QString();
}

} // namespace korvane
