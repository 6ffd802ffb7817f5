#pragma once
// What the editor's layout object does the same on every widget set: the
// dialog font of loginset.ini and the scaling of one control edge.
#include <string>

namespace generator {

// Section DLGFONT of loginset.ini in the current directory: FONTSIZE in
// tenths of a point (default "120"; a text without digits gives 0) and
// FONTFOCENAME (GBK, default "幼圆", cut to 29 bytes at a character's end).
struct DialogFontSetting {
    int tenthsOfPoint = 120;
    std::string faceGbk;
};
DialogFontSetting ReadDialogFont();

// Controls at least this tall are scaled like any other; shorter labels,
// edits and buttons keep their height.
inline constexpr int kShortControlHeight = 50;
// The strings of a combo box whose height its drop-down sizing adds.
inline constexpr int kDropDownRows = 10;
// The controls of one dialog that carry rounding losses.
inline constexpr int kMaxLayoutControls = 500;

// One edge scaled by `factor`, truncated toward zero; the truncation loss is
// added to `carry` and paid out as whole pixels once it passes one. A null
// `carry` (a control beyond kMaxLayoutControls) carries nothing.
int ScaleEdge(int edge, float factor, float *carry);

}  // namespace generator
