#include "support/AccessFiles.h"

#include "support/TestDatabase.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

namespace korvane::test {

namespace {

constexpr qsizetype Jet3Page = 2048;

// Every page of a Jet 3 file that holds rows of the table whose definition is on tablePage.
QList<qsizetype> dataPages(const QByteArray& bytes, quint32 tablePage) {
    QList<qsizetype> pages;
    for (qsizetype at = 0; at + Jet3Page <= bytes.size(); at += Jet3Page)
        if (bytes.at(at) == 1 &&
            qFromLittleEndian<quint32>(bytes.constData() + at + 4) == tablePage)
            pages << at;
    return pages;
}

QByteArray jet3Location() {
    QByteArray bytes = fileBytes(QStringLiteral(KORVANE_ACCESS_TESTDATA "/nwind.mdb"));
    // Same length, so every row and page keeps its size; libmdb finds tables by name.
    bytes.replace("Shippers", "Location");
    return bytes;
}

} // namespace

void writeAccessFile(AccessFile kind, const QString& path) {
    QByteArray bytes;
    switch (kind) {
    case AccessFile::Jet3Location:
        bytes = jet3Location();
        break;
    case AccessFile::Jet4Location:
        bytes = fileBytes(QStringLiteral(KORVANE_ACCESS_TESTDATA "/DateTestDatabase.mdb"));
        // Names are kept as UTF-16 or, compressed, as one byte a character.
        bytes.replace("DateTest", "Location");
        bytes.replace(QByteArray(reinterpret_cast<const char*>(u"DateTest"), 16),
                      QByteArray(reinterpret_cast<const char*>(u"Location"), 16));
        break;
    case AccessFile::RowsLost: {
        bytes = jet3Location();
        // The table's definition is on page 581 and counts 3 rows at byte 12; its one data
        // page counts its rows at byte 8.
        EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 581 * Jet3Page + 12), 3u);
        const auto pages = dataPages(bytes, 581);
        EXPECT_EQ(pages.size(), 1);
        for (const qsizetype at : pages)
            qToLittleEndian<quint16>(0, bytes.data() + at + 8);
        break;
    }
    case AccessFile::Linked: {
        bytes = jet3Location();
        // The table's row in the list of objects (whose definition is on page 2) begins with
        // its Id 581, its ParentId 0x0F000001 (the folder of tables) and its Type, 1 for a
        // table of the file; 6 is a link to a table of another Access file.
        QByteArray row(10, '\0');
        qToLittleEndian<qint32>(581, row.data());
        qToLittleEndian<qint32>(0x0F000001, row.data() + 4);
        qToLittleEndian<qint16>(1, row.data() + 8);
        int patched = 0;
        for (const qsizetype page : dataPages(bytes, 2))
            for (qsizetype at = bytes.indexOf(row, page); at >= 0 && at < page + Jet3Page;
                 at = bytes.indexOf(row, at + 1), ++patched)
                qToLittleEndian<qint16>(6, bytes.data() + at + 8);
        EXPECT_EQ(patched, 1);
        break;
    }
    case AccessFile::Encrypted:
        bytes = fileBytes(QStringLiteral(KORVANE_ACCESS_TESTDATA "/DateTestDatabase.mdb"));
        // Version 3 (Access 2010) at 0x14; the encoding key at 0x3E is masked, so changing the
        // stored bytes changes the key from zero to something else.
        bytes[0x14] = 3;
        bytes[0x3E] = static_cast<char>(bytes.at(0x3E) ^ 0x5A);
        break;
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

} // namespace korvane::test
