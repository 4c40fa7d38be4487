#pragma once

#include "data/ServerAddress.h"
#include "platform/Services.h"

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvane {

// Logs in to the server of a database URL, asking for the password for as long as the server
// wants one and the user types one: a refused password is said and asked for again, Cancel
// gives up. A server that cannot be reached, or refuses for another reason, is reported with the
// engine's words under `title`. Returns whether the program is logged in.
bool logInToServer(const QString& url, Prompts& prompts, const QString& title);

// The server database opened last (its URL, never a password), kept in the user's settings so
// that the Server window offers it again; empty when there is none.
QString lastServer();
void keepLastServer(const QString& url);

// The "Server" window ("FormServer"), opened from Open DataBase: where a database on a
// PostgreSQL server is, and who logs in. OK checks the boxes, logs in (asking for the password
// when the server wants one) and closes with url() set; anything wrong is said and the window
// stays open. It starts with the server opened last.
class ServerWindow : public QDialog {
    Q_OBJECT

public:
    explicit ServerWindow(Services& services, QWidget* parent = nullptr);

    // The URL logged in to, once OK has succeeded.
    QString url() const { return url_; }

    // The name libpq logs in with when no user is given.
    static QString loginName();

private slots:
    void Cmd_OK_Click();
    void Cmd_Cancel_Click();

private:
    // The address the boxes describe; a box that describes nothing usable is said, focused, and
    // gives nothing.
    std::optional<server::Address> checkedAddress();
    void refuse(QLineEdit* box, const QString& text);

    Services& services_;
    QString url_;

    QLabel* Label_Host = nullptr;
    QLineEdit* Text_Host = nullptr;
    QLabel* Label_Port = nullptr;
    QLineEdit* Text_Port = nullptr;
    QLabel* Label_Database = nullptr;
    QLineEdit* Text_Database = nullptr;
    QLabel* Label_User = nullptr;
    QLineEdit* Text_User = nullptr;
    QPushButton* Cmd_OK = nullptr;
    QPushButton* Cmd_Cancel = nullptr;
};

} // namespace korvane
