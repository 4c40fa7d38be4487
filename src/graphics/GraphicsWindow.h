#pragma once

#include "graphics/DrawingPages.h"
#include "graphics/DrawingTab.h"
#include "platform/Services.h"
#include "platform/Session.h"

#include <QDialog>
#include <QStringList>

#include <vector>

class QPushButton;
class QTabWidget;

namespace korvane {

// What the two graphics windows have in common: a selection tab followed by drawing tabs whose
// pages belong to the owner picked (a tank or an inspection), and OK, Cancel and Help below.
//
// A drawing tab shows the current page of its pager whenever it comes to the front. OK stores the
// saved pages and the rows accepted or deleted on them in one transaction and closes the window;
// a failure leaves the window open with the message and nothing stored. Cancel (also the close
// box and Escape) asks before throwing away a changed or saved page or a row accepted or
// deleted; with nothing changed it closes at once (choosing a drawing tool changes nothing).
class GraphicsWindow : public QDialog {
    Q_OBJECT

public:
    ~GraphicsWindow() override;

public slots:
    void reject() override;

protected:
    struct Setup {
        const char* formName;
        QString caption;
        quint8 helpTopic;
        GraphicStore::Owner owner;
    };
    GraphicsWindow(Session& session, Services& services, QWidget* parent, Setup setup);

    // Builds the tab strip (the selection tab first) and the buttons below it; gives the
    // window's Print button, for a window that has one.
    QPushButton* layOut(QWidget* selectTab, const QString& selectTitle);
    // The names of a drawing tab's controls: its number, the tool buttons' name, and the pager's
    // and the counter's (none for a tab of one page).
    static DrawingTab::Names tabNames(int number, const char* tools, const char* pager = "",
                                      const char* counter = "", bool shellType = false);
    // The roof/floor tab: two pages, "Roof" and "Floor" beside the pager.
    static DrawingTab::Names roofFloorNames(int number);
    // A drawing tab, in tab order after the selection tab.
    DrawingTab* addDrawingTab(const DrawingTab::Names& names, DrawingPages::Kind kind,
                              const QString& title);
    // The lines that head a printed page: the chosen company, location and owner.
    virtual QStringList printHeader() const = 0;
    // What a printed page is of, for the name of its file: the owner as the caption names it.
    virtual QString printSubject() const;

    // The owner is picked: its pages are ready and the first drawing tab comes to the front.
    // False (with the message shown) when its pages could not be read.
    bool pickOwner(qint32 ownerKey, const QString& prefix, const QString& caption);
    // A new choice above the owner: no owner is picked, the drawing tabs are disabled.
    void clearOwner();
    virtual void setDrawingTabsEnabled(bool enabled);

    Session& session_;
    Services& services_;
    Setup setup_;
    QTabWidget* Tabs = nullptr;
    DrawingPages* pages_ = nullptr;
    std::vector<DrawingTab*> drawingTabs_;
    QPushButton* Cmd_OK = nullptr;
    QPushButton* Cmd_Cancel = nullptr;
    QPushButton* Cmd_Help = nullptr;

private slots:
    void Tabs_Click(int index);
    void Cmd_OK_Click();
    void Cmd_Cancel_Click();
    void Cmd_Help_Click();

private:
    void printPage(DrawingTab& tab);
};

} // namespace korvane
