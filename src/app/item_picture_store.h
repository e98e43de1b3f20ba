#pragma once
#include <QByteArray>
#include <QString>

class QImage;
namespace db { class Connection; }

namespace app {

class PictureFrame;

// An item's product picture wherever its catalogue keeps it: in the catalogue itself (table
// PICTURE) when the catalogue is on a server, so every workstation sees it; as the JPEG file
// PICS/<id>.jpg in the data folder beside a catalogue file. The picture commands, the record
// panel and the grid's arrow keys go through it and never ask which one it is.
class ItemPictureStore {
public:
    ItemPictureStore(db::Connection& connection, QString dataFolder);

    bool inCatalogue() const { return inCatalogue_; }
    bool has(int itemId) const;
    // The JPEG bytes; empty when the item has no picture.
    QByteArray bytes(int itemId) const;
    // The picture decoded; fails when it cannot be read as a JPEG.
    QImage picture(int itemId) const;
    // Stores JPEG bytes as they are (a file is replaced as a whole).
    void store(int itemId, const QByteArray& jpeg);
    // Stores a chosen picture file: a JPEG byte for byte, another format converted to JPEG;
    // fails with a message for the operator when it is no readable picture.
    void storeFile(int itemId, const QString& chosen);
    void remove(int itemId);
    // Shows the item's picture in the frame; an item without a readable one shows none, never
    // the picture of the item shown before. Answers whether it shows one.
    bool show(PictureFrame& frame, int itemId, bool reread = false) const;

private:
    db::Connection& connection_;
    QString dataFolder_;
    bool inCatalogue_;
};

} // namespace app
