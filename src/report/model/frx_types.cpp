#include "report/model/frx_types.h"

namespace report {

QColor toQColor(TColor color)
{
    if (color == clTransparent)
        return {};
    if (color < 0) // a system colour: window text is black, everything else is left to the caller
        return QColor(Qt::black);
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

int EnumInfo::ordinalOf(QStringView name) const
{
    for (size_t i = 0; i < names.size(); ++i)
        if (name.compare(QLatin1StringView(names[i]), Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

QString EnumInfo::nameOf(int ordinal) const
{
    if (ordinal < 0 || size_t(ordinal) >= names.size())
        return QString::number(ordinal);
    return QString::fromLatin1(names[size_t(ordinal)]);
}

const EnumInfo TfrxAlignInfo{"TfrxAlign", {"baNone", "baLeft", "baRight", "baCenter", "baWidth", "baBottom", "baClient"}};
const EnumInfo TfrxStretchModeInfo{"TfrxStretchMode", {"smDontStretch", "smActualHeight", "smMaxHeight"}};
const EnumInfo TfrxShiftModeInfo{"TfrxShiftMode", {"smDontShift", "smAlways", "smWhenOverlapped"}};
const EnumInfo TfrxFrameStyleInfo{"TfrxFrameStyle", {"fsSolid", "fsDash", "fsDot", "fsDashDot", "fsDashDotDot", "fsDouble"}};
const EnumInfo TfrxFrameTypeInfo{"TfrxFrameType", {"ftLeft", "ftRight", "ftTop", "ftBottom"}};
const EnumInfo TfrxHAlignInfo{"TfrxHAlign", {"haLeft", "haRight", "haCenter", "haBlock"}};
const EnumInfo TfrxVAlignInfo{"TfrxVAlign", {"vaTop", "vaBottom", "vaCenter"}};
const EnumInfo TfrxFormatKindInfo{"TfrxFormatKind", {"fkText", "fkNumeric", "fkDateTime", "fkBoolean"}};
const EnumInfo TfrxRestrictionInfo{"TfrxRestriction", {"rfDontModify", "rfDontSize", "rfDontMove", "rfDontDelete", "rfDontEdit"}};
const EnumInfo TfrxShapeKindInfo{"TfrxShapeKind", {"skRectangle", "skRoundRectangle", "skEllipse", "skTriangle", "skDiamond", "skDiagonal1", "skDiagonal2"}};
const EnumInfo TfrxDuplexModeInfo{"TfrxDuplexMode", {"dmNone", "dmVertical", "dmHorizontal", "dmSimplex"}};
const EnumInfo TfrxSilentModeInfo{"TfrxSilentMode", {"simMessageBoxes", "simSilent", "simReThrow"}};
const EnumInfo TfrxRangeBeginInfo{"TfrxRangeBegin", {"rbFirst", "rbCurrent"}};
const EnumInfo TfrxRangeEndInfo{"TfrxRangeEnd", {"reLast", "reCurrent", "reCount"}};
const EnumInfo TfrxFieldTypeInfo{"TfrxFieldType", {"fftNumeric", "fftString", "fftBoolean"}};
const EnumInfo TfrxPreviewButtonInfo{"TfrxPreviewButton", {"pbPrint", "pbLoad", "pbSave", "pbExport", "pbZoom", "pbFind", "pbOutline", "pbPageSetup", "pbTools", "pbEdit", "pbNavigator", "pbExportQuick", "pbNoClose"}};
const EnumInfo TfrxZoomModeInfo{"TfrxZoomMode", {"zmDefault", "zmWholePage", "zmPageWidth", "zmManyPages"}};
const EnumInfo TfrxPrintPagesInfo{"TfrxPrintPages", {"ppAll", "ppOdd", "ppEven"}};
const EnumInfo TfrxPrintModeInfo{"TfrxPrintMode", {"pmDefault", "pmSplit", "pmJoin", "pmScale"}};
const EnumInfo TfrxProgressTypeInfo{"TfrxProgressType", {"ptRunning", "ptExporting", "ptPrinting"}};
const EnumInfo TBrushStyleInfo{"TBrushStyle", {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"}};
const EnumInfo TPrinterOrientationInfo{"TPrinterOrientation", {"poPortrait", "poLandscape"}};
const EnumInfo TFontPitchInfo{"TFontPitch", {"fpDefault", "fpVariable", "fpFixed"}};
const EnumInfo TFontStyleInfo{"TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};
const EnumInfo BooleanInfo{"Boolean", {"False", "True"}};

} // namespace report
