#pragma once

#include "access/AccessReader.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace korvane {

// The window shown while an Access file is read for an import ("ImportProgress"): which file,
// what is being read ("Tank: 120 of 500 records read"), and Cancel. The file is read in a child
// process (access::AccessReadJob), so the program stays responsive however long it takes; the
// window closes itself when the reading ends, accepted, or rejected when the user cancelled.
class ImportProgressWindow : public QDialog {
    Q_OBJECT

public:
    ImportProgressWindow(const QString& accessPath, const access::ReadLimits& limits,
                         QWidget* parent = nullptr);

    // What was read, once the window has closed.
    access::AccessReadJob& job() { return job_; }

    // The close box and Escape cancel the reading, as Cancel does.
    void reject() override;

private slots:
    void Cmd_Cancel_Click();

private:
    void readingEnded();

    access::AccessReadJob job_;
    QLabel* Label_Progress = nullptr;
    QProgressBar* Bar_Progress = nullptr;
    QPushButton* Cmd_Cancel = nullptr;
};

} // namespace korvane
