#pragma once

// The reference device: the one place where characters are measured for layout. Fonts are
// sized in pixels of a 600 dpi device, so results do not depend on the screen, the printer or
// the Qt platform plugin. Used from the thread that runs reports only.

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <array>
#include <map>
#include <memory>
#include <tuple>

namespace report {

constexpr int kReferenceDpi = 600;
constexpr double kReferencePerUnit = 6.25; // 600 reference pixels / 96 report units per inch

// Whole reference pixels of the characters of one font, measured one by one and kept.
class WidthTable {
public:
    explicit WidthTable(const QFont& font);

    int width(char16_t c)
    {
        Page* page = pages_[c >> 8].get();
        if (!page)
            page = newPage(c >> 8);
        int& w = (*page)[c & 0xFF];
        if (w < 0)
            w = measure(c);
        return w;
    }
    // A character outside the basic plane, given as its surrogate pair.
    int widthOfPair(char16_t high, char16_t low);

private:
    using Page = std::array<int, 256>;
    Page* newPage(int index);
    int measure(char16_t c) const;

    QFontMetricsF metrics_;
    std::array<std::unique_ptr<Page>, 256> pages_;
};

class ReferenceDevice {
public:
    static ReferenceDevice& instance();

    // The table of a font family at a reference pixel height with bold and italic as given;
    // it lives as long as the process.
    WidthTable& table(const QString& family, int pixelHeight, bool bold, bool italic);

    // A font set up for measuring or drawing character by character.
    static QFont makeFont(const QString& family, int pixelHeight, bool bold, bool italic);

    // The family name that stands for `family` in the kept fonts: the first name seen of
    // those that resolve to the same installed family, style and weight with the same
    // substitutes. Every
    // kept font holds a font engine, and hostile text may name thousands of unknown
    // families, which all fall to one font.
    QString sharedFamily(const QString& family);

private:
    ReferenceDevice();
    using Key = std::tuple<QString, int, bool, bool>;
    std::map<Key, std::unique_ptr<WidthTable>> tables_;
    std::map<QString, QString> sharedByName_;     // a bounded memo of the names seen
    std::map<QString, QString> sharedByResolved_; // resolved family and substitutes → name
};

} // namespace report
