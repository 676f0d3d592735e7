// Finding the scene's left pupil in the painted preview, where the head's aim says it lies and
// where it really is, and the mouse events that click on it.
#pragma once

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <cmath>
#include <optional>

#include "device/PreviewGeometry.h"
#include "simulator/Scene.h"
#include "station/MainDialog.h"

namespace station_test {

struct Spot {
    double x = 0;
    double y = 0;
};

inline double Distance(Spot a, Spot b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

// The centre of the dark pupil within `radius` pixels of `near` in a painted picture; NaN when
// there is none.
inline Spot PupilNear(const QImage& image, Spot near, double radius) {
    double sx = 0, sy = 0, n = 0;
    for (int y = int(near.y - radius) - 1; y <= int(near.y + radius) + 1; ++y) {
        for (int x = int(near.x - radius) - 1; x <= int(near.x + radius) + 1; ++x) {
            if (x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
                std::hypot(x - near.x, y - near.y) <= radius && qGray(image.pixel(x, y)) < 60) {
                sx += x, sy += y, ++n;
            }
        }
    }
    return n == 0 ? Spot{NAN, NAN} : Spot{sx / n, sy / n};
}

// Where the left pupil of the scene lies in the window for a 640 x 480 frame centred on room
// point (centreX, centreY) at `unitsPerPixel`: in the frame first, then through the crop and
// the quarter turn the preview shows.
inline Spot PredictedPupil(double centreX, double centreY, double unitsPerPixel,
                           const CTRIPOD01Dlg& dlg) {
    const double fx = 320 + (sim::kLeftPupil.x - centreX) / unitsPerPixel - 0.5;
    const double fy = 240 - (sim::kLeftPupil.y - centreY) / unitsPerPixel - 0.5;
    const FrameRect source =
        PreviewSourceRect(dlg.m_RotationAngle, dlg.m_CropWidth, dlg.m_CropHeight, dlg.m_CropOffsetX,
                          dlg.m_CropOffsetY);
    switch (dlg.m_RotationAngle) {
        case 1:
            return {480 - (fy - source.y) - 1, fx - source.x};
        case 2:
            return {fy - source.y, 600 - (fx - source.x) - 1};
        default:
            return {fx - source.x, fy - source.y};
    }
}

// A left-button event at `at` in `window`.
inline void Send(QWidget* window, QEvent::Type type, QPoint at) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), window->mapToGlobal(QPointF(at)), Qt::LeftButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(window, &event);
}

// The events of a double-click at `at` (the second click at `second` when the hand trembled),
// as the window system sends them: press, release, double-click, release.
inline void DoubleClick(QWidget* window, QPoint at, std::optional<QPoint> second = {}) {
    Send(window, QEvent::MouseButtonPress, at);
    Send(window, QEvent::MouseButtonRelease, at);
    Send(window, QEvent::MouseButtonDblClick, second.value_or(at));
    Send(window, QEvent::MouseButtonRelease, second.value_or(at));
}

// A press at `from` and its release at `to`.
inline void Drag(QWidget* window, QPoint from, QPoint to) {
    Send(window, QEvent::MouseButtonPress, from);
    Send(window, QEvent::MouseButtonRelease, to);
}

}  // namespace station_test
