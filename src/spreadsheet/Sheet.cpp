#include "spreadsheet/Sheet.h"

#include "common/Csv.h"
#include "common/DateText.h"
#include "common/NumberFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMap>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <tuple>
#include <xlsxwriter.h>

namespace korvane::sheet {

namespace {

constexpr int MaxSheetName = 31;
constexpr qsizetype MaxCellText = 32767; // the most a spreadsheet cell holds
const char* const DatePattern = "dd/mmm/yyyy";

QString sheetName(const QString& name) {
    QString cleaned = name;
    for (QChar& c : cleaned)
        if (QStringLiteral("[]:*?/\\").contains(c))
            c = QLatin1Char('-');
    cleaned = cleaned.left(MaxSheetName).trimmed();
    return cleaned.isEmpty() ? QStringLiteral("Sheet1") : cleaned;
}

QString shownNumber(const Cell& cell) {
    return cell.pattern.isEmpty()
               ? QString::number(cell.number, 'g', QLocale::FloatingPointShortest)
               : formatNumber(cell.number, cell.pattern);
}

// The width of a column in characters: its longest text, within sensible bounds.
double columnWidth(const Sheet& sheet, std::size_t column) {
    qsizetype widest = column < static_cast<std::size_t>(sheet.header.size())
                           ? sheet.header[static_cast<qsizetype>(column)].size() + 2
                           : 0;
    for (const auto& row : sheet.rows) {
        if (column >= row.size())
            continue;
        const Cell& cell = row[column];
        switch (cell.kind) {
        case Cell::Kind::Text:
            widest = std::max(widest, cell.text.size());
            break;
        case Cell::Kind::Number:
            widest = std::max(widest, shownNumber(cell).size());
            break;
        case Cell::Kind::Date:
            widest = std::max<qsizetype>(widest, 11);
            break;
        case Cell::Kind::Empty:
            break;
        }
    }
    return static_cast<double>(std::clamp<qsizetype>(widest + 1, 6, 60));
}

// The cell formats of one workbook, each made once: by pattern, date or not, and fill.
class Formats {
public:
    explicit Formats(lxw_workbook* workbook) : workbook_(workbook) {}

    lxw_format* header() {
        if (!header_) {
            header_ = workbook_add_format(workbook_);
            format_set_bold(header_);
            format_set_bottom(header_, LXW_BORDER_THIN);
            format_set_text_wrap(header_);
        }
        return header_;
    }

    lxw_format* of(const Cell& cell) {
        const bool date = cell.kind == Cell::Kind::Date;
        const QString pattern = date ? QString::fromLatin1(DatePattern)
                                     : (cell.kind == Cell::Kind::Number ? cell.pattern : QString());
        if (pattern.isEmpty() && !cell.fill)
            return nullptr;
        const auto key = std::make_tuple(pattern, cell.fill.has_value(), cell.fill.value_or(0));
        if (auto found = formats_.constFind(key); found != formats_.constEnd())
            return *found;
        lxw_format* format = workbook_add_format(workbook_);
        if (!pattern.isEmpty())
            format_set_num_format(format, pattern.toUtf8().constData());
        if (cell.fill) {
            format_set_pattern(format, LXW_PATTERN_SOLID);
            // Black is a colour of its own to the library; 0 would mean "none".
            format_set_bg_color(format, *cell.fill == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK)
                                                        : *cell.fill);
        }
        formats_.insert(key, format);
        return format;
    }

private:
    lxw_workbook* workbook_;
    lxw_format* header_ = nullptr;
    QMap<std::tuple<QString, bool, quint32>, lxw_format*> formats_;
};

QString libraryError(lxw_error error) {
    return QString::fromUtf8(lxw_strerror(error));
}

} // namespace

Cell Cell::ofText(const QString& text) {
    Cell cell;
    if (text.isEmpty())
        return cell;
    cell.kind = Kind::Text;
    cell.text = text;
    return cell;
}

Cell Cell::ofNumber(double value, const QString& pattern) {
    Cell cell;
    if (!std::isfinite(value))
        return cell;
    cell.kind = Kind::Number;
    cell.number = value;
    cell.pattern = pattern;
    return cell;
}

Cell Cell::ofDate(const QDate& date) {
    Cell cell;
    if (!date.isValid())
        return cell;
    cell.kind = Kind::Date;
    cell.date = date;
    return cell;
}

QString csv(const Sheet& sheet) {
    QString text = csvLine(sheet.header);
    for (const auto& row : sheet.rows) {
        QStringList fields;
        fields.reserve(static_cast<qsizetype>(row.size()));
        for (const Cell& cell : row) {
            switch (cell.kind) {
            case Cell::Kind::Empty:
                fields << QString();
                break;
            case Cell::Kind::Text:
                fields << cell.text;
                break;
            case Cell::Kind::Number:
                fields << shownNumber(cell);
                break;
            case Cell::Kind::Date:
                fields << isoDate(cell.date);
                break;
            }
        }
        text += csvLine(fields);
    }
    return text;
}

Status writeXlsx(const Sheet& sheet, const QString& path) {
    const QFileInfo target(path);
    if (target.isDir())
        return Error{QStringLiteral("\"%1\" is a folder.").arg(QDir::toNativeSeparators(path))};
    // Written beside the target under a name of its own, and renamed over it when whole.
    QTemporaryFile partial(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                           QStringLiteral(".XXXXXX.partial"));
    if (!partial.open())
        return Error{QStringLiteral("\"%1\" could not be written: %2")
                         .arg(QDir::toNativeSeparators(path), partial.errorString())};
    partial.close();
    const QByteArray partialName = QFile::encodeName(partial.fileName());

    lxw_workbook* workbook = workbook_new(partialName.constData());
    if (!workbook)
        return Error{
            QStringLiteral("\"%1\" could not be written.").arg(QDir::toNativeSeparators(path))};
    lxw_worksheet* worksheet =
        workbook_add_worksheet(workbook, sheetName(sheet.name).toUtf8().constData());
    Formats formats(workbook);
    lxw_error error = LXW_NO_ERROR;
    const auto keep = [&error](lxw_error e) {
        if (error == LXW_NO_ERROR)
            error = e;
    };
    if (!worksheet)
        error = LXW_ERROR_MEMORY_MALLOC_FAILED;

    std::size_t columns = static_cast<std::size_t>(sheet.header.size());
    for (const auto& row : sheet.rows)
        columns = std::max(columns, row.size());
    for (std::size_t c = 0; worksheet && c < columns; ++c) {
        const auto column = static_cast<lxw_col_t>(c);
        keep(worksheet_set_column(worksheet, column, column, columnWidth(sheet, c), nullptr));
        if (c < static_cast<std::size_t>(sheet.header.size()))
            keep(worksheet_write_string(
                worksheet, 0, column,
                sheet.header[static_cast<qsizetype>(c)].left(MaxCellText).toUtf8().constData(),
                formats.header()));
    }
    for (std::size_t r = 0; worksheet && r < sheet.rows.size(); ++r) {
        const auto row = static_cast<lxw_row_t>(r + 1);
        for (std::size_t c = 0; c < sheet.rows[r].size(); ++c) {
            const Cell& cell = sheet.rows[r][c];
            const auto column = static_cast<lxw_col_t>(c);
            lxw_format* format = formats.of(cell);
            switch (cell.kind) {
            case Cell::Kind::Empty:
                if (format)
                    keep(worksheet_write_blank(worksheet, row, column, format));
                break;
            case Cell::Kind::Text:
                keep(worksheet_write_string(worksheet, row, column,
                                            cell.text.left(MaxCellText).toUtf8().constData(),
                                            format));
                break;
            case Cell::Kind::Number:
                keep(worksheet_write_number(worksheet, row, column, cell.number, format));
                break;
            case Cell::Kind::Date: {
                lxw_datetime when{cell.date.year(), cell.date.month(), cell.date.day(), 0, 0, 0};
                // A spreadsheet counts its dates from 1900: an earlier one stays a text.
                if (cell.date.year() < 1900)
                    keep(worksheet_write_string(worksheet, row, column,
                                                isoDate(cell.date).toUtf8().constData(), format));
                else
                    keep(worksheet_write_datetime(worksheet, row, column, &when, format));
                break;
            }
            }
        }
    }
    if (worksheet) {
        worksheet_freeze_panes(worksheet, 1, 0);
        if (columns > 0)
            keep(worksheet_autofilter(worksheet, 0, 0, static_cast<lxw_row_t>(sheet.rows.size()),
                                      static_cast<lxw_col_t>(columns - 1)));
    }
    const lxw_error closed = workbook_close(workbook);
    keep(closed);
    if (error != LXW_NO_ERROR)
        return Error{QStringLiteral("\"%1\" could not be written: %2")
                         .arg(QDir::toNativeSeparators(path), libraryError(error))};
    if (std::rename(partialName.constData(), QFile::encodeName(path).constData()) != 0)
        return Error{
            QStringLiteral("\"%1\" could not be written: %2")
                .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(errno)))};
    partial.setAutoRemove(false);
    return {};
}

} // namespace korvane::sheet
