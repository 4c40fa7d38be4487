#pragma once

#include "data/Database.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace korvane::test {

// A new, empty Korvane database in a folder of its own, removed when the test ends, with
// shortcuts for adding and reading rows. Failures fail the test.
class TestDatabase {
public:
    explicit TestDatabase(const QString& fileName = QStringLiteral("plant.mdb"));

    QString path() const { return path_; }
    QString folder() const { return dir_.path(); }
    Database open() const;

    // Adds a row with the given field values and returns its counter key (0 for keyless tables).
    qint32 add(const QString& table, const QVariantMap& values) const;
    qint32 addCompany(const QString& name) const;
    qint32 addLocation(qint32 companyId, const QString& name) const;
    qint32 addTank(qint32 locationId, const QString& name) const;

    // One field of the row whose keyField equals key, or an invalid QVariant when there is none.
    QVariant value(const QString& table, const QString& keyField, const QVariant& key,
                   const QString& field) const;
    qint64 count(const QString& table) const;

private:
    TempDir dir_;
    QString path_;
};

// The bytes of a file, to prove an operation left it untouched.
QByteArray fileBytes(const QString& path);

} // namespace korvane::test
