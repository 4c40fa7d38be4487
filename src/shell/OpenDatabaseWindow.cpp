#include "shell/OpenDatabaseWindow.h"

#include "platform/Keyboard.h"
#include "shell/ServerWindow.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>

namespace korvane {

OpenDatabaseWindow::OpenDatabaseWindow(Session& session, Services& services,
                                       const QString& startFolder, QWidget* parent)
    : QDialog(parent), session_(session), services_(services) {
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(QStringLiteral("Open DataBase"));

    Label3 = new QLabel(QStringLiteral("Drives:"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Drive1 = new QComboBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setToolTip(QStringLiteral("Drive Selection Window"));

    Label2 = new QLabel(QStringLiteral("Directories:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    dirModel_ = new QFileSystemModel(this);
    dirModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    dirModel_->setReadOnly(true);
    Dir1 = new QTreeView(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setToolTip(QStringLiteral("Directory Selection Window"));
    Dir1->setModel(dirModel_);
    for (int column = 1; column < dirModel_->columnCount(); ++column)
        Dir1->hideColumn(column);
    Dir1->header()->hide();

    Label1 = new QLabel(QStringLiteral("File Name:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    File1 = new QListWidget(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setToolTip(QStringLiteral("Database Selection Window"));

    Cmd_OK = new QPushButton(QStringLiteral("OK"), this);
    Cmd_OK->setObjectName(QStringLiteral("Cmd_OK"));
    Cmd_OK->setDefault(true);
    Cmd_Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Cmd_Cancel->setObjectName(QStringLiteral("Cmd_Cancel"));
    Cmd_Server = new QPushButton(QStringLiteral("Server..."), this);
    Cmd_Server->setObjectName(QStringLiteral("Cmd_Server"));
    Cmd_Server->setToolTip(QStringLiteral("Open a database on a PostgreSQL server"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(File1, 1, 0, 3, 1);
    grid->addWidget(Label2, 0, 1);
    grid->addWidget(Dir1, 1, 1);
    grid->addWidget(Label3, 2, 1);
    grid->addWidget(Drive1, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Cmd_Server);
    buttons->addWidget(Cmd_OK);
    buttons->addWidget(Cmd_Cancel);
    grid->addLayout(buttons, 4, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    resize(620, 400);

    // Start on the folder given and the drive that holds it.
    const QString start = QDir::cleanPath(QDir(startFolder).absolutePath());
    const QStringList all = drives();
    Drive1->addItems(all);
    Drive1->setCurrentText(driveOf(start, all));
    dirModel_->setRootPath(Drive1->currentText());
    Dir1->setRootIndex(dirModel_->index(Drive1->currentText()));
    openDirectory(start);

    // The folder tree fills in the background; show the open folder as its parents arrive.
    // The tree is read in the background and sorted after a delay, so rows keep arriving above
    // the open folder for a while: keep it in view until the user takes over the tree.
    const auto follow = [this] {
        if (followOpenDirectory_)
            QTimer::singleShot(0, this, &OpenDatabaseWindow::showOpenDirectory);
    };
    connect(dirModel_, &QFileSystemModel::directoryLoaded, this, follow);
    connect(dirModel_, &QAbstractItemModel::rowsInserted, this, follow);
    connect(dirModel_, &QAbstractItemModel::layoutChanged, this, follow);
    connect(Dir1, &QTreeView::pressed, this, [this] { followOpenDirectory_ = false; });
    connect(Dir1->verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this] { followOpenDirectory_ = false; });
    orderFocusByLayout(*this);
    File1->setFocus();
    connect(Drive1, &QComboBox::currentTextChanged, this, &OpenDatabaseWindow::Drive1_Change);
    connect(Dir1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &OpenDatabaseWindow::Dir1_Change);
    connect(File1, &QListWidget::itemClicked, this, &OpenDatabaseWindow::File1_Click);
    connect(File1, &QListWidget::currentItemChanged, this, &OpenDatabaseWindow::File1_Click);
    connect(File1, &QListWidget::itemDoubleClicked, this, &OpenDatabaseWindow::File1_DblClick);
    connect(Cmd_OK, &QPushButton::clicked, this, &OpenDatabaseWindow::Cmd_OK_Click);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &OpenDatabaseWindow::Cmd_Cancel_Click);
    connect(Cmd_Server, &QPushButton::clicked, this, &OpenDatabaseWindow::Cmd_Server_Click);
}

QStringList OpenDatabaseWindow::drives() {
    QStringList list{QDir::rootPath(), QDir::homePath()};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        const bool removable = root.startsWith(QLatin1String("/media/")) ||
                               root.startsWith(QLatin1String("/run/media/")) ||
                               root.startsWith(QLatin1String("/mnt/"));
        if (volume.isValid() && volume.isReady() && removable && !list.contains(root))
            list << root;
    }
    list.removeDuplicates();
    return list;
}

QString OpenDatabaseWindow::driveOf(const QString& folder, const QStringList& drives) {
    QString best = QDir::rootPath();
    const QString path = QDir::cleanPath(folder);
    for (const QString& drive : drives) {
        const QString d = QDir::cleanPath(drive);
        const bool under =
            path == d || path.startsWith(d.endsWith(QLatin1Char('/')) ? d : d + QLatin1Char('/'));
        if (under && d.size() > best.size())
            best = drive;
    }
    return best;
}

QStringList OpenDatabaseWindow::databaseFiles(const QString& folder) {
    QDir dir(folder);
    dir.setNameFilters({QStringLiteral("*.mdb")});
    dir.setFilter(QDir::Files | QDir::Readable | QDir::Hidden);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    // QDir name filters ignore letter case, so "PLANT.MDB" is listed too.
    return dir.entryList();
}

void OpenDatabaseWindow::showOpenDirectory() {
    // The tree learns a folder only once its parent has been read, so open the deepest folder
    // on the way that it knows; reading that one brings the next step (directoryLoaded).
    QString path = openDirectory_;
    QModelIndex index = dirModel_->index(path);
    while (!index.isValid() && path != QDir::rootPath() && !path.isEmpty()) {
        path = QFileInfo(path).path();
        index = dirModel_->index(path);
    }
    if (!index.isValid())
        return;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        Dir1->expand(parent);
    if (path == openDirectory_) {
        if (Dir1->currentIndex() != index)
            Dir1->setCurrentIndex(index);
    } else {
        Dir1->expand(index);
    }
    Dir1->doItemsLayout(); // rows of folders just read are laid out only later otherwise
    Dir1->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void OpenDatabaseWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Scrolling needs the laid-out tree, which exists only once the window is on screen.
    QTimer::singleShot(0, this, &OpenDatabaseWindow::showOpenDirectory);
}

void OpenDatabaseWindow::openDirectory(const QString& folder) {
    openDirectory_ = folder;
    followOpenDirectory_ = true;
    showOpenDirectory();
    session_.DBDir = folder;
    File1->clear();
    File1->addItems(databaseFiles(folder));
}

void OpenDatabaseWindow::Drive1_Change() {
    session_.DBDrive = Drive1->currentText();
    dirModel_->setRootPath(session_.DBDrive);
    Dir1->setRootIndex(dirModel_->index(session_.DBDrive));
    openDirectory(session_.DBDrive);
}

void OpenDatabaseWindow::Dir1_Change() {
    const QString folder = highlightedDirectory();
    if (!folder.isEmpty() && folder != openDirectory_)
        openDirectory(folder);
}

void OpenDatabaseWindow::File1_Click() {
    session_.DBFile = highlightedFile();
}

void OpenDatabaseWindow::File1_DblClick() {
    Cmd_OK_Click();
}

QString OpenDatabaseWindow::highlightedDirectory() const {
    const QModelIndex index = Dir1->currentIndex();
    return index.isValid() ? dirModel_->filePath(index) : openDirectory_;
}

QString OpenDatabaseWindow::highlightedFile() const {
    const QListWidgetItem* item = File1->currentItem();
    return item ? item->text() : QString();
}

void OpenDatabaseWindow::Cmd_OK_Click() {
    setCursor(Qt::WaitCursor);
    session_.DBDir = highlightedDirectory();
    session_.DBFile = highlightedFile();
    session_.DatabaseName = QDir(session_.DBDir).filePath(session_.DBFile);
    if (session_.DBFile.isEmpty())
        session_.DatabaseName = session_.DBDir + QDir::separator();
    accept();
}

void OpenDatabaseWindow::Cmd_Server_Click() {
    ServerWindow server(services_, this);
    if (services_.windows.showModal(server) != QDialog::Accepted || server.url().isEmpty())
        return; // back to choosing a file
    // The folder stays as it was shown: File > New still starts there.
    session_.DatabaseName = server.url();
    session_.DBFile = server::displayName(server.url());
    accept();
}

void OpenDatabaseWindow::Cmd_Cancel_Click() {
    session_.DatabaseName = QStringLiteral(" ");
    reject();
}

} // namespace korvane
