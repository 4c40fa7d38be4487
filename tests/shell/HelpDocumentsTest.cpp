#include "shell/RtfReader.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <gtest/gtest.h>

#include <vector>

namespace korvane {
namespace {

struct HelpDocument {
    const char* file;
    const char* title;
    std::vector<const char*> subHeadings; // some of the sub-headings, in any order
    std::vector<const char*> phrases;     // text the reader must find in the body
};

const std::vector<HelpDocument>& helpDocuments() {
    static const std::vector<HelpDocument> documents = {
        {"aboutkv.rtf",
         "Korvane 2000",
         {"What it keeps", "Version and licence", "Getting started"},
         {"Version 0.1.0", "Licensed under the MIT License", "aboveground storage tanks",
          "t = 2.6 × H × D × G ÷ (S × E)", "primary seal and secondary seal"}},
        {"kv_inst1.rtf",
         "Main Screen",
         {"The File menu", "The Edit menu", "The Help menu", "Opening a database",
          "A typical road through the program", "Printing reports"},
         {"Preferences", "Exit", "Tank Information", "Tank Graphics", "Inspection Information",
          "Inspection Graphics", "New Tank for this Location", "Change Course Measurements",
          "Weld Butt", "New Inspection", "This is NOT a Korvane Database", "Server...",
          "korvane postgresql://user@server/database"}},
        {"kv_inst2.rtf",
         "Tank Information",
         {"Tank Select", "General Info", "Design Info", "Custom Info", "Max. Fill", "Typing dates",
          "Courses and minimum thickness", "History of changes"},
         {"New Tank for this Location", "B for barrels or G for gallons", "5 Year(s)",
          "18 Month(s)", "05/Mar/2020", "Date entered is beyond today!",
          "Enter the no. of feet for this dimension.", "press M", "0.1 inch", "0.529 inch",
          "due this calendar year or overdue"}},
        {"kv_inst3.rtf",
         "Inspection & Thickness",
         {"Choosing a tank and an inspection", "The inspection report", "Thickness readings",
          "Shell settlement survey", "Printing", "History of changes"},
         {"New Inspection", "Needs Entry", "Add Thickness", "Readings for this tank:",
          "optimum cosine curve", "Out-of-Plane Deflection", "never fewer than 8",
          "Do you want to recalculate the grid?", "However, all Thickness data is saved!"}},
        {"kv_inst4.rtf",
         "Inspection Graphics",
         {"Drawing pages", "Drawing tools", "Marking a settled area",
          "Marking corroded and pitted areas", "Saving and printing"},
         {"Edge/Floor Settle", "Roof/Floor Corr.", "Shell Corrosion", "Selection Tool", "Zoom In",
          "Is this an Edge type reading?", "Area ID", "Stress Analysis Req'd",
          "Is this a Corrosion type reading?"}},
        {"kv_inst5.rtf",
         "Tank Graphics",
         {"Choosing a tank", "Drawing tools", "Marking a thickness measurement location",
          "Seeing the latest reading"},
         {"thickness measurement locations (TMLs)", "Point ID", "X Coordinate", "Current Thickness",
          "latest reading", "Print TML Listing"}},
        {"kv_inst6.rtf",
         "Preferences",
         {"Units Selection", "Custom fields", "Saving your preferences"},
         {"US", "SI", "KPa", "Label / Prompt", "Text", "Numeric", "Date/Time", "Yes/No", "Hidden",
          "twenty custom fields"}},
        {"kv_inst7.rtf",
         "Due and at Risk",
         {"What each row shows", "Choosing what to see", "Opening a tank", "Export and Print",
          "Every night"},
         {"Edit > Due and at Risk", "Only tanks that need attention", "Life short of next UT",
          "Corrosion Assessment", "due.rpt", "korvane-db due", "status 3"}},
    };
    return documents;
}

bool isBoldBlock(const QTextBlock& block) {
    bool any = false;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        if (it.fragment().charFormat().fontWeight() < QFont::Bold)
            return false;
        any = true;
    }
    return any;
}

double blockPointSize(const QTextBlock& block) {
    const auto it = block.begin();
    return it.atEnd() ? 0 : it.fragment().charFormat().fontPointSize();
}

// The size most of the text is written in.
double bodyPointSize(const QTextDocument& doc) {
    QHash<double, int> characters;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it)
            characters[it.fragment().charFormat().fontPointSize()] += it.fragment().length();
    }
    double size = 0;
    for (auto it = characters.cbegin(); it != characters.cend(); ++it) {
        if (it.value() > characters.value(size))
            size = it.key();
    }
    return size;
}

TEST(HelpDocuments, EachHasItsHeadingsListsAndKeyPhrases) {
    const QDir folder(QStringLiteral(KORVANE_HELP_DIR));
    for (const HelpDocument& help : helpDocuments()) {
        SCOPED_TRACE(help.file);
        QFile file(folder.filePath(QString::fromLatin1(help.file)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QTextDocument doc;
        readRtf(file.readAll(), doc);

        const double body = bodyPointSize(doc);
        const QTextBlock first = doc.firstBlock();
        EXPECT_EQ(first.text(), QString::fromUtf8(help.title));
        EXPECT_TRUE(isBoldBlock(first));
        EXPECT_GT(blockPointSize(first), body);

        QStringList subHeadings;
        bool hasList = false;
        for (QTextBlock block = first.next(); block.isValid(); block = block.next()) {
            if (isBoldBlock(block) && blockPointSize(block) > body) {
                subHeadings << block.text();
                EXPECT_LT(blockPointSize(block), blockPointSize(first))
                    << block.text().toStdString();
            }
            hasList = hasList || block.textList() != nullptr;
            // Markup that the reader shows as text is a slip in the document.
            EXPECT_FALSE(block.text().contains(u'\\') || block.text().contains(u'{'))
                << block.text().toStdString();
        }
        EXPECT_GE(subHeadings.size(), 3);
        for (const char* heading : help.subHeadings)
            EXPECT_TRUE(subHeadings.contains(QString::fromUtf8(heading))) << heading;
        EXPECT_TRUE(hasList);

        const QString text = doc.toPlainText();
        for (const char* phrase : help.phrases)
            EXPECT_TRUE(text.contains(QString::fromUtf8(phrase))) << phrase;
    }
}

// Every fragment names a font of the document's font table: a wrong \f number in a document
// would fall back silently to the viewer's default font.
TEST(HelpDocuments, AllTextUsesTheDocumentFont) {
    const QDir folder(QStringLiteral(KORVANE_HELP_DIR));
    for (const HelpDocument& help : helpDocuments()) {
        SCOPED_TRACE(help.file);
        QFile file(folder.filePath(QString::fromLatin1(help.file)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QTextDocument doc;
        readRtf(file.readAll(), doc);
        for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                EXPECT_EQ(it.fragment().charFormat().fontFamilies().toStringList().join(u','),
                          QStringLiteral("Arial"))
                    << it.fragment().text().toStdString();
            }
        }
    }
}

} // namespace
} // namespace korvane
