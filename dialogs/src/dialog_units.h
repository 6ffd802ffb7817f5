#pragma once
// Dialog units of the editor's dialogs: a horizontal unit is a quarter of the
// dialog font's average character width, a vertical unit an eighth of its
// height, so the dialogs keep their proportions under any dialog font.
#include <QFont>
#include <QFontMetricsF>
#include <QRect>
#include <QSize>
#include <QtMath>

namespace dialogs {

class DialogUnits {
  public:
    explicit DialogUnits(const QFont &font) {
        const QFontMetricsF metrics(font);
        x_ = metrics.averageCharWidth() / 4.0;
        y_ = metrics.height() / 8.0;
    }
    int X(int units) const { return qRound(units * x_); }
    int Y(int units) const { return qRound(units * y_); }
    // A rectangle given in dialog units, in pixels; both edges are rounded,
    // so neighbouring controls never overlap by rounding.
    QRect Rect(int x, int y, int width, int height) const {
        return QRect(QPoint(X(x), Y(y)), QPoint(X(x + width) - 1, Y(y + height) - 1));
    }
    QSize Size(int width, int height) const { return QSize(X(width), Y(height)); }

  private:
    double x_ = 2;
    double y_ = 2;
};

}  // namespace dialogs
