#include "printed_sheet.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>

namespace testing_support {

namespace {

constexpr double kMmPerPoint = 25.4 / 72;

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString unescaped(QString text)
{
    return text.replace(QLatin1StringView("&lt;"), QLatin1StringView("<"))
        .replace(QLatin1StringView("&gt;"), QLatin1StringView(">"))
        .replace(QLatin1StringView("&quot;"), QLatin1StringView("\""))
        .replace(QLatin1StringView("&apos;"), QLatin1StringView("'"))
        .replace(QLatin1StringView("&amp;"), QLatin1StringView("&"));
}

} // namespace

QList<SheetWord> sheetWords(const QString& pdf)
{
    const QString html = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression pageOrWord(
        QStringLiteral("<page |<word xMin=\"([-0-9.]+)\" yMin=\"([-0-9.]+)\" xMax=\"([-0-9.]+)\" yMax=\"([-0-9.]+)\">([^<]*)</word>"));
    QList<SheetWord> words;
    int page = 0;
    for (auto it = pageOrWord.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith(QLatin1StringView("<page"))) {
            ++page;
            continue;
        }
        words.append({unescaped(m.captured(5)), m.captured(1).toDouble() * kMmPerPoint,
                      m.captured(2).toDouble() * kMmPerPoint, m.captured(3).toDouble() * kMmPerPoint,
                      m.captured(4).toDouble() * kMmPerPoint, page});
    }
    return words;
}

const SheetWord* findWord(const QList<SheetWord>& words, const QString& text, bool part)
{
    const auto found = std::find_if(words.cbegin(), words.cend(), [&](const SheetWord& w) {
        return part ? w.text.contains(text) : w.text == text;
    });
    return found == words.cend() ? nullptr : &*found;
}

QImage sheetPicture(const QString& pdf, int page, int dpi)
{
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                                      QString::number(page), QStringLiteral("-l"), QString::number(page),
                                      QStringLiteral("-singlefile"), QStringLiteral("-gray"), QStringLiteral("-png"),
                                      pdf, base});
    return QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_Grayscale8);
}

bool inkedAt(const QImage& picture, int dpi, double xMm, double yMm)
{
    const int x = int(xMm / 25.4 * dpi), y = int(yMm / 25.4 * dpi);
    return picture.valid(x, y) && qGray(picture.pixel(x, y)) < 128;
}

InkBox inkBox(const QImage& picture, int dpi, double leftMm, double topMm, double rightMm, double bottomMm)
{
    const double perMm = dpi / 25.4;
    const int x0 = std::max(0, int(leftMm * perMm)), x1 = std::min(picture.width(), int(rightMm * perMm));
    const int y0 = std::max(0, int(topMm * perMm)), y1 = std::min(picture.height(), int(bottomMm * perMm));
    int left = -1, top = -1, right = -1, bottom = -1;
    for (int y = y0; y < y1; ++y) {
        const uchar* line = picture.constScanLine(y);
        for (int x = x0; x < x1; ++x) {
            if (line[x] >= 128)
                continue;
            if (top < 0)
                top = y;
            bottom = y;
            left = left < 0 ? x : std::min(left, x);
            right = std::max(right, x);
        }
    }
    if (top < 0)
        return {};
    return {left / perMm, top / perMm, (right + 1) / perMm, (bottom + 1) / perMm};
}

} // namespace testing_support
