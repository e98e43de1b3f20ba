// The picture export filter: every page drawn by PaintPage on a white picture at the
// chosen resolution, one PNG file per page. All pictures are written to temporary files
// first and renamed into place at the end, so a stopped or failed export changes no file.

#include "report/pages/detail/export_paper.h"
#include "report/pages/preview_pages.h"
#include "report/model/frx_pages.h"
#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/file_failure.h"

#include <QImage>
#include <QPainter>
#include <cmath>
#include <memory>
#include <vector>

namespace report {

namespace {

constexpr int kMinDpi = 1;
constexpr int kMaxDpi = 2400;
constexpr double kScreenDpi = 96;
// Larger pictures are refused rather than left to fail in the allocator.
constexpr qint64 kMaxPictureBytes = qint64(1) << 30;
constexpr int kMaxPictureSide = 32767;

QString pageFileName(const QString& pattern, int pageNumber)
{
    QString name = pattern;
    return name.replace(QLatin1StringView("%d"), QString::number(pageNumber));
}

// A name without "%d" for several pages: each page beside it, numbered before the
// extension ("sheet.png" gives "sheet-1.png", "sheet-2.png", ...).
QString numberedBeside(const QString& fileName, int pageNumber)
{
    const qsizetype slash = fileName.lastIndexOf(u'/');
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const qsizetype end = dot > slash + 1 ? dot : fileName.size();
    return fileName.left(end) + u'-' + QString::number(pageNumber) + fileName.mid(end);
}

QImage drawPage(TfrxPreviewPages& pages, int index, int dpi)
{
    const TfrxReportPage* page = pages.GetPreparedPage(index);
    const QSizeF paper = page ? detail::paperMillimetres(*page) : QSizeF(210, 297);
    const qint64 width = std::max<qint64>(1, std::llround(paper.width() / 25.4 * dpi));
    const qint64 height = std::max<qint64>(1, std::llround(paper.height() / 25.4 * dpi));
    if (width > kMaxPictureSide || height > kMaxPictureSide || width * height * 4 > kMaxPictureBytes)
        throw platform::Error(QStringLiteral("第 %1 页太大，无法按 %2 dpi 生成图片").arg(index + 1).arg(dpi));
    QImage image(int(width), int(height), QImage::Format_RGB32);
    if (image.isNull())
        throw platform::Error(QStringLiteral("内存不足，无法生成第 %1 页的图片").arg(index + 1));
    image.fill(Qt::white);
    const int dotsPerMetre = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const double scale = dpi / kScreenDpi;
    pages.PaintPage(index, painter, scale, scale, 0, 0, TfrxPreviewPages::Output::Paper);
    return image;
}

// Pictures written so far, each in its temporary file until all are put in place.
class PendingFiles {
public:
    void write(const QImage& image, const QString& target)
    {
        auto file = std::make_unique<platform::AtomicFile>(target);
        if (!image.save(file.get(), "PNG") && !file->writeFailed())
            platform::throwWriteFailure(target, QStringLiteral("无法生成PNG图片"));
        file->finish(); // one open file at a time, however many pages
        files_.push_back(std::move(file));
    }

    // Into place, each replacing an earlier file of its name.
    void commit()
    {
        for (const auto& file : files_)
            file->commit();
    }

private:
    std::vector<std::unique_ptr<platform::AtomicFile>> files_;
};

class PngExport final : public TfrxPageExport {
public:
    QString Name() const override { return QStringLiteral("png"); }
    QString FileFilter() const override { return QStringLiteral("PNG (*.png)"); }

    bool Export(TfrxPreviewPages& pages, const QString& fileName, const TfrxExportSettings& settings) const override
    {
        if (settings.Dpi < kMinDpi || settings.Dpi > kMaxDpi)
            throw platform::Error(
                QStringLiteral("分辨率应在 %1 到 %2 dpi 之间，不能是 %3").arg(kMinDpi).arg(kMaxDpi).arg(settings.Dpi));
        const QList<int> list = detail::exportedPages(pages, settings);
        if (list.isEmpty())
            platform::throwWriteFailure(fileName, QStringLiteral("报表没有页"));
        const bool numbered = fileName.contains(QLatin1StringView("%d"));
        const auto nameOf = [&](int index) {
            if (numbered)
                return pageFileName(fileName, index + 1);
            return list.size() > 1 ? numberedBeside(fileName, index + 1) : fileName;
        };
        PendingFiles files;
        int done = 0;
        for (const int index : list) {
            files.write(drawPage(pages, index, settings.Dpi), nameOf(index));
            if (!detail::reportProgress(settings, ++done, int(list.size())))
                return false;
        }
        files.commit();
        return true;
    }
};

} // namespace

const TfrxPageExport& pngExport()
{
    static const PngExport filter;
    return filter;
}

} // namespace report
