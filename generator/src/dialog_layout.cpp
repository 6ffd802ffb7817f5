#include "generator/dialog_layout.h"

#include <cmath>

#include "platform/gbk.h"
#include "platform/ini_file.h"

namespace generator {
namespace {

constexpr char kLoginSet[] = "./loginset.ini";
constexpr char kSection[] = "DLGFONT";
constexpr int kDefaultTenths = 120;
constexpr char kDefaultFaceGbk[] = "\xD3\xD7\xD4\xB2";  // 幼圆
constexpr std::size_t kMaxFaceBytes = 29;               // a 30-byte buffer with its terminator

}  // namespace

DialogFontSetting ReadDialogFont() {
    DialogFontSetting font;
    font.tenthsOfPoint = platform::GetProfileInt(kLoginSet, kSection, "FONTSIZE", kDefaultTenths);
    font.faceGbk = platform::GetProfileString(kLoginSet, kSection, "FONTFOCENAME", kDefaultFaceGbk);
    font.faceGbk.resize(platform::GbkCutLength(font.faceGbk, kMaxFaceBytes));
    return font;
}

int ScaleEdge(int edge, float factor, float *carry) {
    const float exact = static_cast<float>(edge) * factor;
    int scaled = static_cast<int>(exact);
    if (carry == nullptr) return scaled;
    *carry += exact - static_cast<float>(scaled);
    if (std::fabs(*carry) > 1.0f) {
        const int whole = static_cast<int>(*carry);
        scaled += whole;
        *carry -= static_cast<float>(whole);
    }
    return scaled;
}

}  // namespace generator
