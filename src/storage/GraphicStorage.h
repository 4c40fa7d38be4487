#pragma once

#include "common/Result.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

namespace korvane {

class Database;

// The drawing pages of a tank (table TGraphic) or of an inspection (table IGraphic), one row a
// page, kept while a graphics window is open as page files in a private folder of that window.
// A stored page is written out as its file the first time it is shown, so that opening an
// owner with many large pages reads only the page on screen.
//
// A page file is named by its owner's prefix ("C3_L7_T12" for a tank, "C3_L7_T12_I40" for an
// inspection) and the page's suffix ("_Roof.tmp", "_S01.tmp" ...); the name is the row's
// GraphicLabel. Rows are written out as files when the owner is picked, and the files saved
// while the window was open are stored back by OK. The folder and its files go with the store,
// so a window never touches a file it did not make.
namespace graphicpages {

// The prefix of an owner's page files: "C" company "_L" location "_T" tank, and "_I"
// inspection for an inspection's pages.
QString prefix(qint32 company, qint32 location, qint32 tank,
               std::optional<qint32> inspection = std::nullopt);

QString edgePage();
QString roofPage();
QString floorPage();
// Shell page n (1..49): "_S" and n in two digits for a rollout, n + 50 for a plate.
QString shellPage(int page, bool plate);
// Other page n (1..99): "_O" and n in two digits.
QString otherPage(int page);

// The page a label names as its tab calls it: "Roof", "Shell 3", "Shell Plate 3", "Other 2"; the
// label itself when it is not a page file name.
QString pageCaption(const QString& label);

// 2 for a shell plate page (a name whose "_S" is followed by a number above 50), else 1.
int graphicType(const QString& label);

// Whether a stored label is a page file name of this owner: a plain name (no folder, no "..")
// of the prefix followed by one of the page suffixes. Anything else is never used as a path.
bool isOwnPage(const QString& label, const QString& prefix);

} // namespace graphicpages

class GraphicStore {
public:
    enum class Owner { Tank, Inspection };

    GraphicStore(Owner owner, qint32 ownerKey, const QString& prefix);
    GraphicStore(const GraphicStore&) = delete;
    GraphicStore& operator=(const GraphicStore&) = delete;

    bool isValid() const { return dir_.isValid(); }
    QString folder() const { return dir_.path(); }
    // The file of a page (a suffix such as graphicpages::roofPage()).
    QString pagePath(const QString& suffix) const;

    // What loading found.
    struct Loaded {
        int pages = 0;
        int shellPages = 0; // labels with "_S"
        int otherPages = 0; // labels with "_O"
        // One message for each row whose label is not a page name of this owner; those rows
        // are left as they are and no file is ever written for them.
        QStringList skipped;
    };
    // Reads which pages the owner has stored; each is written to its file, the text exactly as
    // stored, when openPage asks for it.
    Result<Loaded> LoadGraphicsFromDb(const QString& databaseName);

    // Whether a page exists: it was stored, or saved while the window was open.
    bool hasPage(const QString& suffix) const;
    // Makes the page's file ready to be shown (a stored page not yet written out is written
    // now); false when the page does not exist.
    Result<bool> openPage(const QString& suffix);
    // The highest page number of the shell pages (rollout or plate) or of the other pages that
    // have a file; 0 when there is none.
    int lastShellPage() const;
    int lastOtherPage() const;

    // Records that a page file was saved, so that OK stores it.
    void markSaved(const QString& suffix);
    const QStringList& savedPages() const { return saved_; }

    // Stores every saved page: an existing row of the label gets the new text, a new label a new
    // row with its owner and type. Runs inside the caller's transaction when there is one;
    // any failure is returned before the caller commits.
    Status SaveGraphicsToDb(Database& db) const;

private:
    int lastPage(QChar kind) const;
    QString table() const;
    QString keyField() const;

    Owner owner_;
    qint32 ownerKey_;
    QString prefix_;
    QTemporaryDir dir_;
    QString databaseName_;
    QSet<QString> unopened_; // stored pages whose files are not written yet
    QStringList saved_;      // page file names, in order of first save
};

} // namespace korvane
