#pragma once

#include "common/Result.h"
#include "platform/Services.h"
#include "platform/Session.h"

#include <QMainWindow>

#include <memory>
#include <vector>

class QAction;
class QLabel;
class QMenu;

class QSettings;
class QStackedWidget;

namespace korvane {

class DueWindow;
class RecentDatabases;

// The main window ("Form1"): the menus from which every other window is opened, and below them
// the title picture while no database is open, the "Due and at Risk" list of the open
// database's tanks once one is. No database is open at start; menus that need one stay disabled
// until a database has been accepted.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow(Session& session, Services& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Makes Session::DatabaseName, already checked to be a Korvane database, the database the
    // program works on: enables the menus (the inspection and graphics items only when the
    // database holds a tank), loads the units preference (upgrading an older Preferences table)
    // and shows the file name in the caption ("database on host" for a server database). When the
    // engine fails, its message is shown and menus, caption and UnitsUS stay as they were. Returns
    // whether the database was accepted.
    bool AcceptDatabase();

    // Checks Session::DatabaseName, as the Open DataBase window left it, and accepts it when it
    // is a Korvane database. Anything else (a cancelled window, a file that is no Korvane
    // database, an Access file, a file the engine cannot open) is reported where there is
    // something to report, and the program goes on with the database accepted last. A server
    // database is logged in to first, asking for the password when the server wants one.
    void OpenChosenDatabase();

    // Opens a database named outside the Open DataBase window (the command line, the recent
    // list, a new database) with the same checks and messages: a file path or a server URL.
    void openDatabaseFile(const QString& path);

private slots:
    void mnuFileNew_File_Click();
    void mnuFileOpen_File_Click();
    void mnuFilePreferences_Click();
    void mnuFileExit_Click();
    void mnuEditTank_Click();
    void mnuEditInspection_Click();
    void mnuEditTGraphics_Click();
    void mnuEditIGraphics_Click();
    void mnuEditDue_Click();
    void mnuHelpTOC_Click();
    void mnuHelpSearch_Click();
    void mnuHelpAbout_Click();

private:
    void Form_Load();
    void buildMenus();
    QAction* addItem(QMenu* menu, const char* name, const QString& caption);
    // Reads what the acceptance needs from the database, changing nothing on screen.
    struct Acceptance {
        qint64 tankCount = 0;
        bool unitsUS = true;
    };
    Result<Acceptance> readAcceptance();
    // The units flag from the Preferences row, after the upgrade of an older table.
    Result<bool> LoadPreferences();

    // Restores the database names of the last accepted database.
    void keepAcceptedDatabase();
    // Offers to import an Access file into a new Korvane database, and opens the result.
    void offerImport(QString accessPath);
    // Where Open DataBase and New start: the folder of the file database open now, else the
    // folder a database file was last chosen in (in this run or an earlier one), else the home
    // folder. A folder that is gone no longer counts.
    QString startFolder() const;
    void rememberFolder(const QString& folder);
    // Lists the recent databases in File, above Exit.
    void showRecentDatabases();
    void openRecentDatabase(const QString& path);
    // Reads the Due and at Risk list again after a working window has closed, when it is shown.
    void refreshDueList();
    // Moves the window back within `room` (the screen) where it reaches past it.
    void keepOnScreen(const QRect& room);

    Session& session_;
    Services& services_;
    struct Chosen {
        QString DatabaseName, DBDrive, DBDir, DBFile;
    };
    Chosen accepted_; // the names of the database the program works on
    std::unique_ptr<QSettings> settings_;
    std::unique_ptr<RecentDatabases> recent_;
    std::vector<QAction*> recentItems_;
    QAction* recentSeparator_ = nullptr;

    QStackedWidget* Stack_Central = nullptr;
    QLabel* Picture1 = nullptr;
    DueWindow* Form_Due = nullptr;
    QMenu* mnuFile = nullptr;
    QAction* mnuFileNew_File = nullptr;
    QAction* mnuFileOpen_File = nullptr;
    QAction* mnuFilePreferences = nullptr;
    QAction* mnuFileSeperator = nullptr;
    QAction* mnuFileExit = nullptr;
    QMenu* mnuEdit = nullptr;
    QAction* mnuEditTank = nullptr;
    QAction* mnuEditTGraphics = nullptr;
    QAction* mnuEditInspection = nullptr;
    QAction* mnuEditIGraphics = nullptr;
    QAction* mnuEditDue = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpTOC = nullptr;
    QAction* mnuHelpSearch = nullptr;
    QAction* mnuHelpAbout = nullptr;
};

} // namespace korvane
