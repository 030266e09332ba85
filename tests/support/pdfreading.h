#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What a PDF shows, read back with poppler's pdftotext: the words with their
// boxes in millimetres from the page's top-left corner, and each page's text
// laid out as on paper.
struct PdfWord {
    QString text;
    int page = -1; // 0-based
    double left = 0, top = 0, right = 0, bottom = 0;
};

struct PdfText {
    QString error; // set when the file could not be read
    QList<PdfWord> words;
    QStringList pages; // pdftotext -layout, one text per page

    int pageCount() const { return int(pages.size()); }
    // Every place where the words of phrase stand one after another on a line
    // (page -1: any page), as one box.
    QList<PdfWord> findAll(const QString& phrase, int page = -1) const;
    // The first such place; a word with page -1 when there is none.
    PdfWord find(const QString& phrase, int page = -1) const;
    // The place on the line whose top is within half a millimetre of `top`.
    PdfWord find(const QString& phrase, int page, double top) const;
    // The words on one line of a page, left to right, whose top is within
    // half a millimetre of `top`.
    QStringList lineAt(int page, double top) const;
};

PdfText readPdf(const QString& path);

// The pictures a PDF shows, read back with poppler: where each stands on its
// page (pdftohtml -xml), in millimetres from the page's top-left corner, and
// the pixels it holds (pdfimages -list), in the order the pages draw them.
struct PdfImage {
    int page = -1; // 0-based
    double left = 0, top = 0, width = 0, height = 0;
    int pixelWidth = 0, pixelHeight = 0;
};

// Empty, with error set, when the tools fail.
QList<PdfImage> readPdfImages(const QString& path, QString* error);
