#pragma once

#include <QString>

#include <array>

namespace korvane {

// The program-wide state: one instance lives for the whole run and is passed by reference to
// every window. Windows hand the current selection to one another only through it.
struct Session {
    // The database chosen in the Open DataBase window: full path, and its parts as chosen.
    // DatabaseName is " " (one blank) after that window was cancelled.
    QString DatabaseName;
    QString DBDrive;
    QString DBDir;
    QString DBFile;

    // Keys of the company, location, tank and inspection chosen in the current window.
    qint32 CurCompanyID = 0;
    qint32 CurLocationID = 0;
    qint32 CurTankID = 0;
    qint32 CurInspectionID = 0;

    // The last query or search built, as text (for messages and report selections).
    QString SQLString;
    // Which help document the viewer shows (0..6), or which window opened the Print Dialog
    // (10 tank, 20 inspection).
    quint8 HelpTopic = 0;
    // True: US customary units (ft, in, psi, bbl/gal). False: metric (m, cm/mm, KPa).
    bool UnitsUS = true;
    // Set by a caller to ask an edit dialog to change rather than add; in the tank, inspection
    // and graphics windows, True while a record or change is pending.
    bool RecordMode = false;

    // What the "Due and at Risk" list shows, and its report prints: the days ahead within which
    // an inspection counts as due soon, and whether only the tanks that need attention are
    // listed.
    int DueHorizonDays = 90;
    bool DueAttentionOnly = false;

    // Shell height of the current tank in feet, kept by the course calculation and the survey.
    float TankHeightFt = 0;

    // Shell settlement survey values shared by the survey, its report and its graphs.
    // Points 1..N (index 1..N); N+1 repeats point 1; SettleActual[50] holds the allowance.
    static constexpr int SettleSlots = 51;
    std::array<float, SettleSlots> SettleActual{};
    std::array<float, SettleSlots> SettleOptimum{};
    std::array<float, SettleSlots> SettleDeflection{};
    float SettleMinimum = 0;
    float TankDiameterFt = 0;
    qint32 TankYield = 0;
};

} // namespace korvane
