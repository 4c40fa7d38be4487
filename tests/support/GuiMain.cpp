#include "platform/Keyboard.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    korvane::installKeyboardConventions(app);
    // The windows keep user settings (the recent databases); tests keep theirs in a folder of
    // their own, empty at the start and gone at the end, never in the user's.
    const QTemporaryDir settings;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    QCoreApplication::setOrganizationName(QStringLiteral("Korvane Tests"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
