#include "graphics/DrawingTab.h"

#include "drawing/DrawingSurface.h"

#include <QButtonGroup>
#include <QFont>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTextOption>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

#include <algorithm>

namespace korvane {

namespace {

// The tool tips of the tool buttons, in button order.
constexpr std::array<const char*, 8> ToolTips{"Selection Tool",   "Line Tool", "Box Tool",
                                              "Rounded Box Tool", "Oval Tool", "Arc Tool",
                                              "Chord Tool",       "Text Tool"};

// A small picture of what each tool draws.
QIcon toolIcon(int tool) {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    const QRectF box(4, 6, 16, 12);
    switch (tool) {
    case 0: { // an arrow pointer
        QPainterPath arrow;
        arrow.moveTo(6, 3);
        arrow.lineTo(6, 19);
        arrow.lineTo(10, 15);
        arrow.lineTo(13, 21);
        arrow.lineTo(15, 20);
        arrow.lineTo(12, 14);
        arrow.lineTo(17, 14);
        arrow.closeSubpath();
        p.setBrush(Qt::white);
        p.drawPath(arrow);
        break;
    }
    case 1:
        p.drawLine(QPointF(4, 20), QPointF(20, 4));
        break;
    case 2:
        p.drawRect(box);
        break;
    case 3:
        p.drawRoundedRect(box, 4, 4);
        break;
    case 4:
        p.drawEllipse(box);
        break;
    case 5:
        p.drawArc(QRectF(4, 4, 16, 16), 0, 180 * 16);
        break;
    case 6:
        p.drawChord(QRectF(4, 4, 16, 16), 30 * 16, 240 * 16);
        break;
    default: {
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(16);
        p.setFont(font);
        p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, QStringLiteral("A"));
        break;
    }
    }
    return QIcon(pixmap);
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption,
                    const QString& toolTip) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(toolTip);
    b->setAutoDefault(false);
    return b;
}

} // namespace

DrawingTab::DrawingTab(const Names& names, QWidget* parent) : QWidget(parent), names_(names) {
    const QString n = QString::number(names.number);
    surface_ = new DrawingSurface(this);
    surface_->setObjectName(QStringLiteral("Surface") + n);

    auto* tools = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    toolGroup_ = group;
    for (int i = 0; i < static_cast<int>(tools_.size()); ++i) {
        auto* tool = new QToolButton(this);
        tool->setObjectName(QStringLiteral("%1_%2").arg(names.tools).arg(i));
        tool->setToolTip(QString::fromLatin1(ToolTips[static_cast<std::size_t>(i)]));
        tool->setIcon(toolIcon(i));
        tool->setCheckable(true);
        group->addButton(tool, i);
        tools->addWidget(tool);
        tools_[static_cast<std::size_t>(i)] = tool;
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int i) {
        const int mode = ToolModes[static_cast<std::size_t>(i)];
        surface_->setEditMode(mode);
        emit toolChosen(mode);
    });

    zoomIn_ = button(this, QStringLiteral("Cmd_ZoomIn") + n, QStringLiteral("Zoom In"),
                     QStringLiteral("Enlarge the drawing"));
    zoomOut_ = button(this, QStringLiteral("Cmd_ZoomOut") + n, QStringLiteral("Zoom Out"),
                      QStringLiteral("Reduce the drawing"));
    save_ = button(this, QStringLiteral("Cmd_Save") + n, QStringLiteral("Save"),
                   QStringLiteral("Save this page"));
    print_ = button(this, QStringLiteral("Cmd_Print") + n, QStringLiteral("Print"),
                    QStringLiteral("Print this page"));
    connect(zoomIn_, &QPushButton::clicked, this, &DrawingTab::zoomIn);
    connect(zoomOut_, &QPushButton::clicked, this, &DrawingTab::zoomOut);
    connect(save_, &QPushButton::clicked, this, &DrawingTab::saveClicked);
    connect(print_, &QPushButton::clicked, this, &DrawingTab::printClicked);
    tools->addSpacing(12);
    tools->addWidget(zoomIn_);
    tools->addWidget(zoomOut_);
    tools->addStretch();
    tools->addWidget(save_);
    tools->addWidget(print_);

    if (names.shellType) {
        auto* kinds = new QButtonGroup(this);
        rollout_ = new QRadioButton(QStringLiteral("Rollout"), this);
        rollout_->setObjectName(QStringLiteral("Opt_SType_0"));
        rollout_->setToolTip(QStringLiteral("The page shows the shell rolled out flat"));
        plate_ = new QRadioButton(QStringLiteral("Plate"), this);
        plate_->setObjectName(QStringLiteral("Opt_SType_1"));
        plate_->setToolTip(QStringLiteral("The page shows a single shell plate"));
        kinds->addButton(rollout_);
        kinds->addButton(plate_);
        rollout_->setChecked(true);
        tools->addSpacing(12);
        tools->addWidget(rollout_);
        tools->addWidget(plate_);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    body_ = new QHBoxLayout;
    body_->addWidget(surface_, 1);
    layout->addLayout(body_, 1);
    if (!names.pager.isEmpty()) {
        // Buttons, not a scroll bar: one click turns one page, holding a button down repeats
        // nothing, and Tab reaches each button (Space or Enter presses it).
        pager_ = new QWidget(this);
        pager_->setObjectName(names.pager);
        auto* paging = new QHBoxLayout(pager_);
        paging->setContentsMargins(0, 0, 0, 0);
        const auto pagerButton = [this](const QString& name, QStyle::StandardPixmap icon,
                                        const QString& what) {
            auto* b = new QPushButton(pager_);
            b->setObjectName(name);
            b->setIcon(style()->standardIcon(icon));
            b->setToolTip(what);
            b->setAccessibleName(what);
            b->setAutoRepeat(false);
            b->setFocusPolicy(Qt::StrongFocus);
            return b;
        };
        previous_ = pagerButton(names.pager + QStringLiteral("_Previous"), QStyle::SP_ArrowLeft,
                                QStringLiteral("Previous page"));
        next_ = pagerButton(names.pager + QStringLiteral("_Next"), QStyle::SP_ArrowRight,
                            QStringLiteral("Next page"));
        connect(previous_, &QPushButton::clicked, this, [this] { emit pageRequested(page_ - 1); });
        connect(next_, &QPushButton::clicked, this, [this] { emit pageRequested(page_ + 1); });
        counter_ = new QLabel(pager_);
        if (!names.counter.isEmpty())
            counter_->setObjectName(names.counter);
        counter_->setAlignment(Qt::AlignCenter);
        counter_->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00 of 00")) + 12);
        paging->addStretch();
        paging->addWidget(previous_);
        paging->addWidget(counter_);
        paging->addWidget(next_);
        paging->addStretch();
        layout->addWidget(pager_);
        pageCount_ = names.growingPager ? 2 : std::max(1, names.fixedPages);
    }
    applyZoom();
    updatePager();
    connect(&surface_->undoStack(), &QUndoStack::indexChanged, this, [this](int index) {
        lowestSinceSaved_ =
            surface_->undoStack().isClean() ? index : std::min(lowestSinceSaved_, index);
    });
}

DrawingTab::~DrawingTab() {
    // The surface goes after this tab, and its history says so on the way.
    disconnect(&surface_->undoStack(), nullptr, this, nullptr);
}

void DrawingTab::setSidePanel(QWidget* panel) {
    sidePanel_ = panel;
    panel->setParent(this);
    body_->addWidget(panel);
}

void DrawingTab::newPage() {
    surface_->ClearDrawing();
    // A background always fits the page; should it fail the page is simply left empty.
    if (!surface_->AddElement(static_cast<int>(ElementKind::Background), 0, 0, 1000, 1000))
        return;
    surface_->setElementColor(ButtonFaceColor);
    surface_->setElementColor2(0);
    surface_->setElementLocked(true);
    surface_->setElementText(QStringLiteral("Background"));
    surface_->setTargetScope(2);
    // A page nobody has drawn on yet has nothing to save.
    surface_->undoStack().clear();
}

void DrawingTab::releaseTools() {
    surface_->setEditMode(0);
    toolGroup_->setExclusive(false);
    for (QAbstractButton* tool : tools_)
        tool->setChecked(false);
    toolGroup_->setExclusive(true);
}

bool DrawingTab::plate() const {
    return plate_ && plate_->isChecked();
}

void DrawingTab::setPlate(bool plate) {
    if (plate_)
        (plate ? plate_ : rollout_)->setChecked(true);
}

void DrawingTab::showPage(int page) {
    if (!pager_)
        return;
    const int last = names_.growingPager ? std::max(2, names_.lastPage) : pageCount_;
    page_ = std::clamp(page, 1, last);
    // One empty page always follows the last one shown.
    if (names_.growingPager && page_ + 1 > pageCount_)
        pageCount_ = std::min(page_ + 1, last);
    updatePager();
    emit pageShown(page_);
}

void DrawingTab::setPageCount(int pages) {
    if (!pager_)
        return;
    pageCount_ = names_.growingPager ? std::clamp(pages + 1, 2, std::max(2, names_.lastPage))
                                     : std::max(1, names_.fixedPages);
    page_ = std::min(page_, pageCount_);
    updatePager();
}

int DrawingTab::pageCount() const {
    return pager_ ? pageCount_ : 1;
}

void DrawingTab::updatePager() {
    if (!pager_)
        return;
    previous_->setEnabled(page_ > 1);
    next_->setEnabled(page_ < pageCount_);
    const int page = page_;
    counter_->setText(page <= names_.pageTitles.size()
                          ? names_.pageTitles.at(page - 1)
                          : QStringLiteral("%1 of %2").arg(page).arg(pageCount_));
}

void DrawingTab::resetZoom() {
    zoom_.reset();
    applyZoom();
}

void DrawingTab::zoomIn() {
    zoom_.zoomIn();
    applyZoom();
}

void DrawingTab::zoomOut() {
    zoom_.zoomOut();
    applyZoom();
}

void DrawingTab::applyZoom() {
    surface_->setViewScaleX(zoom_.viewScale());
    surface_->setViewScaleY(zoom_.viewScale());
}

bool DrawingTab::isChanged() const {
    return !surface_->undoStack().isClean();
}

void DrawingTab::markUnchanged() {
    surface_->undoStack().setClean();
    lowestSinceSaved_ = surface_->undoStack().index();
}

void DrawingTab::revertChanges() {
    QUndoStack& history = surface_->undoStack();
    // A change made after undoing past the state saved drops that state from the history: then
    // everything done since the lowest point the history reached is undone, so that no row
    // accepted or deleted since the save stays held without its element. (A few steps the file
    // does hold may go with them; their elements then show no row.)
    history.setIndex(history.cleanIndex() >= 0 ? history.cleanIndex()
                                               : std::min(lowestSinceSaved_, history.index()));
}

Status DrawingTab::printPage(QPrinter& printer, const QStringList& header,
                             const QStringList& rows) {
    surface_->setPointer(11);
    QPainter painter;
    if (!painter.begin(&printer)) {
        surface_->setPointer(0);
        return Error{tr("The printer could not start printing.")};
    }
    QFont font(QStringLiteral("Arial"), 11);
    painter.setFont(font);
    const QFontMetricsF metrics(font, &printer);
    const double line = metrics.lineSpacing();
    const double indent = metrics.horizontalAdvance(QStringLiteral("     "));
    const double width = printer.width() - indent;
    // A header line longer than the page wraps at its spaces, and a word longer than the page
    // anywhere, rather than running off the right edge.
    QTextOption wrapping(Qt::AlignLeft | Qt::AlignTop);
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    double y = line; // an empty line first
    for (const QString& text : header) {
        const QRectF box(indent, y, width, printer.height() - y);
        const QRectF drawn = painter.boundingRect(box, text, wrapping);
        painter.drawText(box, text, wrapping);
        y += std::max(line, drawn.height());
    }
    y += line;
    // The rows stand below the drawing when they take at most a third of the page.
    const double rowsHeight = rows.isEmpty() ? 0 : (rows.size() + 1) * line;
    const bool rowsBelow = rowsHeight <= printer.height() / 3.0;
    const double drawingHeight = printer.height() - y - (rowsBelow ? rowsHeight : 0);
    // The drawing fills the rest of the page below the header.
    const double dpiX = printer.logicalDpiX();
    const double dpiY = printer.logicalDpiY();
    surface_->setTargetScope(5);
    surface_->setPrintLeft(0);
    surface_->setPrintTop(y / dpiY);
    surface_->setPrintWidth(printer.width() / dpiX);
    surface_->setPrintHeight(drawingHeight / dpiY);
    Status printed = surface_->PrintTarget(painter);
    surface_->setTargetScope(2);
    if (printed && !rows.isEmpty()) {
        painter.setFont(font);
        // The page is square and drawn at the top of its place: the rows follow its foot.
        y = rowsBelow ? y + std::min(drawingHeight, double(printer.width())) + line
                      : printer.height();
        for (const QString& row : rows) {
            if (y + line > printer.height()) {
                if (!printer.newPage()) {
                    printed = Error{tr("The printer could not start a new page.")};
                    break;
                }
                y = line;
            }
            painter.drawText(QPointF(indent, y + metrics.ascent()), row);
            y += line;
        }
    }
    painter.end();
    surface_->setPointer(0);
    return printed;
}

} // namespace korvane
