#include "shell/RtfReader.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>

// Laying out needs fonts, and fonts need a QGuiApplication; the offscreen platform needs no
// display.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

// Reads any bytes as RTF and lays the result out, as the help viewer would show it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QTextDocument doc;
    korvane::readRtf(input, doc);
    doc.setTextWidth(400);
    doc.documentLayout()->documentSize();
    return 0;
}
