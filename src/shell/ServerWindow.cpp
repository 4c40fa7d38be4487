#include "shell/ServerWindow.h"

#include "platform/BusyScope.h"
#include "platform/Keyboard.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>

#include <pwd.h>
#include <unistd.h>

namespace korvane {

namespace {

const QString LastServerKey = QStringLiteral("LastServer");

// Whether one part of an address comes back unchanged from the URL written for it, so that the
// URL names what the user typed and nothing else.
bool survivesUrl(const server::Address& part,
                 bool (*same)(const server::Address&, const server::Address&)) {
    const auto back = server::parse(server::url(part));
    return back && same(part, *back);
}

} // namespace

bool logInToServer(const QString& url, Prompts& prompts, const QString& title) {
    const auto address = server::parse(url);
    if (!address) {
        prompts.message(address.error(), title, Prompts::Icon::Exclamation);
        return false;
    }
    const QString user = address->user.isEmpty() ? ServerWindow::loginName() : address->user;
    for (;;) {
        const auto login = server::tryLogin(url);
        if (!login) {
            prompts.message(login.error(), title, Prompts::Icon::Exclamation);
            return false;
        }
        switch (*login) {
        case server::Login::Connected:
            return true;
        case server::Login::WrongPassword:
            // A refused password is not tried again by anything else in this run.
            server::forgetPassword(url);
            prompts.message(
                QStringLiteral("The server refused the password for user %1.").arg(user), title,
                Prompts::Icon::Exclamation);
            break;
        case server::Login::NeedsPassword:
            break;
        }
        const QString password = prompts.password(
            QStringLiteral("Password of user %1 for %2:").arg(user, server::displayName(url)),
            title);
        if (password.isEmpty())
            return false;
        server::rememberPassword(url, password);
    }
}

QString lastServer() {
    return QSettings().value(LastServerKey).toString();
}

void keepLastServer(const QString& url) {
    QSettings settings;
    settings.setValue(LastServerKey, server::normalized(url));
    settings.sync();
}

ServerWindow::ServerWindow(Services& services, QWidget* parent)
    : QDialog(parent), services_(services) {
    setObjectName(QStringLiteral("FormServer"));
    setWindowTitle(QStringLiteral("Server"));

    const auto label = [this](const QString& text, const char* name, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setBuddy(buddy);
        return l;
    };
    const auto box = [this](const char* name, const QString& tip) {
        auto* b = new QLineEdit(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(tip);
        return b;
    };
    Text_Host = box("Text_Host", QStringLiteral("The server's name or address, or the folder of "
                                                "its socket on this computer"));
    Text_Host->setPlaceholderText(QStringLiteral("this computer"));
    Text_Port = box("Text_Port", QStringLiteral("Empty: the usual port, 5432"));
    Text_Port->setPlaceholderText(QStringLiteral("5432"));
    Text_Database = box("Text_Database", QStringLiteral("The name of the database on the server"));
    Text_User = box("Text_User", QStringLiteral("Empty: your login name"));
    Text_User->setPlaceholderText(loginName());
    Label_Host = label(QStringLiteral("&Server:"), "Label_Host", Text_Host);
    Label_Port = label(QStringLiteral("&Port:"), "Label_Port", Text_Port);
    Label_Database = label(QStringLiteral("&Database:"), "Label_Database", Text_Database);
    Label_User = label(QStringLiteral("&User:"), "Label_User", Text_User);

    Cmd_OK = new QPushButton(QStringLiteral("OK"), this);
    Cmd_OK->setObjectName(QStringLiteral("Cmd_OK"));
    Cmd_OK->setDefault(true);
    Cmd_Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Cmd_Cancel->setObjectName(QStringLiteral("Cmd_Cancel"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label_Host, 0, 0);
    grid->addWidget(Text_Host, 0, 1);
    grid->addWidget(Label_Port, 1, 0);
    grid->addWidget(Text_Port, 1, 1);
    grid->addWidget(Label_Database, 2, 0);
    grid->addWidget(Text_Database, 2, 1);
    grid->addWidget(Label_User, 3, 0);
    grid->addWidget(Text_User, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Cmd_OK);
    buttons->addWidget(Cmd_Cancel);
    grid->addLayout(buttons, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    resize(420, sizeHint().height());

    // The server opened last, so that the team's database is one OK away.
    if (const auto last = server::parse(lastServer())) {
        Text_Host->setText(last->host);
        Text_Port->setText(last->port > 0 ? QString::number(last->port) : QString());
        Text_Database->setText(last->database);
        Text_User->setText(last->user);
    }
    orderFocusByLayout(*this);
    if (Text_Database->text().isEmpty())
        Text_Host->setFocus();
    else
        Cmd_OK->setFocus();

    connect(Cmd_OK, &QPushButton::clicked, this, &ServerWindow::Cmd_OK_Click);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &ServerWindow::Cmd_Cancel_Click);
}

QString ServerWindow::loginName() {
    // libpq takes the name of the effective user from the password database.
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

void ServerWindow::refuse(QLineEdit* box, const QString& text) {
    services_.prompts.message(text, windowTitle(), Prompts::Icon::Exclamation);
    box->setFocus();
    box->selectAll();
}

std::optional<server::Address> ServerWindow::checkedAddress() {
    server::Address a;
    a.host = Text_Host->text().trimmed();
    a.database = Text_Database->text().trimmed();
    a.user = Text_User->text().trimmed();
    const QString port = Text_Port->text().trimmed();

    if (a.database.isEmpty()) {
        refuse(Text_Database, QStringLiteral("Type the name of the database on the server."));
        return std::nullopt;
    }
    if (!port.isEmpty()) {
        static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
        a.port = digits.match(port).hasMatch() ? port.toInt() : 0;
        if (a.port < 1 || a.port > 65535) {
            refuse(Text_Port, QStringLiteral("The port must be a number from 1 to 65535; leave "
                                             "it empty for the usual port, 5432."));
            return std::nullopt;
        }
    }
    // Each part must come back unchanged from the URL, or the URL would name something else.
    const bool hostOk = !a.host.contains(QRegularExpression(QStringLiteral("\\s"))) ||
                        a.host.startsWith(QLatin1Char('/'));
    if (!a.host.isEmpty() &&
        (!hostOk || !survivesUrl({a.host, 0, QStringLiteral("x"), {}},
                                 [](const server::Address& x, const server::Address& y) {
                                     return x.host.compare(y.host, Qt::CaseInsensitive) == 0;
                                 }))) {
        refuse(Text_Host, QStringLiteral("\"%1\" is no server name, address or socket folder. "
                                         "Type a name such as db.example.com, an address such "
                                         "as 192.168.1.20, or a folder such as "
                                         "/var/run/postgresql.")
                              .arg(a.host));
        return std::nullopt;
    }
    if (!survivesUrl({{}, 0, a.database, {}},
                     [](const server::Address& x, const server::Address& y) {
                         return x.database == y.database;
                     })) {
        refuse(Text_Database,
               QStringLiteral("\"%1\" cannot be used as a database name.").arg(a.database));
        return std::nullopt;
    }
    if (!a.user.isEmpty() && !survivesUrl({{}, 0, QStringLiteral("x"), a.user},
                                          [](const server::Address& x, const server::Address& y) {
                                              return x.user == y.user;
                                          })) {
        refuse(Text_User, QStringLiteral("\"%1\" cannot be used as a user name.").arg(a.user));
        return std::nullopt;
    }
    return a;
}

void ServerWindow::Cmd_OK_Click() {
    const auto address = checkedAddress();
    if (!address)
        return;
    const QString url = server::url(*address);
    const bool loggedIn = [&] {
        BusyScope busy(services_.pointer, *this);
        return logInToServer(url, services_.prompts, windowTitle());
    }();
    if (!loggedIn)
        return;
    keepLastServer(url);
    url_ = url;
    accept();
}

void ServerWindow::Cmd_Cancel_Click() {
    reject();
}

} // namespace korvane
