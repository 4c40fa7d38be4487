#include "shell/ImportProgressWindow.h"

#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace korvane {

ImportProgressWindow::ImportProgressWindow(const QString& accessPath,
                                           const access::ReadLimits& limits, QWidget* parent)
    : QDialog(parent), job_(accessPath, limits) {
    setObjectName(QStringLiteral("ImportProgress"));
    setWindowTitle(QStringLiteral("Import"));
    auto* layout = new QVBoxLayout(this);
    auto* file =
        new QLabel(QStringLiteral("Reading \"%1\"...").arg(QFileInfo(accessPath).fileName()), this);
    file->setObjectName(QStringLiteral("Label_File"));
    file->setTextFormat(Qt::PlainText);
    layout->addWidget(file);
    Label_Progress = new QLabel(QStringLiteral("Starting the reader"), this);
    Label_Progress->setObjectName(QStringLiteral("Label_Progress"));
    Label_Progress->setTextFormat(Qt::PlainText);
    Label_Progress->setMinimumWidth(360);
    layout->addWidget(Label_Progress);
    // How many rows a damaged file gives is not known ahead, so the bar shows activity only.
    Bar_Progress = new QProgressBar(this);
    Bar_Progress->setObjectName(QStringLiteral("Bar_Progress"));
    Bar_Progress->setRange(0, 0);
    layout->addWidget(Bar_Progress);
    Cmd_Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Cmd_Cancel->setObjectName(QStringLiteral("Cmd_Cancel"));
    layout->addWidget(Cmd_Cancel, 0, Qt::AlignRight);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &ImportProgressWindow::Cmd_Cancel_Click);
    connect(&job_, &access::AccessReadJob::progress, Label_Progress, &QLabel::setText);
    connect(&job_, &access::AccessReadJob::finished, this, &ImportProgressWindow::readingEnded);
    // Started from the event loop of the window, so the end always comes after it is shown.
    QTimer::singleShot(0, &job_, &access::AccessReadJob::start);
}

void ImportProgressWindow::reject() {
    if (job_.isFinished())
        QDialog::reject();
    else
        job_.cancel(); // readingEnded closes the window
}

void ImportProgressWindow::Cmd_Cancel_Click() {
    reject();
}

void ImportProgressWindow::readingEnded() {
    done(job_.cancelled() ? QDialog::Rejected : QDialog::Accepted);
}

} // namespace korvane
