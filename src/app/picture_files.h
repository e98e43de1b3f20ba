#pragma once
#include <QByteArray>
#include <QString>

class QImage;

namespace app {

class PictureFrame;

// Where the product pictures live: one JPEG per item, named after its id, in the PICS folder
// of the data folder. An item's record keeps the relative form ".\PICS\<id>.jpg"; both that
// form and the program-folder form are resolved against the data folder, whatever the
// process's current folder is.
class PictureFiles {
public:
    explicit PictureFiles(QString dataFolder);

    // ".\PICS\17.jpg": the text an item's record keeps for its picture.
    static QString storedPath(int itemId);
    // The file a stored relative path (".\PICS\17.jpg" or "./PICS/17.jpg") names.
    QString resolve(const QString& stored) const;
    // The same file reached from the program folder: "<data folder>/PICS/17.jpg".
    QString fileOf(int itemId) const;
    // Creates the PICS folder when it is missing, so a stored picture always has a file.
    void ensureFolder() const;

private:
    QString dataFolder_;
};

// Shows the JPEG file in the frame when it exists and can be read; otherwise the frame
// shows no picture, never the one of the item shown before. A file already shown (same path, size and time) is not read
// again unless asked to (a file just replaced). Answers whether the frame now shows the file.
bool showPictureFile(PictureFrame& frame, const QString& path, bool reread = false);

// Stores a chosen picture file as an item's picture file: a JPEG unchanged, a picture in
// another format (PNG, WebP, BMP, …) converted to JPEG. Fails with a message for the
// operator when the file cannot be read as a picture.
void storePictureFile(const QString& chosen, const QString& target);
// The JPEG bytes a chosen picture file gives: a JPEG's own, any other picture converted.
QByteArray pictureFileAsJpeg(const QString& chosen);

// The picture shown before any item's picture is loaded, stored with the program.
QImage samplePicture();

} // namespace app
