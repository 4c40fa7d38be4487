#include "data/ServerAddress.h"

#include <QHash>
#include <QUrl>
#include <QUrlQuery>

namespace korvane::server {

namespace {

QHash<QString, QString>& passwords() {
    static QHash<QString, QString> kept;
    return kept;
}

} // namespace

bool isServerName(const QString& name) {
    const QString t = name.trimmed();
    return t.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           t.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

Result<Address> parse(const QString& text) {
    if (!isServerName(text))
        return Error{QStringLiteral("\"%1\" is not a server address; it must begin with "
                                    "postgresql://.")
                         .arg(text)};
    const QUrl u(text.trimmed(), QUrl::StrictMode);
    if (!u.isValid())
        return Error{
            QStringLiteral("\"%1\" is not a valid server address: %2").arg(text, u.errorString())};
    Address a;
    a.user = u.userName(QUrl::FullyDecoded);
    a.host = u.host(QUrl::FullyDecoded);
    a.port = u.port(0);
    a.database = u.path(QUrl::FullyDecoded);
    if (a.database.startsWith(QLatin1Char('/')))
        a.database.remove(0, 1);
    const QUrlQuery query(u);
    if (query.hasQueryItem(QStringLiteral("host")))
        a.host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    if (query.hasQueryItem(QStringLiteral("port")))
        a.port = query.queryItemValue(QStringLiteral("port")).toInt();
    if (query.hasQueryItem(QStringLiteral("user")))
        a.user = query.queryItemValue(QStringLiteral("user"), QUrl::FullyDecoded);
    if (query.hasQueryItem(QStringLiteral("dbname")))
        a.database = query.queryItemValue(QStringLiteral("dbname"), QUrl::FullyDecoded);
    for (const auto& [key, value] : query.queryItems(QUrl::FullyDecoded)) {
        static const QStringList named{QStringLiteral("host"), QStringLiteral("port"),
                                       QStringLiteral("user"), QStringLiteral("dbname"),
                                       QStringLiteral("password")};
        if (!named.contains(key))
            a.options.append({key, value});
    }
    if (a.database.isEmpty())
        return Error{QStringLiteral("The server address \"%1\" names no database.")
                         .arg(url(a).isEmpty() ? text : url(a))};
    if (a.port < 0 || a.port > 65535)
        return Error{QStringLiteral("The port of \"%1\" is not a port number.").arg(text)};
    QString password = u.password(QUrl::FullyDecoded);
    if (query.hasQueryItem(QStringLiteral("password")))
        password = query.queryItemValue(QStringLiteral("password"), QUrl::FullyDecoded);
    if (!password.isEmpty())
        rememberPassword(url(a), password);
    return a;
}

QString url(const Address& a) {
    QUrl u;
    u.setScheme(QStringLiteral("postgresql"));
    if (!a.user.isEmpty())
        u.setUserName(a.user);
    const bool socket = a.host.startsWith(QLatin1Char('/'));
    // A socket folder cannot be the host part of a URL; libpq takes it as the host parameter.
    u.setHost(socket ? QString() : a.host);
    if (a.port > 0 && !socket)
        u.setPort(a.port);
    u.setPath(QLatin1Char('/') + a.database);
    QUrlQuery query;
    if (socket)
        query.addQueryItem(QStringLiteral("host"), a.host);
    if (socket && a.port > 0)
        query.addQueryItem(QStringLiteral("port"), QString::number(a.port));
    for (const auto& [key, value] : a.options)
        query.addQueryItem(key, value);
    u.setQuery(query);
    QString text = u.toString(QUrl::FullyEncoded);
    // "postgresql:/db" and "postgresql://user/db" are not what libpq reads: keep the "//" and
    // the "@" of an empty host.
    if (u.host().isEmpty()) {
        const QString head = QStringLiteral("postgresql:");
        QString rest = text.mid(head.size());
        if (!rest.startsWith(QLatin1String("//")))
            rest = QLatin1String("//") + rest;
        if (!a.user.isEmpty() && !rest.contains(QLatin1Char('@')))
            rest.insert(2 + QUrl::toPercentEncoding(a.user).size(), QLatin1Char('@'));
        text = head + rest;
    }
    return text;
}

QString normalized(const QString& name) {
    if (!isServerName(name))
        return name;
    auto a = parse(name);
    return a ? url(*a) : name.trimmed();
}

QString displayName(const QString& name) {
    if (!isServerName(name)) {
        const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
        return slash < 0 ? name : name.mid(slash + 1);
    }
    auto a = parse(name);
    if (!a)
        return name;
    QString where = a->host.isEmpty() || a->host.startsWith(QLatin1Char('/'))
                        ? QStringLiteral("this computer")
                        : a->host;
    if (a->port > 0 && !a->host.startsWith(QLatin1Char('/')))
        where += QLatin1Char(':') + QString::number(a->port);
    return QStringLiteral("%1 on %2").arg(a->database, where);
}

void rememberPassword(const QString& url, const QString& password) {
    passwords().insert(normalized(url), password);
}

QString rememberedPassword(const QString& url) {
    return passwords().value(normalized(url));
}

void forgetPassword(const QString& url) {
    passwords().remove(normalized(url));
}

} // namespace korvane::server
