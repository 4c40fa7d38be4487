#pragma once

#include <QString>
#include <QStringList>

namespace korvane::test {

// What a command-line tool (pdftotext, pdfimages, pdfinfo) prints, or a text in angle brackets
// saying that it failed, so that a failure shows in the assertion that reads it.
QString runTool(const QString& program, const QStringList& arguments);

// The pages of a PDF file as `pdftotext -layout` lays them out, one text per page.
QStringList pdfPages(const QString& pdf);

} // namespace korvane::test
