#include "shell/PreferencesWindow.h"

#include "common/NumberFormat.h"
#include "common/TextValue.h"
#include "common/Units.h"
#include "data/DataSource.h"
#include "data/Database.h"
#include "data/PreferencesRow.h"
#include "engineering/ReadingChecks.h"
#include "platform/Keyboard.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace korvane {

namespace {

QString typeField(int i) {
    return QStringLiteral("Custom%1_Type").arg(i);
}
QString labelField(int i) {
    return QStringLiteral("Custom%1_Label").arg(i);
}

const QString ToleranceField = QStringLiteral("GaugeTolerance");
const QString RateField = QStringLiteral("PlausibleRate");

// A limit in inches (or inches per year) as the box shows it in the database's units.
QString shownLimit(double inches, bool us) {
    return us ? formatNumber(inches, u"0.000")
              : formatNumber(inches * units::MillimetresPerInch, u"0.00");
}

} // namespace

const QStringList& PreferencesWindow::kindNames() {
    return preferences::customKindNames();
}

PreferencesWindow::PreferencesWindow(Session& session, Services& services, QWidget* parent)
    : QDialog(parent), session_(session), services_(services) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Preferences"));
    setModal(false);

    Data_Preferences = new DataSource(this);
    Data_Preferences->setObjectName(QStringLiteral("Data_Preferences"));

    Frame1 = new QGroupBox(QStringLiteral("Units Selection"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* units = new QHBoxLayout(Frame1);
    const char* unitNames[] = {"US", "SI"};
    for (int i = 0; i < 2; ++i) {
        Opt_Units[static_cast<std::size_t>(i)] =
            new QRadioButton(QString::fromLatin1(unitNames[i]), Frame1);
        Opt_Units[static_cast<std::size_t>(i)]->setObjectName(
            QStringLiteral("Opt_Units(%1)").arg(i));
        units->addWidget(Opt_Units[static_cast<std::size_t>(i)]);
    }
    units->addStretch();

    // Two columns of ten fields, each with a header for names and one for kinds.
    auto* fields = new QGridLayout;
    const auto header = [this](const char* name, const char* text) {
        auto* label = new QLabel(QString::fromLatin1(text), this);
        label->setObjectName(QString::fromLatin1(name));
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        return label;
    };
    Label1 = header("Label1", "Label / Prompt");
    Label3 = header("Label3", "Type");
    Label2 = header("Label2", "Label / Prompt");
    Label4 = header("Label4", "Type");
    fields->addWidget(Label1, 0, 1);
    fields->addWidget(Label3, 0, 2);
    fields->addWidget(Label2, 0, 4);
    fields->addWidget(Label4, 0, 5);
    for (int i = 1; i <= FieldCount; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        auto* number = new QLabel(QStringLiteral("%1.").arg(i), this);
        Text1[slot] = new QLineEdit(this);
        Text1[slot]->setObjectName(QStringLiteral("Text1(%1)").arg(i));
        Text1[slot]->setToolTip(QStringLiteral("Field %1 - Name").arg(i));
        Text1[slot]->setMaxLength(255);
        List_1[slot] = new QComboBox(this);
        List_1[slot]->setObjectName(QStringLiteral("List_1(%1)").arg(i));
        List_1[slot]->setToolTip(QStringLiteral("Field %1 - Type").arg(i));
        List_1[slot]->addItems(kindNames());
        const int row = (i - 1) % 10 + 1;
        const int column = i <= 10 ? 0 : 3;
        fields->addWidget(number, row, column, Qt::AlignRight);
        fields->addWidget(Text1[slot], row, column + 1);
        fields->addWidget(List_1[slot], row, column + 2);
        Data_Preferences->bind(Text1[slot], labelField(i));
    }
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(4, 1);
    fields->setColumnMinimumWidth(3, 36);

    Frame_Checks = new QGroupBox(QStringLiteral("Thickness Reading Checks"), this);
    Frame_Checks->setObjectName(QStringLiteral("Frame_Checks"));
    Text_GaugeTolerance = new QLineEdit(Frame_Checks);
    Text_GaugeTolerance->setObjectName(QStringLiteral("Text_GaugeTolerance"));
    Text_GaugeTolerance->setToolTip(QStringLiteral("A reading thicker than the point's last by "
                                                   "more than this is flagged"));
    Text_PlausibleRate = new QLineEdit(Frame_Checks);
    Text_PlausibleRate->setObjectName(QStringLiteral("Text_PlausibleRate"));
    Text_PlausibleRate->setToolTip(QStringLiteral("A reading thinner than the point's last by "
                                                  "more than this rate allows is flagged"));
    auto* checks = new QHBoxLayout(Frame_Checks);
    checks->addWidget(new QLabel(QStringLiteral("Gauge tolerance"), Frame_Checks));
    checks->addWidget(Text_GaugeTolerance);
    checks->addSpacing(24);
    checks->addWidget(new QLabel(QStringLiteral("Plausible corrosion rate"), Frame_Checks));
    checks->addWidget(Text_PlausibleRate);
    checks->addStretch();

    Cmd_OK = new QPushButton(QStringLiteral("OK"), this);
    Cmd_OK->setObjectName(QStringLiteral("Cmd_OK"));
    Cmd_OK->setDefault(true);
    Cmd_Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Cmd_Cancel->setObjectName(QStringLiteral("Cmd_Cancel"));
    Cmd_Help = new QPushButton(QStringLiteral("Help"), this);
    Cmd_Help->setObjectName(QStringLiteral("Cmd_Help"));
    connect(Cmd_OK, &QPushButton::clicked, this, &PreferencesWindow::Cmd_OK_Click);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &PreferencesWindow::Cmd_Cancel_Click);
    connect(Cmd_Help, &QPushButton::clicked, this, &PreferencesWindow::Cmd_Help_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Cmd_OK);
    buttons->addWidget(Cmd_Cancel);
    buttons->addWidget(Cmd_Help);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(fields);
    layout->addWidget(Frame_Checks);
    layout->addLayout(buttons);
    resize(760, 480);
    orderFocusByLayout(*this);

    Form_Load();
}

void PreferencesWindow::Form_Load() {
    // A file made before the reading checks gets their limits' fields (Null: the defaults). One
    // that cannot be changed goes without, and the limits cannot be set in it.
    if (auto db = Database::open(session_.DatabaseName))
        (void)db->addMissingFields(QStringLiteral("Preferences"));
    Data_Preferences->setDatabaseName(session_.DatabaseName);
    Data_Preferences->setRecordSource(QStringLiteral("Preferences"));
    // The row is claimed while the window is open, so a second program is told the table is
    // in use instead of both saving over each other.
    Data_Preferences->setLockEdits(true);
    Status status = Data_Preferences->refresh();
    if (status && Data_Preferences->recordset().eof())
        status = Error{QStringLiteral("The Preferences table of this database has no row.")};
    if (status) {
        Data_Preferences->moveFirst();
        status = Data_Preferences->recordset().edit();
    }
    if (status)
        status = ShowPreferences();
    if (!status) {
        // Nothing was written: the window stays hidden and its opener lets it go.
        Data_Preferences->cancelUpdate();
        services_.prompts.message(status.error(), QStringLiteral("Table In Use"),
                                  Prompts::Icon::Exclamation);
        return;
    }
    show();
}

Status PreferencesWindow::ShowPreferences() {
    Recordset& rs = Data_Preferences->recordset();
    for (int i = 1; i <= FieldCount; ++i) {
        const QVariant kind = rs.value(typeField(i));
        const int code = kind.toInt();
        // -1 is a kind list saved with nothing chosen; anything else outside the list, or an
        // empty kind, is a row this window cannot show faithfully.
        if (!kind.isValid() || code < -1 || code >= kindNames().size())
            return Error{QStringLiteral("The kind of custom field %1 is %2, which is not one of "
                                        "the kinds this program knows.")
                             .arg(i)
                             .arg(kind.isValid() ? kind.toString() : QStringLiteral("empty"))};
        List_1[static_cast<std::size_t>(i)]->setCurrentIndex(code);
    }
    const bool us = rs.value(QStringLiteral("USUnits")).toBool(); // Null counts as SI
    Opt_Units[us ? 0 : 1]->setChecked(true);
    showCheckLimits();
    return {};
}

void PreferencesWindow::showCheckLimits() {
    Recordset& rs = Data_Preferences->recordset();
    const bool present = rs.hasField(ToleranceField) && rs.hasField(RateField);
    Frame_Checks->setEnabled(present);
    const auto limit = [&](const QString& field, double fallback) {
        bool ok = false;
        const double v = present ? rs.value(field).toDouble(&ok) : 0;
        return ok && v > 0 ? v : fallback;
    };
    // The units of the row as it is stored: the window's units are those it was opened with.
    const bool us = session_.UnitsUS;
    shownTolerance_ = shownLimit(limit(ToleranceField, readingcheck::DefaultGaugeTolerance), us);
    shownRate_ = shownLimit(limit(RateField, readingcheck::DefaultPlausibleRate), us);
    Text_GaugeTolerance->setText(shownTolerance_);
    Text_PlausibleRate->setText(shownRate_);
    const QString unit = us ? QStringLiteral("in.") : QStringLiteral("mm");
    Frame_Checks->setTitle(
        QStringLiteral("Thickness Reading Checks (%1, %2 per year)").arg(unit, unit));
}

Status PreferencesWindow::saveCheckLimits() {
    Recordset& rs = Data_Preferences->recordset();
    if (!rs.hasField(ToleranceField) || !rs.hasField(RateField))
        return {};
    const bool us = session_.UnitsUS;
    const struct {
        QLineEdit* box;
        const QString& shown;
        const QString& field;
        const char* name;
    } limits[] = {{Text_GaugeTolerance, shownTolerance_, ToleranceField, "gauge tolerance"},
                  {Text_PlausibleRate, shownRate_, RateField, "plausible corrosion rate"}};
    for (const auto& l : limits) {
        if (l.box->text().trimmed() == l.shown)
            continue;
        const auto value = plainNumber(l.box->text());
        if (!value || !(*value > 0)) {
            l.box->setFocus();
            l.box->selectAll();
            return Error{QStringLiteral("The %1 must be a number greater than 0.")
                             .arg(QLatin1String(l.name))};
        }
        if (auto s = rs.setValue(l.field, us ? *value : *value / units::MillimetresPerInch); !s)
            return s;
    }
    return {};
}

Status PreferencesWindow::SavePreferences() {
    Recordset& rs = Data_Preferences->recordset();
    for (int i = 1; i <= FieldCount; ++i)
        if (auto s = rs.setValue(typeField(i), List_1[static_cast<std::size_t>(i)]->currentIndex());
            !s)
            return s;
    if (auto s = saveCheckLimits(); !s)
        return s;
    return rs.setValue(QStringLiteral("USUnits"), Opt_Units[0]->isChecked());
}

void PreferencesWindow::Cmd_OK_Click() {
    Status saved = SavePreferences();
    if (saved)
        saved = Data_Preferences->update();
    if (!saved) {
        // The window stays open with what was typed, so the user can try again or cancel.
        services_.prompts.message(saved.error(), QStringLiteral("Preferences"),
                                  Prompts::Icon::Exclamation);
        return;
    }
    // The units change for every window opened from now on, once they are stored.
    session_.UnitsUS = Opt_Units[0]->isChecked();
    closing_ = true;
    close();
}

void PreferencesWindow::Cmd_Cancel_Click() {
    Data_Preferences->cancelUpdate();
    closing_ = true;
    close();
}

void PreferencesWindow::Cmd_Help_Click() {
    session_.HelpTopic = 6;
    services_.help.showHelp(*this, session_.HelpTopic);
}

void PreferencesWindow::closeEvent(QCloseEvent* event) {
    // The close box discards what is pending, as Cancel does.
    if (!closing_)
        Data_Preferences->cancelUpdate();
    QDialog::closeEvent(event);
}

} // namespace korvane
