#pragma once
// Fonts, number formats and cell formats (XF) of the workbook globals.
#include "xls/bytewriter.h"
#include "xls/xlsmodel.h"

namespace corvane::xls {

// Colour numbers in the file ("icv") are the palette's ColorIndex + 7.
inline constexpr uint16_t kIcvAutomaticFont = 0x7FFF;
inline constexpr uint16_t kIcvAutomaticBorder = 64;
inline constexpr uint16_t kIcvPatternBackground = 65;
inline uint16_t icvFromColorIndex(int colorIndex) { return uint16_t(colorIndex + 7); }

struct FontSpec {
    QString name;
    uint16_t heightTwips = 220;
    uint16_t colourIcv = kIcvAutomaticFont;
};
void writeFont(ByteWriter& out, const FontSpec& font);

// A custom number format; index 164 and up.
void writeFormat(ByteWriter& out, uint16_t index, const QString& format);

struct XfSpec {
    uint16_t font = 0;
    uint16_t numberFormat = 0;
    bool styleXf = false;
    HAlign align = HAlign::General;
    Borders borders;
    uint16_t fillIcv = 0; // 0: no fill
};
void writeXf(ByteWriter& out, const XfSpec& xf);

// The 15 style XFs every workbook starts with (XF 0 is Normal) and the default cell XF 15.
void writeDefaultXfs(ByteWriter& out);
inline constexpr uint16_t kDefaultCellXf = 15;
inline constexpr uint16_t kFirstUserXf = 16;

} // namespace corvane::xls
