#pragma once

#include "common/Result.h"
#include "platform/Services.h"
#include "platform/Session.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QListWidget;
class QWidget;

namespace korvane {

class DataSource;

// The company, location and tank lists every working window starts from.
//
// A double click (or Enter) on an entry chooses it: the session's current key is set, every list
// below it is cleared, the next list is filled, and the window is told by a signal so that it
// clears and fills what it shows below the choice. While the window has a record open it may
// hold a new choice back (the guard); the list then shows the entry chosen before.
//
// The lists are made here and laid out by the window: List_Company, List_Location and, for the
// windows that choose a tank from a list rather than a grid, List_Tank.
class SelectionChain : public QObject {
    Q_OBJECT

public:
    struct Options {
        // Title of the messages about failed queries.
        QString caption;
        // A List_Tank below the locations (the inspection windows).
        bool tankList = false;
        // "Missing Location Data" and "Missing Tank Data" when a list below a choice is empty.
        bool reportEmptyLists = false;
    };

    SelectionChain(Session& session, Services& services, QWidget& window, Options options);
    ~SelectionChain() override;

    QListWidget* companyList() const { return List_Company; }
    QListWidget* locationList() const { return List_Location; }
    QListWidget* tankList() const { return List_Tank; } // null without a tank list

    // Asked before a new choice of company, location or tank takes effect; false keeps the
    // present choice.
    void setGuard(std::function<bool()> mayChange) { guard_ = std::move(mayChange); }

    // Opens the company table on the session's database and lists it (the window's load).
    Status open();
    // Reads the companies again and lists them, highlighting `keep` when it is among them.
    Status FillCompanyList(qint32 keep = 0);
    // Lists the locations of the highlighted company, highlighting `keep` when it is among
    // them. Returns whether any location is listed.
    bool FillLocationList(qint32 keep = 0);

    // Keys of the highlighted entries (0 when none), and of the entries last chosen.
    qint32 highlightedCompany() const;
    qint32 highlightedLocation() const;
    qint32 highlightedTank() const;
    // The key of the tank listed in a row of the tank list; 0 for a row past the end.
    qint32 tankKey(int row) const;
    qint32 chosenCompany() const { return chosenCompany_; }
    qint32 chosenLocation() const { return chosenLocation_; }
    qint32 chosenTank() const { return chosenTank_; }
    // The chosen entries as their lists show them; empty when nothing is chosen.
    QString chosenCompanyName() const;
    QString chosenLocationName() const;
    QString chosenTankName() const;

    // Chooses a company and one of its locations as double clicks on them would, for a window
    // opened on a tank picked elsewhere; false when either is not listed (or the guard held the
    // choice back).
    bool choose(qint32 companyId, qint32 locationId);

    // Highlights the chosen entries again, after the user's new choice was held back.
    void showChosen();

signals:
    // A company was chosen; its locations are listed (possibly none) and the tanks cleared.
    void companyChosen(qint32 companyId);
    // A location was chosen; with a tank list its tanks are listed (possibly none).
    void locationChosen(qint32 locationId);
    // A tank was chosen from the tank list.
    void tankChosen(qint32 tankId);

public slots:
    void List_Company_DblClick();
    void List_Location_DblClick();
    void List_Tank_DblClick();

protected:
    // Enter on a list chooses the highlighted entry, as a double click does.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QListWidget* makeList(const char* name, const QString& toolTip);
    bool mayChoose(QListWidget& list);
    bool FillTankList();
    void reportEmpty(const QString& text, const QString& title);

    Session& session_;
    Services& services_;
    QWidget& window_;
    Options options_;
    std::function<bool()> guard_;

    DataSource* Data_Company = nullptr;
    QListWidget* List_Company = nullptr;
    QListWidget* List_Location = nullptr;
    QListWidget* List_Tank = nullptr;
    // Keys of the list entries by position.
    std::vector<qint32> companyKeys_;
    std::vector<qint32> locationKeys_;
    std::vector<qint32> tankKeys_;
    qint32 chosenCompany_ = 0;
    qint32 chosenLocation_ = 0;
    qint32 chosenTank_ = 0;
};

} // namespace korvane
