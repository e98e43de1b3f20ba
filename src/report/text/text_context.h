#pragma once

// What text objects share while a report runs: the layout object they measure and draw with
// (one per report, plus a global one for objects outside any report) and the values filled
// into their text when it is drawn.

#include <QString>
#include <memory>
#include <optional>

namespace report {

class TfrxComponent;
class TfrxDrawText;

class TfrxTextContext {
public:
    // A context with a layout object of its own.
    TfrxTextContext();
    ~TfrxTextContext();
    TfrxTextContext(const TfrxTextContext&) = delete;
    TfrxTextContext& operator=(const TfrxTextContext&) = delete;

    // The context of objects that belong to no report; it uses TfrxDrawText::global().
    static TfrxTextContext& global();
    // The context of the object's report, or the global one.
    static TfrxTextContext& of(const TfrxComponent& object);

    TfrxDrawText& drawText() const { return *drawText_; }

    // Filled into the first "[TotalPages#]" and "[CopyName#]" of a text when it is drawn
    // outside the designer; while unset the placeholder is drawn as written.
    std::optional<int> TotalPages;
    std::optional<QString> CopyName; // the copy's name and number, as printing makes it
    // Enlarges printer fonts (1 = as designed).
    double PrintScale = 1;

    // The text with the draw-time placeholders filled in.
    QString fillPlaceholders(const QString& text) const;

private:
    explicit TfrxTextContext(TfrxDrawText& shared);
    std::unique_ptr<TfrxDrawText> owned_;
    TfrxDrawText* drawText_;
};

} // namespace report
