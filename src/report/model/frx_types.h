#pragma once

// Units, constants and enumerations of report templates. The order of each enumeration is
// part of the stored form: templates name the elements, prepared pages store ordinals.

#include "report/model/property_table.h"

#include <QColor>

namespace report {

// Report units are screen pixels at 96 dots per inch.
inline constexpr double fr01cm = 3.77953;
inline constexpr double fr1cm = 37.7953;
inline constexpr double fr01in = 9.6;
inline constexpr int fr1in = 96;
inline constexpr double fr1CharX = 9.6;
inline constexpr int fr1CharY = 17;

// Colours are the platform's 0x00BBGGRR values; these two are not real colours.
using TColor = int;
inline constexpr TColor clTransparent = 0x1FFFFFFF;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clSilver = 0xC0C0C0;
// Colours from 0x80000000 on name system colours; they are drawn as black text and white
// background would be guesses, so callers decide. Returns an invalid QColor for clTransparent.
QColor toQColor(TColor color);

enum class TfrxAlign { baNone, baLeft, baRight, baCenter, baWidth, baBottom, baClient };
enum class TfrxStretchMode { smDontStretch, smActualHeight, smMaxHeight };
enum class TfrxShiftMode { smDontShift, smAlways, smWhenOverlapped };
enum class TfrxFrameStyle { fsSolid, fsDash, fsDot, fsDashDot, fsDashDotDot, fsDouble };
enum class TfrxFrameType { ftLeft, ftRight, ftTop, ftBottom };
enum class TfrxHAlign { haLeft, haRight, haCenter, haBlock };
enum class TfrxVAlign { vaTop, vaBottom, vaCenter };
enum class TfrxFormatKind { fkText, fkNumeric, fkDateTime, fkBoolean };
enum class TfrxRestriction { rfDontModify, rfDontSize, rfDontMove, rfDontDelete, rfDontEdit };
enum class TfrxShapeKind { skRectangle, skRoundRectangle, skEllipse, skTriangle, skDiamond, skDiagonal1, skDiagonal2 };
enum class TfrxDuplexMode { dmNone, dmVertical, dmHorizontal, dmSimplex };
enum class TfrxSilentMode { simMessageBoxes, simSilent, simReThrow };
enum class TfrxRangeBegin { rbFirst, rbCurrent };
enum class TfrxRangeEnd { reLast, reCurrent, reCount };
enum class TfrxFieldType { fftNumeric, fftString, fftBoolean };
enum class TfrxPreviewButton { pbPrint, pbLoad, pbSave, pbExport, pbZoom, pbFind, pbOutline, pbPageSetup,
                               pbTools, pbEdit, pbNavigator, pbExportQuick, pbNoClose };
enum class TfrxZoomMode { zmDefault, zmWholePage, zmPageWidth, zmManyPages };
enum class TfrxPrintPages { ppAll, ppOdd, ppEven };
enum class TfrxPrintMode { pmDefault, pmSplit, pmJoin, pmScale };
enum class TfrxProgressType { ptRunning, ptExporting, ptPrinting };
// The platform's own enumerations that templates store.
enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
enum class TPrinterOrientation { poPortrait, poLandscape };
enum class TFontPitch { fpDefault, fpVariable, fpFixed };
enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// Sets are bit masks with bit n for the element of ordinal n.
template <class E>
constexpr int setBit(E element)
{
    return 1 << static_cast<int>(element);
}
template <class E>
constexpr bool inSet(int set, E element)
{
    return (set & setBit(element)) != 0;
}

extern const EnumInfo TfrxAlignInfo;
extern const EnumInfo TfrxStretchModeInfo;
extern const EnumInfo TfrxShiftModeInfo;
extern const EnumInfo TfrxFrameStyleInfo;
extern const EnumInfo TfrxFrameTypeInfo;
extern const EnumInfo TfrxHAlignInfo;
extern const EnumInfo TfrxVAlignInfo;
extern const EnumInfo TfrxFormatKindInfo;
extern const EnumInfo TfrxRestrictionInfo;
extern const EnumInfo TfrxShapeKindInfo;
extern const EnumInfo TfrxDuplexModeInfo;
extern const EnumInfo TfrxSilentModeInfo;
extern const EnumInfo TfrxRangeBeginInfo;
extern const EnumInfo TfrxRangeEndInfo;
extern const EnumInfo TfrxFieldTypeInfo;
extern const EnumInfo TfrxPreviewButtonInfo;
extern const EnumInfo TfrxZoomModeInfo;
extern const EnumInfo TfrxPrintPagesInfo;
extern const EnumInfo TfrxPrintModeInfo;
extern const EnumInfo TfrxProgressTypeInfo;
extern const EnumInfo TBrushStyleInfo;
extern const EnumInfo TPrinterOrientationInfo;
extern const EnumInfo TFontPitchInfo;
extern const EnumInfo TFontStyleInfo;
extern const EnumInfo BooleanInfo;

} // namespace report
