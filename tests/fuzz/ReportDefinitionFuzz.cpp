#include "reports/ReportBlocks.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportRenderer.h"

#include <QVariantList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Reads any bytes as a report definition. A definition that reads must also fill, a value must
// never reach the page unescaped, and making the filled text ready for layout may only add
// places to break a line (or refuse tables nested too deep). The filled text read as blocks
// must give runs that cover each paragraph's text, and tables whose cells fill their grid.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto definition = korvane::reports::parseReportDefinition(input);
    if (!definition)
        return 0;

    const QString marker = QStringLiteral("<kv-marker>");
    const QVariantMap item{{"TankID", marker}, {"due", true}, {"none", QVariantList{}}};
    const QVariantMap tree{{"title", marker},
                           {"tanks", QVariantList{item}},
                           {"company", item},
                           {"a", QVariantList{marker}}};
    const auto filled = korvane::reports::renderTemplate(definition->templateText, tree);
    if (!filled)
        std::abort(); // the reader let through a template the engine refuses
    if (!definition->templateText.contains(marker) && filled->contains(marker))
        std::abort(); // a value came out unescaped
    const auto prepared = korvane::reports::prepareForLayout(*filled);
    if (prepared) {
        const QChar zeroWidthSpace(0x200B);
        if (QString(*prepared).remove(zeroWidthSpace) != QString(*filled).remove(zeroWidthSpace))
            std::abort(); // more than places to break a line was changed
        if (const auto blocks = korvane::reports::readBlocks(*prepared)) {
            const auto covered = [&](const korvane::reports::BlockParagraph& p) {
                int at = 0;
                for (const auto& run : p.runs) {
                    if (run.start != at || run.length <= 0 || run.style < 0 ||
                        run.style >= static_cast<int>(blocks->styles.size()))
                        return false;
                    at += run.length;
                }
                return at == p.text.size() && p.style >= 0 &&
                       p.style < static_cast<int>(blocks->styles.size());
            };
            for (const auto& p : blocks->paragraphs)
                if (!covered(p))
                    std::abort();
            for (const auto& t : blocks->tables) {
                int cells = 0;
                for (const auto& cell : t.cells) {
                    if (!covered(cell.paragraph) || cell.row < 0 || cell.row >= t.rows ||
                        cell.column + cell.columnSpan > t.columns)
                        std::abort();
                    cells += cell.columnSpan;
                }
                if (cells != t.rows * t.columns ||
                    t.columnWidths.size() != static_cast<std::size_t>(t.columns))
                    std::abort();
            }
        }
    }
    return 0;
}
