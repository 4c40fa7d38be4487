#include "shell/HelpViewer.h"

#include "common/DataFolders.h"
#include "platform/Keyboard.h"
#include "shell/RtfReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace korvane {

namespace {

struct Topic {
    const char* caption;
    const char* document;
};

constexpr Topic Topics[] = {
    {"About Korvane 2000", "aboutkv.rtf"},
    {"Main Screen Instructions", "kv_inst1.rtf"},
    {"Tank Information Instructions", "kv_inst2.rtf"},
    {"Inspection & Thickness Instructions", "kv_inst3.rtf"},
    {"Inspection Graphics Instructions", "kv_inst4.rtf"},
    {"Tank Graphics Instructions", "kv_inst5.rtf"},
    {"Preferences Instructions", "kv_inst6.rtf"},
    {"Due and at Risk Instructions", "kv_inst7.rtf"},
};
constexpr int TopicCount = static_cast<int>(std::size(Topics));

QPixmap picture(const QString& svg, const QRectF& source, const QSize& size) {
    QSvgRenderer renderer(svg);
    renderer.setViewBox(source);
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

} // namespace

HelpViewer::HelpViewer(const Session& session, QWidget* parent)
    : HelpViewer(session, documentFolders(), parent) {}

HelpViewer::HelpViewer(const Session& session, const QStringList& folders, QWidget* parent)
    : QDialog(parent), session_(session), folders_(folders) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("About Korvane 2000"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    const QString art = QStringLiteral(":/korvane/images/title.svg");
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(picture(art, QRectF(0, 0, 640, 90), QSize(512, 72)));
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(picture(art, QRectF(60, 110, 300, 210), QSize(100, 70)));

    RichTextBox1 = new QTextBrowser(this);
    RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
    RichTextBox1->setReadOnly(true);
    RichTextBox1->setOpenLinks(false);

    Cmd_OK = new QPushButton(QStringLiteral("OK"), this);
    Cmd_OK->setObjectName(QStringLiteral("Cmd_OK"));
    Cmd_OK->setDefault(true);
    connect(Cmd_OK, &QPushButton::clicked, this, &HelpViewer::Cmd_OK_Click);

    auto* top = new QHBoxLayout;
    top->addWidget(Image1);
    top->addWidget(Picture1, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(Cmd_OK);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(RichTextBox1, 1);
    layout->addLayout(bottom);
    resize(720, 620);
    orderFocusByLayout(*this);

    Form_Load();
}

QString HelpViewer::topicCaption(int topic) {
    return topic >= 0 && topic < TopicCount ? QString::fromLatin1(Topics[topic].caption)
                                            : QString();
}

QString HelpViewer::topicDocument(int topic) {
    return topic >= 0 && topic < TopicCount ? QString::fromLatin1(Topics[topic].document)
                                            : QString();
}

QStringList HelpViewer::documentFolders() {
    return datafiles::folders(QStringLiteral("help"));
}

QString HelpViewer::findDocument(const QString& name) {
    return datafiles::find(name, documentFolders());
}

QString HelpViewer::missingDocumentText(const QString& name, const QStringList& folders) {
    QStringList lines{QStringLiteral("The help document \"%1\" was not found.").arg(name),
                      QString(),
                      QStringLiteral("It was looked for in these folders, in this order:")};
    for (const QString& folder : folders)
        lines << QStringLiteral("    ") + QDir::toNativeSeparators(folder);
    lines << QString()
          << QStringLiteral("Put the file into one of them, or install Korvane 2000 again.");
    return lines.join(u'\n');
}

void HelpViewer::Form_Load() {
    const int topic = session_.HelpTopic;
    if (topic >= TopicCount)
        return; // an unknown topic keeps the design caption and an empty box
    setWindowTitle(topicCaption(topic));
    // Let the new caption be painted before the document is read.
    QCoreApplication::processEvents();
    const QString name = topicDocument(topic);
    const QString path = datafiles::find(name, folders_);
    if (path.isEmpty()) {
        RichTextBox1->setPlainText(missingDocumentText(name, folders_));
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        RichTextBox1->setPlainText(QStringLiteral("The help document %1 could not be read: %2.")
                                       .arg(QDir::toNativeSeparators(path), file.errorString()));
        return;
    }
    readRtf(file.readAll(), *RichTextBox1->document());
    RichTextBox1->moveCursor(QTextCursor::Start); // read from the top
}

void HelpViewer::Cmd_OK_Click() {
    accept();
}

void HelpViewerService::showHelp(QWidget& opener, quint8 topic) {
    session_.HelpTopic = topic;
    pointer_.setBusy(opener, true);
    {
        HelpViewer viewer(session_, &opener);
        windows_.showModal(viewer);
    }
    pointer_.setBusy(opener, false);
}

} // namespace korvane
