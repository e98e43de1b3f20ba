#pragma once
// A PDF read back as a customer gets it: its words with their boxes (pdftotext -bbox) and
// its pages as pictures (pdftoppm), both through poppler's own tools.
#include <QImage>
#include <QList>
#include <QString>

namespace testing_support {

// A word of a page, its box in millimetres from the page's top left corner.
struct SheetWord {
    QString text;
    double left = 0, top = 0, right = 0, bottom = 0;
    int page = 1;
};

// Every word of every page, in the order pdftotext lists them. Empty when the file cannot
// be read.
QList<SheetWord> sheetWords(const QString& pdf);

// The first word whose text equals `text` (or contains it, with `part`); nullptr for none.
const SheetWord* findWord(const QList<SheetWord>& words, const QString& text, bool part = false);

// One page (1-based) drawn at `dpi`, in grey; a null image when it cannot be drawn.
QImage sheetPicture(const QString& pdf, int page, int dpi);

// True when the pixel at the millimetre position is dark enough to be ink.
bool inkedAt(const QImage& picture, int dpi, double xMm, double yMm);

// The rows of ink inside a rectangle of millimetres: the first and last dark row and the
// leftmost and rightmost dark column, in millimetres; all -1 when there is no ink.
struct InkBox {
    double left = -1, top = -1, right = -1, bottom = -1;
    bool empty() const { return top < 0; }
};
InkBox inkBox(const QImage& picture, int dpi, double leftMm, double topMm, double rightMm, double bottomMm);

} // namespace testing_support
