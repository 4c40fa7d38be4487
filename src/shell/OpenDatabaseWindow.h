#pragma once

#include "platform/Services.h"
#include "platform/Session.h"

#include <QDialog>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTreeView;

namespace korvane {

// The "Open DataBase" window ("Form11"): a drive (mounted file system), a folder of it and a
// database file ("*.mdb" in any letter case). OK sets Session::DatabaseName to the folder and
// file chosen; Cancel sets it to one blank; the close box leaves it as it was. It starts in the
// folder its opener gives (the main window gives the folder of the database open now, else the
// last folder used). Server... opens the Server window instead: a database on a server logged
// in to there closes this window with its URL as Session::DatabaseName.
class OpenDatabaseWindow : public QDialog {
    Q_OBJECT

public:
    OpenDatabaseWindow(Session& session, Services& services, const QString& startFolder,
                       QWidget* parent = nullptr);

    // The file systems offered as drives: the root, the user's home and removable media.
    static QStringList drives();
    // The drive that holds a folder: the longest drive path it lies under.
    static QString driveOf(const QString& folder, const QStringList& drives);
    // The names of the database files in a folder, "*.mdb" in any letter case, in name order.
    static QStringList databaseFiles(const QString& folder);

    // Moves the directory list to a folder, as when the user opens it there.
    void openDirectory(const QString& folder);
    // The folder whose files are listed.
    QString openedDirectory() const { return openDirectory_; }

private slots:
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void File1_DblClick();
    void Cmd_OK_Click();
    void Cmd_Cancel_Click();
    void Cmd_Server_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showOpenDirectory();
    QString highlightedDirectory() const;
    QString highlightedFile() const;

    Session& session_;
    Services& services_;
    QString openDirectory_;
    bool followOpenDirectory_ = true;

    QLabel* Label3 = nullptr;
    QComboBox* Drive1 = nullptr;
    QLabel* Label2 = nullptr;
    QTreeView* Dir1 = nullptr;
    QFileSystemModel* dirModel_ = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* File1 = nullptr;
    QPushButton* Cmd_OK = nullptr;
    QPushButton* Cmd_Cancel = nullptr;
    QPushButton* Cmd_Server = nullptr;
};

} // namespace korvane
