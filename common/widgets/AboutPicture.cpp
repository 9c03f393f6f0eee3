#include "AboutPicture.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>

namespace {

const QColor kPass(58, 178, 92);
const QColor kFail(206, 62, 62);
const QColor kBest(255, 214, 64);

// Whether a cell of the scan grid passes: an eye that is widest in the middle row and
// narrows towards the top and bottom, as a delay/strength sweep of a healthy lane looks.
bool CellPasses(int nCol, int nRow, int nCols, int nRows) {
    const double u = (nCol - (nCols - 1) / 2.0) / (nCols / 2.0);
    const double v = (nRow - (nRows - 1) / 2.0) / (nRows / 2.0);
    return std::pow(std::fabs(u), 1.7) + v * v < 0.62;
}

} // namespace

QImage MakeAboutPicture() {
    QImage image(kAboutPictureWidth, kAboutPictureHeight, QImage::Format_RGB888);
    QPainter painter(&image);
    QLinearGradient background(0, 0, 0, kAboutPictureHeight);
    background.setColorAt(0.0, QColor(28, 44, 72));
    background.setColorAt(1.0, QColor(16, 26, 44));
    painter.fillRect(image.rect(), background);

    // Scan grid: 22 delay steps by 8 drive strengths, 9-pixel cells with 1-pixel gaps.
    constexpr int kCols = 22;
    constexpr int kRows = 8;
    constexpr int kCell = 9;
    constexpr int kPitch = kCell + 1;
    constexpr int kLeft = 14;
    constexpr int kTop = (kAboutPictureHeight - kRows * kPitch) / 2;
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kCols; ++c) {
            const QColor colour = CellPasses(c, r, kCols, kRows) ? kPass : kFail;
            painter.fillRect(kLeft + c * kPitch, kTop + r * kPitch, kCell, kCell, colour);
        }
    }
    // The best point: the centre of the widest passing run.
    const int nBestCol = kCols / 2 - 1;
    const int nBestRow = kRows / 2 - 1;
    painter.setPen(QPen(kBest, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(kLeft + nBestCol * kPitch - 1, kTop + nBestRow * kPitch - 1, kCell + 2,
                     kCell + 2);

    // Eye diagram of the strobe: jittered rising and falling edges around two crossings.
    painter.setRenderHint(QPainter::Antialiasing, true);
    const double x0 = 250.0;
    const double x1 = 368.0;
    const double yHigh = 24.0;
    const double yLow = 86.0;
    const double xCross0 = 262.0;
    const double xCross1 = 356.0;
    const double edge = 9.0;
    for (int j = -3; j <= 3; ++j) {
        const double d = j * 1.6;
        const double lift = (j % 2) * 1.5;
        QColor trace(96, 200, 255, 120 + 15 * (3 - std::abs(j)));
        painter.setPen(QPen(trace, 1.3));
        QPainterPath rising;
        rising.moveTo(x0, yLow - lift);
        rising.lineTo(xCross0 + d - edge, yLow - lift);
        rising.lineTo(xCross0 + d + edge, yHigh + lift);
        rising.lineTo(xCross1 + d - edge, yHigh + lift);
        rising.lineTo(xCross1 + d + edge, yLow - lift);
        rising.lineTo(x1, yLow - lift);
        painter.drawPath(rising);
        QPainterPath falling;
        falling.moveTo(x0, yHigh + lift);
        falling.lineTo(xCross0 + d - edge, yHigh + lift);
        falling.lineTo(xCross0 + d + edge, yLow - lift);
        falling.lineTo(xCross1 + d - edge, yLow - lift);
        falling.lineTo(xCross1 + d + edge, yHigh + lift);
        falling.lineTo(x1, yHigh + lift);
        painter.drawPath(falling);
    }
    // The open eye, where the sampling point belongs.
    const double xMid = (xCross0 + xCross1) / 2.0;
    const double yMid = (yHigh + yLow) / 2.0;
    QPolygonF eye;
    eye << QPointF(xCross0 + 16, yMid) << QPointF(xCross0 + 30, yHigh + 10)
        << QPointF(xCross1 - 30, yHigh + 10) << QPointF(xCross1 - 16, yMid)
        << QPointF(xCross1 - 30, yLow - 10) << QPointF(xCross0 + 30, yLow - 10);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(58, 178, 92, 70));
    painter.drawPolygon(eye);
    painter.setPen(QPen(kBest, 1.5));
    painter.drawLine(QPointF(xMid, yHigh + 14), QPointF(xMid, yLow - 14));
    painter.drawLine(QPointF(xMid - 6, yMid), QPointF(xMid + 6, yMid));

    // A thin rule divides the picture from the texts above it.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QColor(96, 200, 255));
    painter.drawLine(0, 0, kAboutPictureWidth - 1, 0);
    return image;
}

QImage MakeAboutIcon(int nSize) {
    QImage image(nSize, nSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const double s = nSize / 32.0;
    painter.setPen(QPen(QColor(96, 200, 255), 1.0 * s));
    painter.setBrush(QColor(28, 44, 72));
    painter.drawRoundedRect(QRectF(1.5 * s, 1.5 * s, 29 * s, 29 * s), 5 * s, 5 * s);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // A 4 x 4 scan grid with a passing centre.
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            const bool bPass = (r == 1 || r == 2) && (c == 1 || c == 2 || (r == 1 && c == 0));
            painter.fillRect(QRectF((6 + c * 5.25) * s, (6 + r * 5.25) * s, 4.25 * s, 4.25 * s),
                             bPass ? kPass : kFail);
        }
    }
    return image;
}

QFont FitCellHeight(QFont font, int nPixels) {
    int nSize = nPixels > 1 ? nPixels : 1;
    font.setPixelSize(nSize);
    while (nSize > 1 && QFontMetrics(font).height() > nPixels) {
        font.setPixelSize(--nSize);
    }
    return font;
}
