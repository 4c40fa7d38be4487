#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace korvane::test {

// What a command-line tool (pdftotext, pdfimages, pdfinfo) prints, or a text in angle brackets
// saying that it failed, so that a failure shows in the assertion that reads it.
QString runTool(const QString& program, const QStringList& arguments);

// The pages of a PDF file as `pdftotext -layout` lays them out, one text per page.
QStringList pdfPages(const QString& pdf);

// A word as `pdftotext -bbox` places it: its box in points from the top left of its page.
struct PdfWord {
    QString text;
    double top = 0, bottom = 0;
    double left = 0, right = 0;
};
struct PdfPage {
    double height = 0;
    std::vector<PdfWord> words;
};

// Every word of every page of a PDF file with its box, to check where a text stands.
std::vector<PdfPage> pdfWordBoxes(const QString& pdf);

} // namespace korvane::test
