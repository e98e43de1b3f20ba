// Pictures in rich text: read from PNG and JPEG blips, drawn inline at their goal size,
// wrapped like a character, and kept through write-back, editing and splitting.
#include "rich_fixture.h"

#include "platform/jpeg_codec.h"
#include "report/rich/rich_layout.h"
#include "report/rich/rich_view.h"
#include "report/rich/rtf_reader.h"
#include "report/rich/rtf_writer.h"

#include <QBuffer>

#include <gtest/gtest.h>
#include <memory>

using namespace report;
using namespace rich_test;

namespace {

constexpr double kScale = 2;

QByteArray pngOf(QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// "AB", a picture group, "C".
QByteArray rtfWithPicture(const QByteArray& pictWords, const QByteArray& data)
{
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Arial;}}\\f0\\fs24 AB{\\pict" + pictWords + "\r\n"
           + data.toHex() + "}C\\par}";
}

// The bounding box of the pixels of one colour.
QRect colourRect(const QImage& image, QRgb colour)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                r |= QRect(x, y, 1, 1);
    return r;
}

std::unique_ptr<TfrxRichView> box(const QByteArray& rtf, double width = 300, double height = 60)
{
    auto view = std::make_unique<TfrxRichView>();
    view->SetBounds(0, 0, width, height);
    view->RichText = rtf;
    return view;
}

quint32 crc32(QByteArrayView bytes)
{
    quint32 c = 0xFFFFFFFF;
    for (const char b : bytes) {
        c ^= uchar(b);
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

int pictureAt(const rich::RichDocument& doc) { return int(doc.text().indexOf(QChar(rich::RichDocument::kObjectCharacter))); }

} // namespace

// A PNG with goal sizes is drawn at that size (600 × 300 twips = 40 × 20 units) on the
// baseline after "AB", raises its line, and "C" follows it.
TEST(RichPicture, PngIsDrawnInlineAtItsGoalSize)
{
    const QByteArray rtf = rtfWithPicture("\\pngblip\\picw20\\pich10\\picwgoal600\\pichgoal300",
                                          pngOf({20, 10}, Qt::red));
    const rich::RichDocument doc = rich::readRtf(rtf);
    ASSERT_EQ(doc.plainText(), QStringLiteral("AB\uFFFCC"));

    auto view = box(rtf);
    const QImage drawn = render(*view, kScale);
    const QRect red = colourRect(drawn, qRgb(255, 0, 0));
    ASSERT_FALSE(red.isEmpty());
    EXPECT_NEAR(red.width(), 40 * kScale, 1);
    EXPECT_NEAR(red.height(), 20 * kScale, 1);
    // The picture is taller than the text's ascent: it starts at the line's top (the gap).
    EXPECT_NEAR(red.top(), view->GapY * kScale, 1);

    // "AB" stands left of it on the same baseline, "C" right of it.
    const rich::RichLayout layout = rich::layOutRich(doc, 5000);
    ASSERT_EQ(layout.lines.size(), 1u);
    EXPECT_NEAR(red.left(), (view->GapX + layout.x[2] / rich::kReferencePerUnit) * kScale, 1);
    EXPECT_EQ(layout.x[3], layout.x[2] + 250); // 600 twips
    EXPECT_EQ(layout.lines[0].baseline, 125);
    const QImage left = drawn.copy(0, 0, red.left(), drawn.height());
    const QImage right = drawn.copy(red.right() + 1, 0, drawn.width() - red.right() - 1, drawn.height());
    EXPECT_GT(inkCount(left), 0);
    EXPECT_GT(inkCount(right), 0);
    EXPECT_NEAR(inkRect(left).bottom(), red.bottom(), 2 * kScale); // on the baseline

    // The object grows with its line: 137 reference pixels of 2.4 twips = 22 units.
    EXPECT_EQ(richCalcHeight(*view), 22 + 2 * view->GapY + 2);
}

// Without goal sizes a picture takes its own size at 96 dpi, scaled by \picscalex/y; a
// JPEG from \bin data draws too.
TEST(RichPicture, OwnSizeScalingAndJpegFromBinaryData)
{
    auto scaled = box(rtfWithPicture("\\pngblip\\picscalex200\\picscaley50", pngOf({10, 30}, Qt::blue)));
    const QRect blue = colourRect(render(*scaled, kScale), qRgb(0, 0, 255));
    EXPECT_NEAR(blue.width(), 20 * kScale, 1);
    EXPECT_NEAR(blue.height(), 15 * kScale, 1);

    QImage green(16, 8, QImage::Format_RGB32);
    green.fill(qRgb(0, 200, 0));
    const QByteArray jpeg = platform::encodeJpeg(green, 100);
    const QByteArray rtf = "{\\rtf1 x{\\pict\\jpegblip\\picwgoal480\\pichgoal240\\bin" + QByteArray::number(jpeg.size())
                           + " " + jpeg + "}y}";
    const rich::RichDocument doc = rich::readRtf(rtf);
    ASSERT_EQ(pictureAt(doc), 1);
    EXPECT_EQ(doc.formatAt(1).picture->data, jpeg);
    auto view = box(rtf);
    const QImage drawn = render(*view, kScale);
    int greenish = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            greenish += qGreen(drawn.pixel(x, y)) > 150 && qRed(drawn.pixel(x, y)) < 80 ? 1 : 0;
    EXPECT_NEAR(greenish, 32 * 16 * kScale * kScale, 32 * kScale * 2);
}

// Other kinds, undecodable data and hostile sizes keep a bounded empty box.
TEST(RichPicture, OtherKindsAndBadDataKeepAnEmptyBox)
{
    const auto widthOf = [](const QByteArray& rtf) {
        const rich::RichDocument doc = rich::readRtf(rtf);
        const int at = pictureAt(doc);
        EXPECT_GE(at, 0);
        const rich::RichLayout layout = rich::layOutRich(doc, 1'000'000);
        return layout.x[std::size_t(at) + 1] - layout.x[std::size_t(at)];
    };
    EXPECT_EQ(widthOf(rtfWithPicture("\\wmetafile8\\picw100\\pich100\\picwgoal1440\\pichgoal720", "\x01\x02")), 600);
    EXPECT_EQ(widthOf(rtfWithPicture("\\emfblip", "abc")), 0); // no goal, no size of its own
    EXPECT_EQ(widthOf(rtfWithPicture("\\pngblip\\picwgoal999999999\\pichgoal-5\\picscalex99999", "")),
              rich::twipsToReference(rich::kMaxPictureTwips));

    // A picture at the largest size draws clipped to its object, at printer resolution too.
    auto huge = box("{\\rtf1{\\pict\\pngblip\\picwgoal999999\\pichgoal999999 " + pngOf({2, 2}, Qt::red).toHex() + "}}");
    const QImage printed = render(*huge, 600 / 96.0);
    EXPECT_EQ(colourRect(printed, qRgb(255, 0, 0)).bottom(), printed.height() - 1);

    // Of two kinds named, the last counts, and a write and read keep it so.
    const rich::RichDocument twice = rich::readRtf(rtfWithPicture("\\wmetafile8\\pngblip", "\x01"));
    EXPECT_EQ(twice.formatAt(2).picture->kind, rich::RichPicture::Kind::Png);
    EXPECT_EQ(rich::readRtf(rich::writeRtf(twice)), twice);

    // Damaged PNG bytes with a goal: the box is kept, nothing drawn, the text around drawn.
    QByteArray damaged = pngOf({20, 10}, Qt::red);
    damaged.truncate(damaged.size() / 2);
    auto view = box(rtfWithPicture("\\pngblip\\picwgoal600\\pichgoal300", damaged));
    const QImage drawn = render(*view, kScale);
    EXPECT_TRUE(colourRect(drawn, qRgb(255, 0, 0)).isEmpty());
    EXPECT_GT(inkCount(drawn), 0);

    // A PNG whose header claims 32767 × 32767 pixels is not decoded; its size is clamped.
    rich::RichPicture vast;
    vast.kind = rich::RichPicture::Kind::Png;
    vast.data = pngOf({1, 1}, Qt::red);
    for (const int at : {16, 20}) { // width and height of the header chunk
        vast.data[at + 2] = char(0x7f);
        vast.data[at + 3] = char(0xff);
    }
    const quint32 crc = crc32(QByteArrayView(vast.data).sliced(12, 17));
    for (int i = 0; i < 4; ++i)
        vast.data[29 + i] = char(crc >> (24 - 8 * i));
    EXPECT_TRUE(rich::decodePicture(vast).isNull());
    rich::settlePicture(vast);
    EXPECT_EQ(vast.width, rich::kMaxPictureTwips);
}

// A picture wraps like a character: at a width just short of "AB" and the picture, the
// picture starts the second line.
// More pictures than a document keeps formats for: every picture shown is its own, never
// another's data, and the text after them is all there.
TEST(RichPicture, PicturesPastTheKeptFormatsNeverShowAnothersData)
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Arial;}}\\f0 ";
    for (int i = 0; i < 4300; ++i)
        rtf += "{\\pict\\wmetafile8\\picwgoal20\\pichgoal20 " + QByteArray::number(i).toHex() + "}";
    rtf += " end\\par}";
    const rich::RichDocument doc = rich::readRtf(rtf);
    int next = 0;
    for (int i = 0; i < doc.length(); ++i) {
        if (doc.text()[i] != rich::RichDocument::kObjectCharacter)
            continue;
        ASSERT_TRUE(doc.formatAt(i).picture);
        const int number = doc.formatAt(i).picture->data.toInt();
        ASSERT_GE(number, next) << "a picture shown twice or out of order at " << i;
        ASSERT_EQ(doc.formatAt(i).picture->data, QByteArray::number(number));
        next = number + 1;
    }
    EXPECT_GT(next, 4000);
    EXPECT_TRUE(doc.plainText().endsWith(QStringLiteral(" end")));
}

TEST(RichPicture, WrapsLikeACharacter)
{
    const rich::RichDocument doc =
        rich::readRtf(rtfWithPicture("\\pngblip\\picwgoal600\\pichgoal300", pngOf({4, 4}, Qt::red)));
    const rich::RichLayout wide = rich::layOutRich(doc, 5000);
    const int needed = wide.x[3] - wide.x[0];
    const rich::RichLayout narrow = rich::layOutRich(doc, needed - 1);
    ASSERT_GE(narrow.lines.size(), 2u);
    EXPECT_EQ(narrow.lines[1].start, 2);
    EXPECT_LT(narrow.lines[0].height, narrow.lines[1].height); // only the second line grows
}

// The picture survives writing RTF and reading it back, editing around it, and the
// remainder of a split that travels as RTF.
TEST(RichPicture, SurvivesWriteBackEditingAndSplitting)
{
    const QByteArray png = pngOf({20, 10}, Qt::red);
    const rich::RichDocument doc =
        rich::readRtf(rtfWithPicture("\\pngblip\\picw20\\pich10\\picwgoal600\\pichgoal300\\picscalex50", png));
    const rich::RichDocument back = rich::readRtf(rich::writeRtf(doc));
    EXPECT_EQ(back, doc);
    ASSERT_TRUE(back.formatAt(2).picture);
    EXPECT_EQ(back.formatAt(2).picture->data, png);
    EXPECT_EQ(back.formatAt(2).picture->width, 300);
    EXPECT_EQ(rich::readRtf(rich::writeRtf(doc, 2, 3)).formatAt(0).picture, doc.formatAt(2).picture);

    // Text typed over the picture is text, not more pictures; the picture's place goes.
    rich::RichDocument edited = doc;
    edited.replace(2, 1, QStringLiteral("xy"));
    EXPECT_EQ(edited.plainText(), "ABxyC");
    for (int i = 0; i < edited.length(); ++i)
        EXPECT_FALSE(edited.formatAt(i).picture);
    rich::RichDocument cut = doc;
    cut.truncate(3);
    cut.replace(cut.length(), 0, QStringLiteral("z"));
    EXPECT_FALSE(cut.formatAt(3).picture);

    // Split over two parts: the picture's paragraph comes in the remainder, whole.
    QByteArray rtf = "{\\rtf1\\fs24 one\\par two\\par three\\par four{\\pict\\pngblip\\picwgoal300\\pichgoal300 "
                     + png.toHex() + "}\\par}";
    auto view = box(rtf, 300, 16 * 2 + 5);
    richInitPart(*view);
    richDrawPart(*view);
    EXPECT_EQ(richContent(*view).plainText(), "one\r\ntwo");
    const rich::RichDocument rest = rich::readRtf(view->PartRemainder);
    const int at = pictureAt(rest);
    ASSERT_GE(at, 0);
    EXPECT_EQ(rest.formatAt(at).picture->data, png);
    EXPECT_EQ(rest.formatAt(at).picture->height, 300);
}

// Word writes a picture twice: the one in \shppict is shown, the \nonshppict copy for
// older readers is not; a picture inside the font table or a field instruction is no text.
TEST(RichPicture, WordsTwoCopiesGiveOnePicture)
{
    const QByteArray png = pngOf({3, 2}, Qt::red);
    const rich::RichDocument doc = rich::readRtf(
        "{\\rtf1{\\fonttbl{\\f0 A{\\pict\\pngblip 00};}}a{\\*\\shppict{\\pict{\\*\\picprop{\\sp{\\sn x}{\\sv 1}}}"
        "\\pngblip\\picwgoal45\\pichgoal30 " + png.toHex() + "}}{\\nonshppict{\\pict\\wmetafile8 0102}}"
        "{\\field{\\*\\fldinst {INCLUDEPICTURE {\\pict\\pngblip 00}}}{\\fldrslt b}}\\par}");
    EXPECT_EQ(doc.plainText(), QStringLiteral("a\uFFFCb"));
    EXPECT_EQ(doc.formatAt(1).picture->data, png);
    EXPECT_EQ(doc.formatAt(0).face, "A");
}
