#include "platform/spreadsheet/sheet.h"

#include "platform/engine/fieldformat.h"
#include "platform/engine/turkishtext.h"
#include "platform/spreadsheet/workbookcheck.h"
#include "platform/system/safefilewriter.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <QTemporaryDir>
#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>

namespace spreadsheet {

namespace {

constexpr int ProgressEvery = 500; // rows between two calls of the progress
constexpr int MaxWidth = 60;       // characters; a longer text wraps to the column
constexpr int MaxText = 32767;     // the most letters a spreadsheet cell holds

// A cell as it is written: a number, or a text.
struct Value {
    bool isNumber = false;
    double number = 0;
    QString text;
    bool isEmpty() const { return !isNumber && text.isEmpty(); }
};

Value valueOf(const Column& column, const Cell& cell)
{
    Value value;
    if (!cell.value.isValid() || cell.value.isNull())
        return value;
    const bool holdsNumbers = column.kind != Kind::Text;
    if (holdsNumbers && cell.value.typeId() != QMetaType::QString && cell.value.canConvert<double>()) {
        value.isNumber = true;
        value.number = cell.value.toDouble();
        return value;
    }
    value.text = cell.value.toString();
    if (holdsNumbers)
        if (const std::optional<double> read = TurkishText::readNumber(value.text)) {
            value.isNumber = true;
            value.number = *read;
        }
    return value;
}

bool isWhole(double number)
{
    return std::abs(number) < 1e15 && number == std::floor(number);
}

// What a spreadsheet in Turkish shows for a number, for the column's width.
int shownLength(const Column& column, const Value& value)
{
    if (!value.isNumber)
        return int(value.text.size());
    static const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    const int decimals = column.kind == Kind::Amount ? 2 : (isWhole(value.number) ? 0 : 2);
    return int(turkish.toString(value.number, 'f', decimals).size()) + (column.kind == Kind::Amount ? 2 : 0);
}

QString csvText(const Column& column, const Cell& cell, const Value& value)
{
    if (!value.isNumber)
        return value.text;
    if (column.kind == Kind::Amount && !FieldFormat::currencySign(cell.currency).isEmpty())
        return FieldFormat::currencyText(value.number, cell.currency);
    return FieldFormat::generalNumber(value.number);
}

QString quotedFormatText(const QString& text)
{
    if (text.isEmpty())
        return {};
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// A name the spreadsheet takes for a sheet: at most 31 letters, none of []:*?/\,
// not starting or ending with an apostrophe.
QString sheetName(const QString& title)
{
    QString name = title.simplified();
    static const QString forbidden = QStringLiteral("[]:*?/\\");
    for (QChar& c : name)
        if (forbidden.contains(c))
            c = QLatin1Char('_');
    name = name.left(LXW_SHEETNAME_MAX).trimmed();
    while (name.startsWith(QLatin1Char('\'')))
        name.remove(0, 1);
    while (name.endsWith(QLatin1Char('\'')))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("Liste") : name;
}

QString failedMessage(const QString& path, const QString& cause)
{
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), cause);
}

// The workbook is made in a scratch folder by libxlsxwriter, then written
// over the target through a SafeFileWriter.
class XlsxWriter {
public:
    XlsxWriter(const Sheet& sheet, const QString& scratch)
        : m_sheet(sheet), m_file(QDir(scratch).filePath(QStringLiteral("liste.xlsx")).toLocal8Bit()),
          m_scratch(scratch.toLocal8Bit()), m_widths(sheet.columns.size(), 0)
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE; // rows go to disk as they are written
        options.tmpdir = m_scratch.data();
        m_book = workbook_new_opt(m_file.constData(), &options);
        if (!m_book)
            return;
        m_title = m_sheet.title.toUtf8();
        m_properties.title = m_title.data();
        workbook_set_properties(m_book, &m_properties);
        m_page = workbook_add_worksheet(m_book, sheetName(m_sheet.title).toUtf8().constData());
        m_header = workbook_add_format(m_book);
        format_set_bold(m_header);
        format_set_bottom(m_header, LXW_BORDER_THIN);
        m_wrapped = workbook_add_format(m_book);
        format_set_text_wrap(m_wrapped);
        format_set_align(m_wrapped, LXW_ALIGN_VERTICAL_TOP);
        m_whole = numberFormat(QStringLiteral("#,##0"));
        m_fraction = numberFormat(QStringLiteral("#,##0.##"));
    }
    ~XlsxWriter()
    {
        if (m_book && !m_closed)
            lxw_workbook_free(m_book); // an export that stopped half-way writes no workbook
    }

    bool isOpen() const { return m_book && m_page; }

    lxw_error header()
    {
        for (int i = 0; i < m_sheet.columns.size(); ++i) {
            const QString& title = m_sheet.columns.at(i).title;
            m_widths[i] = std::max(m_widths[i], int(title.size()));
            if (const lxw_error error = worksheet_write_string(m_page, 0, lxw_col_t(i), title.toUtf8().constData(),
                                                               m_header))
                return error;
        }
        worksheet_freeze_panes(m_page, 1, 0);
        m_lastRow = 1;
        return LXW_NO_ERROR;
    }

    lxw_error row(lxw_row_t at, Rows& rows)
    {
        for (int i = 0; i < m_sheet.columns.size(); ++i) {
            const Column& column = m_sheet.columns.at(i);
            const Cell cell = rows.cell(i);
            const Value value = valueOf(column, cell);
            if (value.isEmpty())
                continue;
            m_widths[i] = std::max(m_widths[i], shownLength(column, value));
            lxw_error error;
            if (value.isNumber) {
                error = worksheet_write_number(m_page, at, lxw_col_t(i), value.number, formatOf(column, cell, value));
            } else {
                const QByteArray text = value.text.left(MaxText).toUtf8();
                const bool wraps = value.text.size() > MaxWidth || value.text.contains(QLatin1Char('\n'));
                error = worksheet_write_string(m_page, at, lxw_col_t(i), text.constData(), wraps ? m_wrapped : nullptr);
            }
            if (error)
                return error;
            m_lastRow = int(at) + 1;
        }
        return LXW_NO_ERROR;
    }

    // The last row holding a cell, numbered from 1 as the file numbers it.
    int lastRow() const { return m_lastRow; }

    lxw_error close()
    {
        for (int i = 0; i < m_widths.size(); ++i)
            worksheet_set_column(m_page, lxw_col_t(i), lxw_col_t(i), std::min(m_widths.at(i), MaxWidth) + 2.0,
                                 nullptr);
        m_closed = true;
        return workbook_close(m_book);
    }

    QString file() const { return QString::fromLocal8Bit(m_file); }

private:
    lxw_format* numberFormat(const QString& pattern)
    {
        lxw_format* format = workbook_add_format(m_book);
        format_set_num_format(format, pattern.toUtf8().constData());
        return format;
    }

    lxw_format* formatOf(const Column& column, const Cell& cell, const Value& value)
    {
        if (column.kind != Kind::Amount)
            return isWhole(value.number) ? m_whole : m_fraction;
        const QString sign = FieldFormat::currencySign(cell.currency);
        auto found = m_amounts.find(sign);
        if (found == m_amounts.end())
            found = m_amounts.insert(sign, numberFormat(amountFormat(cell.currency)));
        return *found;
    }

    const Sheet& m_sheet;
    QByteArray m_file;
    QByteArray m_scratch;
    QByteArray m_title;
    lxw_doc_properties m_properties{};
    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_page = nullptr;
    lxw_format* m_header = nullptr;
    lxw_format* m_wrapped = nullptr;
    lxw_format* m_whole = nullptr;
    lxw_format* m_fraction = nullptr;
    QHash<QString, lxw_format*> m_amounts; // by currency sign
    QVector<int> m_widths;
    int m_lastRow = 0;
    bool m_closed = false;
};

Outcome saveXlsx(const QString& path, const Sheet& sheet, Rows& rows, QString* error, const Progress& progress)
{
    const auto failed = [&](const QString& cause) {
        if (error)
            *error = failedMessage(path, cause);
        return Outcome::Failed;
    };
    const QTemporaryDir scratch;
    if (!scratch.isValid())
        return failed(QStringLiteral("çalışma kitabı için geçici klasör açılamadı."));
    XlsxWriter writer(sheet, scratch.path());
    if (!writer.isOpen())
        return failed(QStringLiteral("çalışma kitabı oluşturulamadı."));
    const auto libraryFailed = [&](lxw_error code) {
        return failed(QStringLiteral("çalışma kitabı yazılamadı (%1).").arg(QString::fromUtf8(lxw_strerror(code))));
    };
    if (const lxw_error code = writer.header())
        return libraryFailed(code);
    const int total = rows.rowCount();
    lxw_row_t at = 1;
    while (rows.next()) {
        if (at >= LXW_ROW_MAX)
            return failed(QStringLiteral("liste bir sayfanın alabileceğinden uzun (en çok %1 satır).")
                              .arg(LXW_ROW_MAX - 1));
        if (const lxw_error code = writer.row(at, rows))
            return libraryFailed(code);
        if (progress && at % ProgressEvery == 0 && !progress(int(at), total))
            return Outcome::Cancelled;
        ++at;
    }
    if (const lxw_error code = writer.close())
        return libraryFailed(code);
    QFile made(writer.file());
    if (!made.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("çalışma kitabı yazılamadı."));
    const QByteArray workbook = made.readAll();
    if (const QString broken = checkWorkbook(workbook, writer.lastRow()); !broken.isEmpty())
        return failed(broken);
    const QString failure = writeFileSafely(path, workbook);
    if (!failure.isEmpty()) {
        if (error)
            *error = failure;
        return Outcome::Failed;
    }
    return Outcome::Done;
}

Outcome saveCsv(const QString& path, const Sheet& sheet, Rows& rows, QString* error, const Progress& progress)
{
    SafeFileWriter file(path);
    const auto failed = [&] {
        if (error)
            *error = file.errorMessage();
        return Outcome::Failed;
    };
    if (!file.open())
        return failed();
    QStringList fields;
    for (const Column& column : sheet.columns)
        fields << column.title;
    // The byte-order mark tells a spreadsheet that the file is UTF-8.
    if (file.write("\xEF\xBB\xBF") < 0 || file.write(csvLine(fields)) < 0)
        return failed();
    const int total = rows.rowCount();
    int done = 0;
    while (rows.next()) {
        fields.clear();
        for (int i = 0; i < sheet.columns.size(); ++i) {
            const Cell cell = rows.cell(i);
            fields << csvText(sheet.columns.at(i), cell, valueOf(sheet.columns.at(i), cell));
        }
        if (file.write(csvLine(fields)) < 0)
            return failed();
        if (progress && ++done % ProgressEvery == 0 && !progress(done, total))
            return Outcome::Cancelled; // the writer discards what it wrote
    }
    if (!file.commit())
        return failed();
    return Outcome::Done;
}

} // namespace

QString amountFormat(const QString& currency)
{
    // The program's own text of one unit, "₺1,00" or "CHF 1,00", with the
    // number taken out: what stays around it is the sign's place.
    const QString one = FieldFormat::currencyText(1.0, currency);
    const QString number = QLocale().toString(1.0, 'f', 2);
    const qsizetype at = one.indexOf(number);
    if (at < 0)
        return QStringLiteral("#,##0.00");
    return quotedFormatText(one.left(at)) + QStringLiteral("#,##0.00") + quotedFormatText(one.mid(at + number.size()));
}

QByteArray csvLine(const QStringList& fields)
{
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ';';
        QString field = fields.at(i);
        if (field.contains(QLatin1Char(';')) || field.contains(QLatin1Char('"')) ||
            field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'))) {
            field.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            field = QLatin1Char('"') + field + QLatin1Char('"');
        }
        line += field.toUtf8();
    }
    line += "\r\n";
    return line;
}

QString suffix(Format format)
{
    return format == Format::Xlsx ? QStringLiteral("xlsx") : QStringLiteral("csv");
}

Outcome save(Format format, const QString& path, const Sheet& sheet, Rows& rows, QString* error,
             const Progress& progress)
{
    return format == Format::Xlsx ? saveXlsx(path, sheet, rows, error, progress)
                                  : saveCsv(path, sheet, rows, error, progress);
}

} // namespace spreadsheet
