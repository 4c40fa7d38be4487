#pragma once

#include "platform/Services.h"
#include "platform/Session.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTextBrowser;

namespace korvane {

// The help and about viewer ("Form5"): one rich-text document chosen by Session::HelpTopic. A
// document that cannot be found or read is named in the box, with where it was looked for.
class HelpViewer : public QDialog {
    Q_OBJECT

public:
    // Looks the topic's document up in documentFolders().
    explicit HelpViewer(const Session& session, QWidget* parent = nullptr);
    // Looks it up in the folders given instead.
    HelpViewer(const Session& session, const QStringList& folders, QWidget* parent = nullptr);

    // Caption and document file of a topic; empty for a topic that has none.
    static QString topicCaption(int topic);
    static QString topicDocument(int topic);
    // Where the documents are looked up, in order: the current folder, the program's folder, the
    // source tree when the program runs from where the build put it, the installed data folder.
    static QStringList documentFolders();
    // Where a document of that bare name is found in those folders; empty when it is nowhere.
    static QString findDocument(const QString& name);
    // What the viewer shows in place of a document it did not find: its name and the folders
    // it was looked for in.
    static QString missingDocumentText(const QString& name, const QStringList& folders);

private slots:
    void Cmd_OK_Click();

private:
    void Form_Load();

    const Session& session_;
    QStringList folders_;
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
