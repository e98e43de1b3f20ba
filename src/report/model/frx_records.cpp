#include "report/model/frx_records.h"

#include "report/frx_resources.h"
#include "report/model/detail/prop_builders.h"

#include <QDateTime>
#include <cmath>

namespace report {

using namespace detail;

// ---- frame ----

namespace {
template <auto Member, auto FrameValue>
bool differsFromFrame(const TfrxPersistent& o)
{
    const auto& line = static_cast<const TfrxFrameLine&>(o);
    const TfrxFrame* frame = line.frame();
    if (!frame)
        return true;
    if constexpr (std::is_same_v<std::remove_cvref_t<decltype(line.*Member)>, double>)
        return std::abs(line.*Member - (frame->*FrameValue)()) >= 1e-6;
    else
        return line.*Member != (frame->*FrameValue)();
}
} // namespace

const ClassInfo& TfrxFrameLine::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxFrameLine", nullptr, {
            field<&TfrxFrameLine::Color>("Color", PropKind::Integer)
                .storedIf(differsFromFrame<&TfrxFrameLine::Color, &TfrxFrame::Color>),
            field<&TfrxFrameLine::Style>("Style", PropKind::Enum).enums(TfrxFrameStyleInfo)
                .storedIf(differsFromFrame<&TfrxFrameLine::Style, &TfrxFrame::Style>),
            field<&TfrxFrameLine::Width>("Width", PropKind::Float)
                .storedIf(differsFromFrame<&TfrxFrameLine::Width, &TfrxFrame::Width>),
        });
        return built;
    }();
    return info;
}

TfrxFrameLine::TfrxFrameLine() = default;

const TfrxFrame* TfrxFrameLine::frame() const
{
    return dynamic_cast<const TfrxFrame*>(owner());
}

const ClassInfo& TfrxFrame::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxFrame", nullptr, {
            access<&TfrxFrame::Color, &TfrxFrame::SetColor>("Color", PropKind::Integer).def(clBlack),
            field<&TfrxFrame::DropShadow>("DropShadow", PropKind::Boolean).def(false),
            field<&TfrxFrame::ShadowColor>("ShadowColor", PropKind::Integer).def(clBlack),
            field<&TfrxFrame::ShadowWidth>("ShadowWidth", PropKind::Float).def(4.0),
            access<&TfrxFrame::Style, &TfrxFrame::SetStyle>("Style", PropKind::Enum).enums(TfrxFrameStyleInfo).def(0),
            field<&TfrxFrame::Typ>("Typ", PropKind::Set).enums(TfrxFrameTypeInfo).def(0),
            access<&TfrxFrame::Width, &TfrxFrame::SetWidth>("Width", PropKind::Float).def(1.0),
            object<static_cast<TfrxFrameLine& (TfrxFrame::*)()>(&TfrxFrame::LeftLine)>("LeftLine"),
            object<static_cast<TfrxFrameLine& (TfrxFrame::*)()>(&TfrxFrame::TopLine)>("TopLine"),
            object<static_cast<TfrxFrameLine& (TfrxFrame::*)()>(&TfrxFrame::RightLine)>("RightLine"),
            object<static_cast<TfrxFrameLine& (TfrxFrame::*)()>(&TfrxFrame::BottomLine)>("BottomLine"),
        });
        return built;
    }();
    return info;
}

TfrxFrame::TfrxFrame()
{
    adoptLines();
    initProperties(*this, staticClassInfo());
}

TfrxFrame::TfrxFrame(const TfrxFrame& other)
    : TfrxPersistent(other), Typ(other.Typ), DropShadow(other.DropShadow), ShadowColor(other.ShadowColor),
      ShadowWidth(other.ShadowWidth), color_(other.color_), style_(other.style_), width_(other.width_),
      left_(other.left_), top_(other.top_), right_(other.right_), bottom_(other.bottom_)
{
    adoptLines();
}

TfrxFrame& TfrxFrame::operator=(const TfrxFrame& other)
{
    if (this == &other)
        return *this;
    Typ = other.Typ;
    DropShadow = other.DropShadow;
    ShadowColor = other.ShadowColor;
    ShadowWidth = other.ShadowWidth;
    color_ = other.color_;
    style_ = other.style_;
    width_ = other.width_;
    left_ = other.left_;
    top_ = other.top_;
    right_ = other.right_;
    bottom_ = other.bottom_;
    adoptLines();
    return *this;
}

void TfrxFrame::adoptLines()
{
    for (TfrxFrameLine* line : {&left_, &top_, &right_, &bottom_})
        line->setOwner(this);
}

void TfrxFrame::SetColor(TColor color)
{
    color_ = color;
    for (TfrxFrameLine* line : {&left_, &top_, &right_, &bottom_})
        line->Color = color;
}

void TfrxFrame::SetStyle(TfrxFrameStyle style)
{
    style_ = style;
    for (TfrxFrameLine* line : {&left_, &top_, &right_, &bottom_})
        line->Style = style;
}

void TfrxFrame::SetWidth(double width)
{
    width_ = width;
    for (TfrxFrameLine* line : {&left_, &top_, &right_, &bottom_})
        line->Width = width;
}

// ---- display format and highlight ----

const ClassInfo& TfrxFormat::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxFormat", nullptr, {
            field<&TfrxFormat::DecimalSeparator>("DecimalSeparator", PropKind::String),
            field<&TfrxFormat::FormatStr>("FormatStr", PropKind::String),
            field<&TfrxFormat::Kind>("Kind", PropKind::Enum).enums(TfrxFormatKindInfo).def(0),
        });
        return built;
    }();
    return info;
}

TfrxFormat::TfrxFormat()
{
    initProperties(*this, staticClassInfo());
}

const ClassInfo& TfrxHighlight::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxHighlight", nullptr, {
            field<&TfrxHighlight::Active>("Active", PropKind::Boolean).def(false),
            field<&TfrxHighlight::Color>("Color", PropKind::Integer).def(clTransparent),
            field<&TfrxHighlight::Condition>("Condition", PropKind::String),
            object<static_cast<TfrxFont& (TfrxHighlight::*)()>(&TfrxHighlight::Font)>("Font"),
        });
        return built;
    }();
    return info;
}

TfrxHighlight::TfrxHighlight()
{
    initProperties(*this, staticClassInfo());
    font_.SetColor(clRed);
    font_.setOwner(this);
}

// ---- option records ----

const ClassInfo& TfrxEngineOptions::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxEngineOptions", nullptr, {
            field<&TfrxEngineOptions::ConvertNulls>("ConvertNulls", PropKind::Boolean).def(true),
            field<&TfrxEngineOptions::DoublePass>("DoublePass", PropKind::Boolean).def(false),
            field<&TfrxEngineOptions::MaxMemSize>("MaxMemSize", PropKind::Integer).def(10),
            field<&TfrxEngineOptions::PrintIfEmpty>("PrintIfEmpty", PropKind::Boolean).def(true),
            field<&TfrxEngineOptions::NewSilentMode>("NewSilentMode", PropKind::Enum).enums(TfrxSilentModeInfo).def(0),
            access<&TfrxEngineOptions::SilentMode, &TfrxEngineOptions::SetSilentMode>("SilentMode", PropKind::Boolean)
                .storedIf(neverStored),
            field<&TfrxEngineOptions::TempDir>("TempDir", PropKind::String),
            field<&TfrxEngineOptions::UseFileCache>("UseFileCache", PropKind::Boolean).def(false),
        });
        return built;
    }();
    return info;
}

TfrxEngineOptions::TfrxEngineOptions()
{
    initProperties(*this, staticClassInfo());
}

void TfrxEngineOptions::SetSilentMode(bool silent)
{
    NewSilentMode = silent ? TfrxSilentMode::simSilent : TfrxSilentMode::simMessageBoxes;
}

const ClassInfo& TfrxPreviewOptions::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxPreviewOptions", nullptr, {
            field<&TfrxPreviewOptions::AllowEdit>("AllowEdit", PropKind::Boolean).def(true),
            field<&TfrxPreviewOptions::Buttons>("Buttons", PropKind::Set).enums(TfrxPreviewButtonInfo)
                .def(allButtonsButNoClose),
            field<&TfrxPreviewOptions::DoubleBuffered>("DoubleBuffered", PropKind::Boolean).def(true),
            field<&TfrxPreviewOptions::Maximized>("Maximized", PropKind::Boolean).def(true),
            field<&TfrxPreviewOptions::MDIChild>("MDIChild", PropKind::Boolean).def(false),
            field<&TfrxPreviewOptions::Modal>("Modal", PropKind::Boolean).def(true),
            field<&TfrxPreviewOptions::OutlineExpand>("OutlineExpand", PropKind::Boolean).def(true),
            field<&TfrxPreviewOptions::OutlineVisible>("OutlineVisible", PropKind::Boolean).def(false),
            field<&TfrxPreviewOptions::OutlineWidth>("OutlineWidth", PropKind::Integer).def(120),
            field<&TfrxPreviewOptions::ShowCaptions>("ShowCaptions", PropKind::Boolean).def(false),
            field<&TfrxPreviewOptions::Zoom>("Zoom", PropKind::Float).def(1.0),
            field<&TfrxPreviewOptions::ZoomMode>("ZoomMode", PropKind::Enum).enums(TfrxZoomModeInfo).def(0),
        });
        return built;
    }();
    return info;
}

TfrxPreviewOptions::TfrxPreviewOptions()
{
    initProperties(*this, staticClassInfo());
}

const ClassInfo& TfrxPrintOptions::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxPrintOptions", nullptr, {
            field<&TfrxPrintOptions::Copies>("Copies", PropKind::Integer).def(1),
            field<&TfrxPrintOptions::Collate>("Collate", PropKind::Boolean).def(true),
            field<&TfrxPrintOptions::PageNumbers>("PageNumbers", PropKind::String),
            field<&TfrxPrintOptions::Printer>("Printer", PropKind::String).initial(frxGet(QStringLiteral("prDefault"))),
            field<&TfrxPrintOptions::PrintMode>("PrintMode", PropKind::Enum).enums(TfrxPrintModeInfo).def(0),
            field<&TfrxPrintOptions::PrintOnSheet>("PrintOnSheet", PropKind::Integer).def(0),
            field<&TfrxPrintOptions::PrintPages>("PrintPages", PropKind::Enum).enums(TfrxPrintPagesInfo).def(0),
            field<&TfrxPrintOptions::Reverse>("Reverse", PropKind::Boolean).def(false),
            field<&TfrxPrintOptions::ShowDialog>("ShowDialog", PropKind::Boolean).def(true),
        });
        return built;
    }();
    return info;
}

TfrxPrintOptions::TfrxPrintOptions()
{
    initProperties(*this, staticClassInfo());
}

const ClassInfo& TfrxReportOptions::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxReportOptions", nullptr, {
            field<&TfrxReportOptions::Author>("Author", PropKind::String),
            field<&TfrxReportOptions::Compressed>("Compressed", PropKind::Boolean).def(false),
            field<&TfrxReportOptions::ConnectionName>("ConnectionName", PropKind::String),
            field<&TfrxReportOptions::CreateDate>("CreateDate", PropKind::Float),
            field<&TfrxReportOptions::Description>("Description", PropKind::Strings),
            field<&TfrxReportOptions::InitString>("InitString", PropKind::String),
            field<&TfrxReportOptions::LastChange>("LastChange", PropKind::Float),
            field<&TfrxReportOptions::Name>("Name", PropKind::String),
            field<&TfrxReportOptions::Password>("Password", PropKind::String),
            field<&TfrxReportOptions::VersionBuild>("VersionBuild", PropKind::String),
            field<&TfrxReportOptions::VersionMajor>("VersionMajor", PropKind::String),
            field<&TfrxReportOptions::VersionMinor>("VersionMinor", PropKind::String),
            field<&TfrxReportOptions::VersionRelease>("VersionRelease", PropKind::String),
        });
        return built;
    }();
    return info;
}

TfrxReportOptions::TfrxReportOptions()
{
    initProperties(*this, staticClassInfo());
    CreateDate = LastChange = nowAsDateTime();
}

double nowAsDateTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    static const QDate epoch(1899, 12, 30);
    const double days = double(epoch.daysTo(now.date()));
    return days + double(now.time().msecsSinceStartOfDay()) / 86400000.0;
}

} // namespace report
