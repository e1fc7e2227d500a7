// The announcement as a PDF through Qt's own writer: A4 portrait, the title, the lines
// about the list and the run, the winners' table with its heading on every page, the
// signature block, and "第 n 页 共 m 页" under every page.
#include <QBuffer>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <numeric>
#include <system_error>
#include <vector>

#include "publication.h"

namespace kelvara::output {

namespace {

using namespace Qt::StringLiterals;

// Device units per inch: fine enough that no rounding of a position shows, and each font
// size below a whole number of them.
constexpr int kResolution = 1200;
constexpr double points(double pt) {
    return pt * kResolution / 72.0;
}
constexpr double millimetres(double mm) {
    return mm * kResolution / 25.4;
}

constexpr double kPageWidth = millimetres(210);
constexpr double kPageHeight = millimetres(297);
constexpr double kLeft = millimetres(20);
constexpr double kTop = millimetres(18);
constexpr double kBottom = kPageHeight - millimetres(22); // the footer stands below
constexpr double kFooterBaseline = kPageHeight - millimetres(12);
constexpr double kWidth = kPageWidth - 2 * kLeft;

constexpr int kBodySize = 175;   // 10.5 pt (五号) in device units
constexpr int kTitleSize = 300;  // 18 pt (小二)
constexpr int kFooterSize = 150; // 9 pt
constexpr double kLineSpacing = 1.5;
constexpr double kCellPadding = points(4);
constexpr double kRuleWidth = points(0.6);
constexpr double kHandwritingRoom = millimetres(60);
constexpr double kSignatureRow = millimetres(14);

// The ideographic em box runs from 0.88 em above the baseline to 0.12 em below it; the box
// is centred in each line, whatever the font reports as its ascent.
double baselineIn(double lineTop, int size) {
    return lineTop + (kLineSpacing - 1) * size / 2 + 0.88 * size;
}

double lineHeight(int size) {
    return kLineSpacing * size;
}

// Control characters have no glyph: they show as a space.
QString shownText(const std::string& text) {
    QString shown = QString::fromStdString(text);
    for (QChar& c : shown) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
            c = u' ';
        }
    }
    return shown;
}

// The first family installed of those named; otherwise one that writes Simplified Chinese,
// or the `otherwise` one.
QString installedFamily(const QStringList& preferred, const QString& otherwise) {
    const QStringList families = QFontDatabase::families();
    for (const QString& family : preferred) {
        if (families.contains(family, Qt::CaseInsensitive)) {
            return family;
        }
    }
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    return chinese.isEmpty() ? otherwise : chinese.first();
}

QFont fontOf(const QString& family, int size, bool bold = false) {
    QFont font(family);
    font.setPixelSize(size);
    font.setBold(bold);
    return font;
}

QString sansFamily() {
    return installedFamily({u"Noto Sans CJK SC"_s, u"Source Han Sans SC"_s, u"Noto Sans SC"_s,
                            u"Microsoft YaHei"_s, u"微软雅黑"_s, u"DengXian"_s, u"SimHei"_s,
                            u"黑体"_s, u"WenQuanYi Zen Hei"_s, u"WenQuanYi Micro Hei"_s,
                            u"Droid Sans Fallback"_s},
                           QFont().family());
}

// Digests and digits read more easily when every character has the same width.
QString monoFamily() {
    return installedFamily({u"Noto Sans Mono CJK SC"_s, u"Sarasa Mono SC"_s, u"DejaVu Sans Mono"_s,
                            u"Consolas"_s, u"Courier New"_s},
                           QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
}

// Identifiers, digests and digits: printable ASCII without a space.
bool isCode(const QString& text) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() > 0x20 && c.unicode() < 0x7F;
    });
}

// The text in lines no wider than `width`, broken between words where it can and anywhere
// where it must: nothing is cut.
std::vector<QString> wrapped(const QString& text, const QFont& font, QPaintDevice* device,
                             double width) {
    QTextLayout layout(text, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    std::vector<QString> lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines.push_back(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    if (lines.empty()) {
        lines.emplace_back();
    }
    return lines;
}

// Text in one font, drawn a page at a time as one glyph run. Each distinct string is shaped
// once by the font's own character map: drawing every cell through QPainter::drawText took
// most of the time of a long list, and its shaping may pick glyphs that no character maps
// to, which a reader of the PDF then cannot search or copy. Text that needs more (a
// character the font lacks, marks, characters beyond the BMP) goes through drawText, which
// shapes it and finds a fallback font.
class FontText {
public:
    FontText(const QFont& font, QPaintDevice* device)
        : m_font(font), m_raw(QRawFont::fromFont(font)), m_metrics(font, device) {}

    const QFont& font() const { return m_font; }
    double width(const QString& text) { return shaped(text).width; }

    // Adds the text to the page, its baseline starting at `origin`.
    void add(const QString& text, QPointF origin) {
        const Shaped& shape = shaped(text);
        if (!shape.simple) {
            m_complex.emplace_back(text, origin);
            return;
        }
        for (qsizetype i = 0; i < shape.glyphs.size(); ++i) {
            m_glyphs.push_back(shape.glyphs[i]);
            m_positions.push_back(origin + QPointF(shape.offsets[i], 0));
        }
    }

    // Draws the page's text.
    void flush(QPainter& painter) {
        if (!m_glyphs.isEmpty()) {
            QGlyphRun run;
            run.setRawFont(m_raw);
            run.setGlyphIndexes(m_glyphs);
            run.setPositions(m_positions);
            painter.drawGlyphRun(QPointF(0, 0), run);
        }
        painter.setFont(m_font);
        for (const auto& [text, origin] : m_complex) {
            painter.drawText(origin, text);
        }
        clear();
    }
    void clear() {
        m_glyphs.clear();
        m_positions.clear();
        m_complex.clear();
    }

    // The character shaped here that the font draws with the same glyph as `c`, or `c`.
    char16_t drawnAs(char16_t c) const {
        quint32 glyph = 0;
        int count = 1;
        const QChar character(c);
        if (!m_raw.glyphIndexesForChars(&character, 1, &glyph, &count) || glyph == 0) {
            return c;
        }
        return m_drawn.value(glyph, c);
    }

private:
    struct Shaped {
        QList<quint32> glyphs;
        QList<double> offsets;
        double width = 0;
        bool simple = true;
    };

    const Shaped& shaped(const QString& text) {
        const auto found = m_cache.constFind(text);
        if (found != m_cache.constEnd()) {
            return *found;
        }
        Shaped shape;
        shape.simple =
            m_raw.isValid() && std::none_of(text.begin(), text.end(), [](QChar c) {
                return c.isSurrogate() || c.isMark() || c.category() == QChar::Other_Format;
            });
        if (shape.simple) {
            shape.glyphs.resize(text.size());
            int count = static_cast<int>(text.size());
            shape.simple =
                m_raw.glyphIndexesForChars(text.constData(), count, shape.glyphs.data(), &count) &&
                count == text.size() && !shape.glyphs.contains(0U);
        }
        if (shape.simple) {
            QList<QPointF> advances(shape.glyphs.size());
            m_raw.advancesForGlyphIndexes(shape.glyphs.constData(), advances.data(),
                                          static_cast<int>(shape.glyphs.size()));
            shape.offsets.reserve(advances.size());
            for (qsizetype i = 0; i < advances.size(); ++i) {
                shape.offsets.push_back(shape.width);
                shape.width += advances[i].x();
                m_drawn.insert(shape.glyphs[i], text[i].unicode());
            }
        } else {
            shape.glyphs.clear();
            shape.width = m_metrics.horizontalAdvance(text);
        }
        return *m_cache.insert(text, std::move(shape));
    }

    QFont m_font;
    QRawFont m_raw;
    QFontMetricsF m_metrics;
    QHash<QString, Shaped> m_cache;
    QHash<quint32, char16_t> m_drawn; // the first character shaped with each glyph
    QList<quint32> m_glyphs;
    QList<QPointF> m_positions;
    std::vector<std::pair<QString, QPointF>> m_complex;
};

// Qt's writer tells a reader of the PDF which character each glyph stands for by the first
// character (lowest code) that the font maps to the glyph. CJK fonts draw a radical and its
// ideograph with one glyph, and a TAB with the space's: 页 would be found and copied as the
// radical ⻚ and a space as a TAB. The character that was drawn is put in their place, a code
// of four hex digits for another, so that no offset in the file moves.
void correctCharacterMaps(QByteArray& pdf, const std::vector<const FontText*>& fonts) {
    const auto drawnAs = [&fonts](char16_t c) {
        for (const FontText* font : fonts) {
            const char16_t drawn = font->drawnAs(c);
            if (drawn != c) {
                return drawn;
            }
        }
        return c;
    };
    const auto replace = [&](qsizetype at) {
        bool ok = false;
        const auto code = static_cast<char16_t>(pdf.mid(at, 4).toUShort(&ok, 16));
        const char16_t drawn = ok ? drawnAs(code) : code;
        if (drawn != code) {
            pdf.replace(at, 4, QByteArray::number(drawn, 16).toUpper().rightJustified(4, '0'));
        }
    };
    for (qsizetype begin = pdf.indexOf("beginbfrange\n"); begin >= 0;
         begin = pdf.indexOf("beginbfrange\n", begin)) {
        const qsizetype end = pdf.indexOf("endbfrange", begin);
        if (end < 0) {
            return;
        }
        // Lines "<first> <last> <code>" or "<first> <last> [<code> <code> ...]"; a range of
        // glyphs onto one code counts on from it, and stays as it is.
        for (qsizetype line = pdf.indexOf('\n', begin) + 1; line > 0 && line < end;
             line = pdf.indexOf('\n', line) + 1) {
            const qsizetype lineEnd = std::min(pdf.indexOf('\n', line), end);
            if (pdf.size() < line + 14 || pdf[line] != '<') {
                continue;
            }
            if (pdf[line + 14] == '[') {
                for (qsizetype at = pdf.indexOf('<', line + 15); at >= 0 && at < lineEnd;
                     at = pdf.indexOf('<', at + 1)) {
                    replace(at + 1);
                }
            } else if (pdf.mid(line + 1, 4) == pdf.mid(line + 8, 4)) {
                replace(line + 15);
            }
        }
        begin = end;
    }
}

// A table cell: its text, and its lines when it is wider than its column.
struct Cell {
    QString text;
    std::vector<QString> lines;

    int lineCount() const { return lines.empty() ? 1 : static_cast<int>(lines.size()); }
    const QString& line(int i) const {
        return lines.empty() ? text : lines[static_cast<std::size_t>(i)];
    }
};

struct InfoLine {
    std::vector<QString> label;
    std::vector<QString> value; // empty for room to write by hand
    bool code = false;
};

// Column widths within `available`: each its natural width when they all fit, the room left
// shared out in proportion; otherwise the narrow columns keep theirs and the wide ones share
// the rest equally, their cells wrapping.
std::vector<double> fittedWidths(const std::vector<double>& natural, double available) {
    const double total = std::accumulate(natural.begin(), natural.end(), 0.0);
    std::vector<double> widths = natural;
    if (total <= available) {
        for (double& width : widths) {
            width *= available / total;
        }
        return widths;
    }
    std::vector<std::size_t> order(natural.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return natural[a] < natural[b]; });
    double left = available;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const double share = left / static_cast<double>(order.size() - i);
        widths[order[i]] = std::min(natural[order[i]], share);
        left -= widths[order[i]];
    }
    return widths;
}

// Lays the announcement out and draws it. compose() runs twice: without a painter to count
// the pages, then with one to draw them, each footer knowing the count.
class Composer {
public:
    Composer(const Publication& publication, QPdfWriter& writer)
        : m_writer(writer), m_body(fontOf(m_sans, kBodySize), &writer),
          m_bold(fontOf(m_sans, kBodySize, true), &writer),
          m_title(fontOf(m_sans, kTitleSize, true), &writer),
          m_mono(fontOf(m_monoFamily, kBodySize), &writer),
          m_footer(fontOf(m_sans, kFooterSize), &writer) {
        m_titleLines = fitted(m_title, shownText(publicationTitle(publication)), kWidth);
        m_orderColumn = orderColumn(publication).value_or(0);
        layOutLines(publication);
        layOutTable(publication);
    }

    int compose(QPainter* painter, int pageCount) {
        m_painter = painter;
        m_pageCount = pageCount;
        m_page = 1;
        m_y = kTop;
        drawTitle();
        drawLines();
        m_y += lineHeight(kBodySize) / 2;
        drawTable();
        drawSignatures();
        finishPage();
        return m_page;
    }

    std::vector<const FontText*> fonts() const {
        return {&m_body, &m_bold, &m_title, &m_mono, &m_footer};
    }

private:
    // The text as one line when it fits the width, else wrapped.
    std::vector<QString> fitted(FontText& text, const QString& line, double width) {
        if (text.width(line) <= width) {
            return {line};
        }
        return wrapped(line, text.font(), &m_writer, width);
    }

    void layOutLines(const Publication& publication) {
        const std::vector<PublicationLine> lines = publicationLines(publication);
        double labelWidth = 0;
        for (const PublicationLine& line : lines) {
            labelWidth = std::max(labelWidth, m_body.width(shownText(line.label)));
        }
        // A longer label wraps in its own column.
        m_labelWidth = std::min(labelWidth + points(4), kWidth / 3);
        for (const PublicationLine& line : lines) {
            const QString value = shownText(line.value);
            const bool code = isCode(value);
            m_lines.push_back({fitted(m_body, shownText(line.label), m_labelWidth),
                               value.isEmpty()
                                   ? std::vector<QString>{}
                                   : fitted(code ? m_mono : m_body, value, kWidth - m_labelWidth),
                               code});
        }
    }

    void layOutTable(const Publication& publication) {
        std::vector<double> natural;
        for (const std::string& heading : publicationHeadings(publication)) {
            m_headings.push_back({shownText(heading), {}});
            natural.push_back(m_bold.width(m_headings.back().text) + 2 * kCellPadding);
        }
        m_rows.reserve(publication.rows.size());
        for (const PublicationRow& row : publication.rows) {
            std::vector<Cell>& cells = m_rows.emplace_back();
            for (const std::string& text : publicationCells(publication, row)) {
                const Cell& cell = cells.emplace_back(Cell{shownText(text), {}});
                double& widest = natural[cells.size() - 1];
                widest = std::max(widest, m_body.width(cell.text) + 2 * kCellPadding);
            }
        }
        m_widths = fittedWidths(natural, kWidth);
        for (std::size_t column = 0; column < m_headings.size(); ++column) {
            const double room = m_widths[column] - 2 * kCellPadding;
            Cell& heading = m_headings[column];
            if (m_bold.width(heading.text) > room) {
                heading.lines = wrapped(heading.text, m_bold.font(), &m_writer, room);
            }
            for (std::vector<Cell>& cells : m_rows) {
                Cell& cell = cells[column];
                if (m_body.width(cell.text) > room) {
                    cell.lines = wrapped(cell.text, m_body.font(), &m_writer, room);
                }
            }
        }
    }

    // The 序号, 顺序 and 备注 columns are centred, like every heading; the rest start on the
    // left.
    bool centred(std::size_t column) const {
        return column == 0 || column == m_orderColumn || column + 1 == m_widths.size();
    }

    void drawTitle() {
        for (const QString& line : m_titleLines) {
            if (m_painter != nullptr) {
                const double x = kLeft + (kWidth - m_title.width(line)) / 2;
                m_title.add(line, QPointF(x, baselineIn(m_y, kTitleSize)));
            }
            m_y += lineHeight(kTitleSize);
        }
        m_y += lineHeight(kBodySize) / 2;
    }

    void drawLines() {
        const double line = lineHeight(kBodySize);
        for (const InfoLine& info : m_lines) {
            const std::size_t count = std::max(info.label.size(), info.value.size());
            if (m_y + static_cast<double>(count) * line > kBottom) {
                newPage();
            }
            if (m_painter != nullptr) {
                addLines(m_body, info.label, kLeft);
                addLines(info.code ? m_mono : m_body, info.value, kLeft + m_labelWidth);
                if (info.value.empty()) {
                    const double under = baselineIn(m_y, kBodySize) + points(3);
                    m_rules.push_back(QLineF(kLeft + m_labelWidth, under,
                                             kLeft + m_labelWidth + kHandwritingRoom, under));
                }
            }
            m_y += static_cast<double>(count) * line;
        }
    }

    void addLines(FontText& text, const std::vector<QString>& lines, double x) {
        double top = m_y;
        for (const QString& line : lines) {
            text.add(line, QPointF(x, baselineIn(top, kBodySize)));
            top += lineHeight(kBodySize);
        }
    }

    int headingLines() const {
        int lines = 1;
        for (const Cell& heading : m_headings) {
            lines = std::max(lines, heading.lineCount());
        }
        return lines;
    }
    double headingHeight() const {
        return headingLines() * lineHeight(kBodySize) + 2 * kCellPadding;
    }

    // Whole lines of a row that fit below `m_y` on this page.
    int linesThatFit() const {
        return static_cast<int>((kBottom - m_y - 2 * kCellPadding) / lineHeight(kBodySize));
    }

    void drawTable() {
        // The heading never stands alone at the foot of a page.
        if (m_y + headingHeight() + lineHeight(kBodySize) + 2 * kCellPadding > kBottom) {
            newPage();
        }
        drawHeading();
        const int onEmptyPage = static_cast<int>(
            (kBottom - kTop - headingHeight() - 2 * kCellPadding) / lineHeight(kBodySize));
        for (const std::vector<Cell>& row : m_rows) {
            int total = 1;
            for (const Cell& cell : row) {
                total = std::max(total, cell.lineCount());
            }
            // A row goes whole onto the next page when it fits there; only a row longer
            // than a page is split between pages.
            for (int from = 0; from < total;) {
                const int room = linesThatFit();
                const int left = total - from;
                if (room < left && (room < 1 || (from == 0 && left <= onEmptyPage))) {
                    newPage();
                    drawHeading();
                    continue;
                }
                const int count = std::min(room, left);
                drawRow(row, from, count, m_body);
                from += count;
            }
        }
    }

    void drawHeading() {
        if (m_painter != nullptr) {
            m_painter->fillRect(QRectF(kLeft, m_y, kWidth, headingHeight()),
                                QColor(0xE8, 0xE8, 0xE8));
            m_rules.push_back(QLineF(kLeft, m_y, kLeft + kWidth, m_y));
        }
        drawRow(m_headings, 0, headingLines(), m_bold);
    }

    // Lines [from, from + count) of the row's cells, and the rules around them.
    void drawRow(const std::vector<Cell>& row, int from, int count, FontText& text) {
        const double height = count * lineHeight(kBodySize) + 2 * kCellPadding;
        if (m_painter != nullptr) {
            const bool heading = &text == &m_bold;
            double x = kLeft;
            for (std::size_t column = 0; column < row.size(); ++column) {
                const Cell& cell = row[column];
                const double width = m_widths[column];
                for (int i = from; i < std::min(from + count, cell.lineCount()); ++i) {
                    const QString& line = cell.line(i);
                    const double left = heading || centred(column)
                                            ? x + (width - text.width(line)) / 2
                                            : x + kCellPadding;
                    const double top = m_y + kCellPadding + (i - from) * lineHeight(kBodySize);
                    text.add(line, QPointF(left, baselineIn(top, kBodySize)));
                }
                m_rules.push_back(QLineF(x, m_y, x, m_y + height));
                x += width;
            }
            m_rules.push_back(QLineF(x, m_y, x, m_y + height));
            m_rules.push_back(QLineF(kLeft, m_y + height, x, m_y + height));
        }
        m_y += height;
    }

    // Four places to sign, two to a line, kept together on one page.
    void drawSignatures() {
        const std::vector<std::string> labels = signatureLabels();
        const double gap = lineHeight(kBodySize) * 2;
        const double rows = static_cast<double>((labels.size() + 1) / 2);
        if (m_y + gap + rows * kSignatureRow > kBottom) {
            newPage();
        } else {
            m_y += gap;
        }
        if (m_painter == nullptr) {
            return;
        }
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const QString label = shownText(labels[i]);
            const double x = kLeft + static_cast<double>(i % 2) * kWidth / 2;
            const double baseline =
                m_y + static_cast<double>(i / 2 + 1) * kSignatureRow - millimetres(4);
            m_body.add(label, QPointF(x, baseline));
            m_rules.push_back(QLineF(x + m_body.width(label), baseline + points(3),
                                     x + kWidth / 2 - millimetres(10), baseline + points(3)));
        }
    }

    void finishPage() {
        if (m_painter == nullptr) {
            for (FontText* text : {&m_body, &m_bold, &m_title, &m_mono, &m_footer}) {
                text->clear();
            }
            m_rules.clear();
            return;
        }
        const QString footer = u"第 %1 页 共 %2 页"_s.arg(m_page).arg(m_pageCount);
        m_footer.add(footer,
                     QPointF(kLeft + (kWidth - m_footer.width(footer)) / 2, kFooterBaseline));
        for (FontText* text : {&m_body, &m_bold, &m_title, &m_mono, &m_footer}) {
            text->flush(*m_painter);
        }
        m_painter->setPen(QPen(Qt::black, kRuleWidth));
        m_painter->drawLines(m_rules);
        m_rules.clear();
    }

    void newPage() {
        finishPage();
        if (m_painter != nullptr) {
            m_writer.newPage();
        }
        ++m_page;
        m_y = kTop;
    }

    QPdfWriter& m_writer;
    const QString m_sans = sansFamily();
    const QString m_monoFamily = monoFamily();
    FontText m_body, m_bold, m_title, m_mono, m_footer;
    std::vector<QString> m_titleLines;
    std::vector<InfoLine> m_lines;
    double m_labelWidth = 0;
    std::vector<Cell> m_headings;
    std::vector<std::vector<Cell>> m_rows;
    std::vector<double> m_widths;
    std::size_t m_orderColumn = 0; // 0: none, 序号 is centred anyway

    QPainter* m_painter = nullptr;
    int m_page = 1;
    int m_pageCount = 0;
    double m_y = kTop;
    QList<QLineF> m_rules;
};

// Writes the bytes as the file; a full disk is told as such.
platform::Outcome writeBytes(const std::string& fileName, const QByteArray& bytes) {
    errno = 0;
    std::FILE* const file = std::fopen(fileName.c_str(), "wb");
    bool written =
        file != nullptr && std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()),
                                       file) == static_cast<std::size_t>(bytes.size());
    const int writeError = errno;
    if (file != nullptr && std::fclose(file) != 0 && written) {
        written = false;
    }
    if (written) {
        return std::nullopt;
    }
    const int error = writeError != 0 ? writeError : errno;
    const std::error_code code(error, std::generic_category());
    return platform::Failure{code == std::errc::no_space_on_device ? platform::FailureKind::DiskFull
                                                                   : platform::FailureKind::System,
                             {},
                             code.message()};
}

} // namespace

platform::Outcome writePublicationPdf(const Publication& publication, const std::string& fileName) {
    // Made in memory, then written whole: the writer says nothing of a write that failed.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kResolution);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setTitle(QString::fromStdString(publicationTitle(publication)));
    writer.setCreator(u"Kelvara"_s);

    Composer composer(publication, writer);
    const int pages = composer.compose(nullptr, 0);
    QPainter painter;
    if (!painter.begin(&writer)) {
        return platform::Failure{platform::FailureKind::System, {}, "QPdfWriter could not start"};
    }
    composer.compose(&painter, pages);
    painter.end();
    QByteArray pdf = buffer.data();
    correctCharacterMaps(pdf, composer.fonts());
    return writeBytes(fileName, pdf);
}

} // namespace kelvara::output
