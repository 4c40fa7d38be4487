#include "shell/RtfReader.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace korvane {
namespace {

// What the reader may never leave in a document: characters that QTextDocument treats as
// block or frame boundaries inside a run, control characters other than tab, broken surrogates.
bool hasForbiddenCharacter(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate() || (c.unicode() < 0x20 && c != u'\t') ||
            c == QChar::ObjectReplacementCharacter || c.unicode() == 0xFDD0 ||
            c.unicode() == 0xFDD1)
            return true;
    }
    return false;
}

QStringList qtWarnings;

void collectWarning(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        qtWarnings << message;
}

// The hostile inputs the fuzz target starts from, replayed under the sanitizers of the normal
// build: each must read, lay out without a complaint from Qt, and read again to the same result.
TEST(RtfCorpus, HostileInputsReadAndLayOut) {
    const QDir corpus(QStringLiteral(KORVANE_RTF_CORPUS_DIR));
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(names.size(), 20) << "corpus missing at " << corpus.path().toStdString();

    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray input = file.readAll();

        QTextDocument doc;
        qtWarnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collectWarning);
        readRtf(input, doc);
        doc.setTextWidth(400);
        const QSizeF size = doc.documentLayout()->documentSize();
        qInstallMessageHandler(previous);
        EXPECT_TRUE(qtWarnings.isEmpty()) << qtWarnings.join(u'\n').toStdString();
        EXPECT_TRUE(qIsFinite(size.width()) && qIsFinite(size.height()));

        const QString text = doc.toRawText();
        EXPECT_FALSE(hasForbiddenCharacter(text));

        readRtf(input, doc);
        EXPECT_EQ(doc.toRawText(), text);
    }
}

} // namespace
} // namespace korvane
