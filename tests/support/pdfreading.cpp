#include "support/pdfreading.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace {

constexpr double MmPerPoint = 25.4 / 72;

QString run(const QStringList& arguments, QString* error)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *error = QStringLiteral("pdftotext %1 failed (is poppler-utils installed? scripts/setup.sh installs it): %2")
                     .arg(arguments.join(QLatin1Char(' ')), QString::fromLocal8Bit(process.readAllStandardError()));
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString unescape(const QString& html)
{
    QString text = html;
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&apos;"), QLatin1String("'"));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

} // namespace

PdfText readPdf(const QString& path)
{
    PdfText pdf;
    const QString layout =
        run({QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")},
            &pdf.error);
    if (!pdf.error.isEmpty())
        return pdf;
    pdf.pages = layout.split(QLatin1Char('\f'));
    if (!pdf.pages.isEmpty() && pdf.pages.last().trimmed().isEmpty())
        pdf.pages.removeLast();

    const QString boxes =
        run({QStringLiteral("-bbox"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")},
            &pdf.error);
    if (!pdf.error.isEmpty())
        return pdf;
    static const QRegularExpression tag(QStringLiteral(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    int page = -1;
    for (auto match = tag.globalMatch(boxes); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        if (m.captured(0) == QLatin1String("<page ")) {
            ++page;
            continue;
        }
        pdf.words.append({unescape(m.captured(5)), page, m.captured(1).toDouble() * MmPerPoint,
                          m.captured(2).toDouble() * MmPerPoint, m.captured(3).toDouble() * MmPerPoint,
                          m.captured(4).toDouble() * MmPerPoint});
    }
    // Reading order: lines from the top, words from the left.
    std::stable_sort(pdf.words.begin(), pdf.words.end(), [](const PdfWord& a, const PdfWord& b) {
        return a.page != b.page ? a.page < b.page : a.top < b.top;
    });
    QList<int> lines;
    for (int i = 0; i < pdf.words.size(); ++i) {
        const bool sameLine = i > 0 && pdf.words.at(i).page == pdf.words.at(i - 1).page &&
                              pdf.words.at(i).top - pdf.words.at(i - 1).top < 0.5;
        lines.append(i == 0 ? 0 : lines.last() + (sameLine ? 0 : 1));
    }
    QList<QPair<int, PdfWord>> ordered;
    for (int i = 0; i < pdf.words.size(); ++i)
        ordered.append({lines.at(i), pdf.words.at(i)});
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second.left < b.second.left;
    });
    pdf.words.clear();
    for (const auto& entry : ordered)
        pdf.words.append(entry.second);
    return pdf;
}

QList<PdfWord> PdfText::findAll(const QString& phrase, int page) const
{
    const QStringList parts = phrase.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QList<PdfWord> found;
    if (parts.isEmpty())
        return found;
    for (int i = 0; i + parts.size() <= words.size(); ++i) {
        const PdfWord& first = words.at(i);
        if (page >= 0 && first.page != page)
            continue;
        bool match = true;
        for (int k = 0; k < parts.size() && match; ++k) {
            const PdfWord& word = words.at(i + k);
            match = word.text == parts.at(k) && word.page == first.page && std::abs(word.top - first.top) < 0.5;
        }
        if (!match)
            continue;
        PdfWord box = first;
        box.text = phrase;
        box.right = words.at(i + parts.size() - 1).right;
        found.append(box);
    }
    return found;
}

PdfWord PdfText::find(const QString& phrase, int page) const
{
    const QList<PdfWord> found = findAll(phrase, page);
    return found.isEmpty() ? PdfWord{} : found.first();
}

PdfWord PdfText::find(const QString& phrase, int page, double top) const
{
    for (const PdfWord& word : findAll(phrase, page))
        if (std::abs(word.top - top) < 0.5)
            return word;
    return PdfWord{};
}

QStringList PdfText::lineAt(int page, double top) const
{
    QList<PdfWord> line;
    for (const PdfWord& word : words)
        if (word.page == page && std::abs(word.top - top) < 0.5)
            line.append(word);
    std::sort(line.begin(), line.end(), [](const PdfWord& a, const PdfWord& b) { return a.left < b.left; });
    QStringList texts;
    for (const PdfWord& word : line)
        texts << word.text;
    return texts;
}

QList<PdfImage> readPdfImages(const QString& path, QString* error)
{
    const auto output = [&](const QString& program, const QStringList& arguments) -> QString {
        QProcess process;
        process.start(program, arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
            || process.exitCode() != 0) {
            *error = QStringLiteral("%1 failed (is poppler-utils installed? scripts/setup.sh installs it): %2")
                         .arg(program, QString::fromLocal8Bit(process.readAllStandardError()));
            return {};
        }
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    QTemporaryDir scratch;
    const QString base = scratch.filePath(QStringLiteral("out"));
    output(QStringLiteral("pdftohtml"), {QStringLiteral("-xml"), QStringLiteral("-q"), QStringLiteral("-zoom"),
                                         QStringLiteral("1"), path, base});
    if (!error->isEmpty())
        return {};
    QFile xml(base + QStringLiteral(".xml"));
    if (!xml.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("pdftohtml wrote no %1").arg(xml.fileName());
        return {};
    }
    const QString text = QString::fromUtf8(xml.readAll());
    QList<PdfImage> images;
    static const QRegularExpression tag(QStringLiteral(
        R"re(<page number="(\d+)"|<image top="([\d.-]+)" left="([\d.-]+)" width="([\d.]+)" height="([\d.]+)")re"));
    int page = -1;
    for (auto match = tag.globalMatch(text); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        if (!m.captured(1).isEmpty()) {
            page = m.captured(1).toInt() - 1;
            continue;
        }
        images.append({page, m.captured(3).toDouble() * MmPerPoint, m.captured(2).toDouble() * MmPerPoint,
                       m.captured(4).toDouble() * MmPerPoint, m.captured(5).toDouble() * MmPerPoint});
    }
    // "page num type width height ...": one line per image after two of headings.
    const QStringList listed = output(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path})
                                   .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                                   .mid(2);
    for (int i = 0; i < images.size() && i < listed.size(); ++i) {
        const QStringList columns = listed.at(i).simplified().split(QLatin1Char(' '));
        if (columns.size() > 4) {
            images[i].pixelWidth = columns.at(3).toInt();
            images[i].pixelHeight = columns.at(4).toInt();
        }
    }
    return images;
}
