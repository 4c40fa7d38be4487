#pragma once

#include "platform/Services.h"
#include "platform/Session.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTextBrowser;

namespace korvane {

// The help and about viewer ("Form5"): one rich-text document chosen by Session::HelpTopic.
class HelpViewer : public QDialog {
    Q_OBJECT

public:
    explicit HelpViewer(const Session& session, QWidget* parent = nullptr);

    // Caption and document file of a topic; empty for a topic that has none.
    static QString topicCaption(int topic);
    static QString topicDocument(int topic);
    // Where a document of that bare name is found: the current folder, the program's folder,
    // then the installed data folder. Empty when it is nowhere.
    static QString findDocument(const QString& name);

private slots:
    void Cmd_OK_Click();

private:
    void Form_Load();

    const Session& session_;
    QLabel* Picture1 = nullptr;
    QLabel* Image1 = nullptr;
    QTextBrowser* RichTextBox1 = nullptr;
    QPushButton* Cmd_OK = nullptr;
};

// Opens the viewer for the windows that have a Help button or menu.
class HelpViewerService final : public HelpShower {
public:
    HelpViewerService(Session& session, WindowShower& windows, BusyPointer& pointer)
        : session_(session), windows_(windows), pointer_(pointer) {}
    void showHelp(QWidget& opener, quint8 topic) override;

private:
    Session& session_;
    WindowShower& windows_;
    BusyPointer& pointer_;
};

} // namespace korvane
