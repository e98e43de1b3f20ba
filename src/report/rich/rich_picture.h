#pragma once

// A picture standing in rich text as one character: its stored bytes, the sizes its RTF
// gave, and the size it is shown at.

#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <memory>

namespace report::rich {

struct RichPicture {
    enum class Kind : std::uint8_t { Png, Jpeg, Other };
    Kind kind = Kind::Other;
    QByteArray kindWord; // the control word that named another kind ("wmetafile8"), written back as read
    QByteArray data;
    int picw = 0; // the picture's own size as its writer gave it
    int pich = 0;
    int goalWidth = 0; // twips; 0 when not given
    int goalHeight = 0;
    int scaleX = 100; // percent
    int scaleY = 100;
    int width = 0; // as shown, twips
    int height = 0;

    bool operator==(const RichPicture&) const = default;
};

// The largest side a picture is shown with: 22 inches in twips.
constexpr int kMaxPictureTwips = 31680;

// Clamps the sizes and scales to sound values and works out the shown size: the goal size,
// else the picture's own size at 96 dpi, scaled; 0 where neither is known.
void settlePicture(RichPicture& picture);

// The picture as an image; a null image for other kinds and for data that does not decode.
QImage decodePicture(const RichPicture& picture);

// A shared, immutable picture that compares by content, so formats holding one compare
// equal after a write and a read.
class PictureRef {
public:
    PictureRef() = default;
    explicit PictureRef(RichPicture picture) : p_(std::make_shared<const RichPicture>(std::move(picture))) {}
    explicit operator bool() const { return bool(p_); }
    const RichPicture& operator*() const { return *p_; }
    const RichPicture* operator->() const { return p_.get(); }
    bool operator==(const PictureRef& other) const { return p_ == other.p_ || (p_ && other.p_ && *p_ == *other.p_); }

private:
    std::shared_ptr<const RichPicture> p_;
};

} // namespace report::rich
