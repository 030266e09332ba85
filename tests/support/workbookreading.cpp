#include "support/workbookreading.h"

#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

namespace {

// One member of the zip; empty with ok false when it is not there.
QByteArray member(const QString& path, const QString& name, bool* ok)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, name});
    *ok = unzip.waitForFinished(30000) && unzip.exitStatus() == QProcess::NormalExit && unzip.exitCode() == 0;
    return unzip.readAllStandardOutput();
}

int columnOf(const QString& reference)
{
    int column = 0;
    for (const QChar c : reference) {
        if (!c.isLetter())
            break;
        column = column * 26 + (c.unicode() - 'A' + 1);
    }
    return column - 1;
}

int rowOf(const QString& reference)
{
    qsizetype digits = 0;
    while (digits < reference.size() && reference.at(digits).isLetter())
        ++digits;
    return reference.mid(digits).toInt() - 1;
}

struct Style {
    QString format;
    bool bold = false;
};

QVector<Style> stylesOf(const QByteArray& xml)
{
    // The formats a spreadsheet knows by number, as far as the export uses them.
    QHash<int, QString> formats{{0, QStringLiteral("General")}, {3, QStringLiteral("#,##0")},
                                {4, QStringLiteral("#,##0.00")}};
    QVector<bool> boldFonts;
    QVector<Style> styles;
    QXmlStreamReader reader(xml);
    bool inCellFormats = false, inFonts = false;
    while (!reader.atEnd()) {
        reader.readNext();
        const QStringView name = reader.name();
        if (reader.isStartElement()) {
            if (name == u"numFmt")
                formats.insert(reader.attributes().value(QLatin1String("numFmtId")).toInt(),
                               reader.attributes().value(QLatin1String("formatCode")).toString());
            else if (name == u"fonts")
                inFonts = true;
            else if (inFonts && name == u"font")
                boldFonts << false;
            else if (inFonts && name == u"b" && !boldFonts.isEmpty())
                boldFonts.last() = true;
            else if (name == u"cellXfs")
                inCellFormats = true;
            else if (inCellFormats && name == u"xf") {
                const int font = reader.attributes().value(QLatin1String("fontId")).toInt();
                styles << Style{formats.value(reader.attributes().value(QLatin1String("numFmtId")).toInt(), QStringLiteral("?")),
                                font < boldFonts.size() && boldFonts.at(font)};
            }
        } else if (reader.isEndElement()) {
            if (name == u"fonts")
                inFonts = false;
            else if (name == u"cellXfs")
                inCellFormats = false;
        }
    }
    return styles;
}

QStringList sharedStringsOf(const QByteArray& xml)
{
    QStringList strings;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"si")
            strings << QString();
        else if (reader.isStartElement() && reader.name() == u"t" && !strings.isEmpty())
            strings.last() += reader.readElementText();
    }
    return strings;
}

QString firstText(const QByteArray& xml, QStringView element, const char* attribute = nullptr)
{
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == element)
            return attribute ? reader.attributes().value(QLatin1String(attribute)).toString() : reader.readElementText();
    }
    return {};
}

} // namespace

const WorkbookCell& Workbook::at(int row, int column) const
{
    static const WorkbookCell none;
    if (row < 0 || row >= rows.size() || column < 0 || column >= rows.at(row).size())
        return none;
    return rows.at(row).at(column);
}

Workbook readWorkbook(const QString& path)
{
    Workbook book;
    if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty()) {
        book.error = QStringLiteral("unzip is not installed (scripts/setup.sh installs it)");
        return book;
    }
    bool ok = false;
    const QByteArray sheet = member(path, QStringLiteral("xl/worksheets/sheet1.xml"), &ok);
    if (!ok) {
        book.error = QStringLiteral("%1 holds no first sheet").arg(path);
        return book;
    }
    const QVector<Style> styles = stylesOf(member(path, QStringLiteral("xl/styles.xml"), &ok));
    const QStringList shared = sharedStringsOf(member(path, QStringLiteral("xl/sharedStrings.xml"), &ok));
    book.sheetName = firstText(member(path, QStringLiteral("xl/workbook.xml"), &ok), u"sheet", "name");
    book.title = firstText(member(path, QStringLiteral("docProps/core.xml"), &ok), u"title");

    QXmlStreamReader reader(sheet);
    WorkbookCell* cell = nullptr;
    QString type;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        const QStringView name = reader.name();
        const QXmlStreamAttributes attributes = reader.attributes();
        if (name == u"pane" && attributes.value(QLatin1String("state")) == u"frozen") {
            book.frozenRows = attributes.value(QLatin1String("ySplit")).toInt();
        } else if (name == u"col") {
            for (int c = attributes.value(QLatin1String("min")).toInt(); c <= attributes.value(QLatin1String("max")).toInt(); ++c) {
                if (book.widths.size() < c)
                    book.widths.resize(c);
                book.widths[c - 1] = attributes.value(QLatin1String("width")).toDouble();
            }
        } else if (name == u"c") {
            const QString reference = attributes.value(QLatin1String("r")).toString();
            const int row = rowOf(reference), column = columnOf(reference);
            if (book.rows.size() <= row)
                book.rows.resize(row + 1);
            if (book.rows[row].size() <= column)
                book.rows[row].resize(column + 1);
            cell = &book.rows[row][column];
            type = attributes.value(QLatin1String("t")).toString();
            const int style = attributes.value(QLatin1String("s")).toInt();
            cell->format = style < styles.size() ? styles.at(style).format : QStringLiteral("General");
            cell->bold = style < styles.size() && styles.at(style).bold;
        } else if (cell && name == u"v") {
            const QString value = reader.readElementText();
            cell->isEmpty = false;
            cell->isNumber = type.isEmpty() || type == u"n";
            cell->text = type == u"s" ? shared.value(value.toInt()) : value;
        } else if (cell && name == u"t" && type == u"inlineStr") {
            cell->isEmpty = false;
            cell->text += reader.readElementText();
        }
    }
    if (reader.hasError())
        book.error = QStringLiteral("%1: %2").arg(path, reader.errorString());
    return book;
}
