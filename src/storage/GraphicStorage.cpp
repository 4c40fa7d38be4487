#include "storage/GraphicStorage.h"

#include "data/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>

namespace korvane {

namespace graphicpages {

QString prefix(qint32 company, qint32 location, qint32 tank, std::optional<qint32> inspection) {
    QString text = QStringLiteral("C%1_L%2_T%3").arg(company).arg(location).arg(tank);
    if (inspection)
        text += QStringLiteral("_I%1").arg(*inspection);
    return text;
}

QString edgePage() {
    return QStringLiteral("_Edge.tmp");
}

QString roofPage() {
    return QStringLiteral("_Roof.tmp");
}

QString floorPage() {
    return QStringLiteral("_Floor.tmp");
}

QString shellPage(int page, bool plate) {
    return QStringLiteral("_S%1.tmp").arg(plate ? page + 50 : page, 2, 10, QLatin1Char('0'));
}

QString otherPage(int page) {
    return QStringLiteral("_O%1.tmp").arg(page, 2, 10, QLatin1Char('0'));
}

QString pageCaption(const QString& label) {
    static const QRegularExpression page(
        QStringLiteral("_(Edge|Roof|Floor|S(\\d\\d)|O(\\d\\d))\\.tmp\\z"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = page.match(label);
    if (!match.hasMatch())
        return label;
    if (!match.captured(2).isEmpty()) {
        const int n = match.captured(2).toInt();
        return n > 50 ? QStringLiteral("Shell Plate %1").arg(n - 50)
                      : QStringLiteral("Shell %1").arg(n);
    }
    if (!match.captured(3).isEmpty())
        return QStringLiteral("Other %1").arg(match.captured(3).toInt());
    const QString name = match.captured(1);
    return name.left(1).toUpper() + name.mid(1).toLower();
}

int graphicType(const QString& label) {
    const qsizetype at = label.indexOf(QLatin1String("_S"));
    if (at < 0)
        return 1;
    bool number = false;
    const int page = label.mid(at + 2, 2).toInt(&number);
    return number && page > 50 ? 2 : 1;
}

bool isOwnPage(const QString& label, const QString& prefix) {
    static const QString suffixes = QStringLiteral("(_Edge|_Roof|_Floor|_S\\d\\d|_O\\d\\d)\\.tmp");
    // Anchored at both ends: "$" alone would let a name end in a line break.
    const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QRegularExpression::escape(prefix) + suffixes));
    return !prefix.isEmpty() && pattern.match(label).hasMatch();
}

} // namespace graphicpages

GraphicStore::GraphicStore(Owner owner, qint32 ownerKey, const QString& prefix)
    : owner_(owner), ownerKey_(ownerKey), prefix_(prefix) {}

QString GraphicStore::table() const {
    return owner_ == Owner::Tank ? QStringLiteral("TGraphic") : QStringLiteral("IGraphic");
}

QString GraphicStore::keyField() const {
    return owner_ == Owner::Tank ? QStringLiteral("TankID") : QStringLiteral("InspectionID");
}

QString GraphicStore::pagePath(const QString& suffix) const {
    return QDir(dir_.path()).filePath(prefix_ + suffix);
}

Result<GraphicStore::Loaded> GraphicStore::LoadGraphicsFromDb(const QString& databaseName) {
    if (!dir_.isValid())
        return Error{QStringLiteral("No folder for the drawing pages could be made: %1")
                         .arg(dir_.errorString())};
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();
    auto rows = db->exec(QStringLiteral("SELECT rowid, \"GraphicLabel\" FROM \"%1\" "
                                        "WHERE \"%2\" = ? ORDER BY rowid")
                             .arg(table(), keyField()),
                         {ownerKey_});
    if (!rows)
        return rows.takeError();
    databaseName_ = databaseName;
    Loaded loaded;
    while (rows->next()) {
        const QString label = rows->value(1).toString();
        if (!graphicpages::isOwnPage(label, prefix_)) {
            loaded.skipped << QStringLiteral("The drawing page stored as \"%1\" (row %2 of %3) "
                                             "is not a page of this %4 and was not opened.")
                                  .arg(label)
                                  .arg(rows->value(0).toLongLong())
                                  .arg(table(), owner_ == Owner::Tank
                                                    ? QStringLiteral("tank")
                                                    : QStringLiteral("inspection"));
            continue;
        }
        if (unopened_.contains(label))
            continue; // a second row of one label: the later one is shown
        if (label.contains(QLatin1String("_S"), Qt::CaseInsensitive))
            ++loaded.shellPages;
        if (label.contains(QLatin1String("_O"), Qt::CaseInsensitive))
            ++loaded.otherPages;
        unopened_.insert(label);
        ++loaded.pages;
    }
    return loaded;
}

Result<bool> GraphicStore::openPage(const QString& suffix) {
    const QString name = prefix_ + suffix;
    if (!unopened_.contains(name))
        return QFileInfo::exists(pagePath(suffix));
    auto db = Database::open(databaseName_);
    if (!db)
        return db.takeError();
    auto text = db->firstValue(QStringLiteral("SELECT \"Graphic\" FROM \"%1\" WHERE \"%2\" = ? "
                                              "AND \"GraphicLabel\" = ? ORDER BY rowid DESC "
                                              "LIMIT 1")
                                   .arg(table(), keyField()),
                               {ownerKey_, name});
    if (!text)
        return text.takeError();
    QFile file(pagePath(suffix));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(text->toString().toUtf8()) < 0 || !file.flush())
        return Error{QStringLiteral("The drawing page %1 could not be written: %2")
                         .arg(name, file.errorString())};
    unopened_.remove(name);
    return true;
}

bool GraphicStore::hasPage(const QString& suffix) const {
    return unopened_.contains(prefix_ + suffix) || QFileInfo::exists(pagePath(suffix));
}

int GraphicStore::lastPage(QChar kind) const {
    int last = 0;
    const QString start = prefix_ + QLatin1Char('_') + kind;
    const QStringList names =
        QDir(dir_.path()).entryList({start + QStringLiteral("??.tmp")}, QDir::Files) +
        QStringList(unopened_.cbegin(), unopened_.cend()).filter(start);
    for (const QString& name : names) {
        bool number = false;
        int page = name.mid(start.size(), 2).toInt(&number);
        if (!number)
            continue;
        if (kind == QLatin1Char('S') && page > 50)
            page -= 50; // a plate page
        last = std::max(last, page);
    }
    return last;
}

int GraphicStore::lastShellPage() const {
    return lastPage(QLatin1Char('S'));
}

int GraphicStore::lastOtherPage() const {
    return lastPage(QLatin1Char('O'));
}

void GraphicStore::markSaved(const QString& suffix) {
    const QString name = prefix_ + suffix;
    if (!saved_.contains(name))
        saved_ << name;
}

Status GraphicStore::SaveGraphicsToDb(Database& db) const {
    for (const QString& name : saved_) {
        QFile file(QDir(dir_.path()).filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            return Error{QStringLiteral("The drawing page %1 could not be read: %2")
                             .arg(name, file.errorString())};
        const QString text = QString::fromUtf8(file.readAll());
        // The row openPage shows when a label is stored twice: the later one.
        auto rowid = db.firstValue(QStringLiteral("SELECT rowid FROM \"%1\" WHERE "
                                                  "\"GraphicLabel\" = ? AND \"%2\" = ? "
                                                  "ORDER BY rowid DESC LIMIT 1")
                                       .arg(table(), keyField()),
                                   {name, ownerKey_});
        if (!rowid)
            return rowid.takeError();
        if (rowid->isValid()) {
            auto written =
                db.updateRow(table(), rowid->toLongLong(), {QStringLiteral("Graphic")}, {text});
            if (!written)
                return written.takeError();
            continue;
        }
        auto written = db.insertRow(table(),
                                    {keyField(), QStringLiteral("GraphicLabel"),
                                     QStringLiteral("GraphicType"), QStringLiteral("Graphic")},
                                    {ownerKey_, name, graphicpages::graphicType(name), text});
        if (!written)
            return written.takeError();
    }
    return {};
}

} // namespace korvane
