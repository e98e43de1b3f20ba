#pragma once

// Value records owned by report objects: frame, display format, highlight and the four
// option records of the report. Published fields get their values on creation from the
// property tables.

#include "report/model/frx_font.h"
#include "report/model/frx_types.h"

#include <QString>
#include <QStringList>

namespace report {

class TfrxFrame;

// One border; its values are stored only where they differ from the whole frame's.
class TfrxFrameLine : public TfrxPersistent {
public:
    TfrxFrameLine();
    static const ClassInfo& staticClassInfo();
    const ClassInfo& classInfo() const override { return staticClassInfo(); }
    const TfrxFrame* frame() const;

    TColor Color{};
    TfrxFrameStyle Style{};
    double Width{};
};

class TfrxFrame : public TfrxPersistent {
public:
    TfrxFrame();
    TfrxFrame(const TfrxFrame& other);
    TfrxFrame& operator=(const TfrxFrame& other);
    static const ClassInfo& staticClassInfo();
    const ClassInfo& classInfo() const override { return staticClassInfo(); }

    // Assigning the colour, style or width of the frame assigns it to all four lines.
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TfrxFrameStyle Style() const { return style_; }
    void SetStyle(TfrxFrameStyle style);
    double Width() const { return width_; }
    void SetWidth(double width);

    int Typ{}; // TfrxFrameType bits
    bool DropShadow{};
    TColor ShadowColor{};
    double ShadowWidth{};

    TfrxFrameLine& LeftLine() { return left_; }
    TfrxFrameLine& TopLine() { return top_; }
    TfrxFrameLine& RightLine() { return right_; }
    TfrxFrameLine& BottomLine() { return bottom_; }
    const TfrxFrameLine& LeftLine() const { return left_; }
    const TfrxFrameLine& TopLine() const { return top_; }
    const TfrxFrameLine& RightLine() const { return right_; }
    const TfrxFrameLine& BottomLine() const { return bottom_; }

private:
    void adoptLines();
    TColor color_{};
    TfrxFrameStyle style_{};
    double width_{};
    TfrxFrameLine left_, top_, right_, bottom_;
};

class TfrxFormat : public TfrxPersistent {
public:
    TfrxFormat();
    static const ClassInfo& staticClassInfo();
    const ClassInfo& classInfo() const override { return staticClassInfo(); }

    QString DecimalSeparator;
    QString FormatStr;
    TfrxFormatKind Kind{};
};

class TfrxHighlight : public TfrxPersistent {
public:
    TfrxHighlight();
    static const ClassInfo& staticClassInfo();
    const ClassInfo& classInfo() const override { return staticClassInfo(); }

    bool Active{};
    TColor Color{};
    QString Condition;
    TfrxFont& Font() { return font_; }
    const TfrxFont& Font() const { return font_; }

private:
    TfrxFont font_;
};

// Resets a record to its values on creation (its owner stays).
template <class Record>
void resetRecord(Record& record)
{
    record = Record();
}

class TfrxEngineOptions : public TfrxPersistent {
public:
    TfrxEngineOptions();
    static const ClassInfo& staticClassInfo();
    const ClassInfo& classInfo() const override { return staticClassInfo(); }

    bool ConvertNulls{};
    bool DoublePass{};
    int MaxMemSize{};
    bool PrintIfEmpty{};
    TfrxSilentMode NewSilentMode{};
    // A boolean view of NewSilentMode.
    bool SilentMode() const { return NewSilentMode == TfrxSilentMode::simSilent; }
    void SetSilentMode(bool silent);
    QString TempDir;
    bool UseFileCache{};

    // Not stored with templates.
    bool DestroyForms = true;
    bool EnableThreadSafe = false;
    // Preparation saves the template before the run and loads it back afterwards.
    bool ReportRestoreTemplate = true;
};

class TfrxPreviewOptions : public TfrxPersistent {
public:
    TfrxPreviewOptions();
    static const ClassInfo& staticClassInfo();
    const ClassInfo& classInfo() const override { return staticClassInfo(); }

    static constexpr int allButtonsButNoClose = (1 << 12) - 1;

    bool AllowEdit{};
    int Buttons {}; // TfrxPreviewButton bits
    bool DoubleBuffered{};
    bool Maximized{};
    bool MDIChild{};
    bool Modal{};
    bool OutlineExpand{};
    bool OutlineVisible{};
    int OutlineWidth{};
    bool ShowCaptions{};
    double Zoom{};
    TfrxZoomMode ZoomMode{};
};

class TfrxPrintOptions : public TfrxPersistent {
public:
    TfrxPrintOptions();
    static const ClassInfo& staticClassInfo();
    const ClassInfo& classInfo() const override { return staticClassInfo(); }

    int Copies{};
    bool Collate{};
    QString PageNumbers;
    QString Printer; // the text of "prDefault" on creation
    TfrxPrintMode PrintMode{};
    int PrintOnSheet{};
    TfrxPrintPages PrintPages{};
    bool Reverse{};
    bool ShowDialog{};
};

class TfrxReportOptions : public TfrxPersistent {
public:
    TfrxReportOptions();
    static const ClassInfo& staticClassInfo();
    const ClassInfo& classInfo() const override { return staticClassInfo(); }

    QString Author;
    bool Compressed{};
    QString ConnectionName;
    double CreateDate{}; // days since 30 December 1899
    QStringList Description;
    QString InitString;
    double LastChange{};
    QString Name;
    QString Password;
    QByteArray Picture; // the picture's file bytes, empty for none
    QString VersionBuild;
    QString VersionMajor;
    QString VersionMinor;
    QString VersionRelease;
};

// The current date and time as days since 30 December 1899 (local time).
double nowAsDateTime();

} // namespace report
