// Draws the station's button pictures into PNG files, at 1x and 2x.
//
// The pictures are kept in this folder as the PNG files this program writes; run it again
// (target zelvo_draw_pictures, argument: this folder) after changing a drawing. Every picture
// is drawn on a 20 x 20 grid in one ink, with strokes on whole pixels so it stays sharp at 1x,
// and scaled by the painter for 2x. The application icon is drawn as org.zelvocam.Station.svg
// and rendered by tools/render-icons.sh.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <functional>
#include <string>

namespace {

const QColor kInk(0x26, 0x32, 0x38);
const QColor kSun(0xF2, 0xA9, 0x00);

void Arrow(QPainter& p, int quarterTurns) {
    p.translate(10, 10);
    p.rotate(90.0 * quarterTurns);
    p.translate(-10, -10);
    // Pointing up: a head across the top half, a shaft below it.
    QPainterPath path;
    path.moveTo(10, 2);
    path.lineTo(18, 11);
    path.lineTo(13, 11);
    path.lineTo(13, 18);
    path.lineTo(7, 18);
    path.lineTo(7, 11);
    path.lineTo(2, 11);
    path.closeSubpath();
    p.fillPath(path, kInk);
}

void Magnifier(QPainter& p, bool plus) {
    p.setPen(QPen(kInk, 2.0, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(2, 2, 12, 12));
    p.setPen(QPen(kInk, 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(13, 13), QPointF(18, 18));
    p.setPen(QPen(kInk, 2.0, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(5, 8), QPointF(11, 8));
    if (plus)
        p.drawLine(QPointF(8, 5), QPointF(8, 11));
}

void Sun(QPainter& p) {
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(kSun);
    p.drawEllipse(QRectF(5.5, 5.5, 9, 9));
    p.setPen(QPen(kInk, 2.0, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(10, 10);
        p.rotate(45.0 * i);
        p.drawLine(QPointF(0, -7), QPointF(0, -9));
        p.restore();
    }
}

void Moon(QPainter& p) {
    QPainterPath disc;
    disc.addEllipse(QRectF(2, 2, 16, 16));
    QPainterPath bite;
    bite.addEllipse(QRectF(7, -1, 14, 14));
    p.fillPath(disc.subtracted(bite), kInk);
}

bool Write(const std::string& folder, const char* name, int side,
           const std::function<void(QPainter&)>& draw) {
    for (int scale : {1, 2}) {
        QImage image(side * scale, side * scale, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        draw(p);
        p.end();
        const std::string file = folder + "/" + name + (scale == 2 ? "@2x" : "") + ".png";
        if (!image.save(QString::fromStdString(file), "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", file.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s RESOURCE_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = true;
    ok &= Write(folder, "tilt_up", 20, [](QPainter& p) { Arrow(p, 0); });
    ok &= Write(folder, "pan_right", 20, [](QPainter& p) { Arrow(p, 1); });
    ok &= Write(folder, "tilt_down", 20, [](QPainter& p) { Arrow(p, 2); });
    ok &= Write(folder, "pan_left", 20, [](QPainter& p) { Arrow(p, 3); });
    ok &= Write(folder, "zoom_in", 20, [](QPainter& p) { Magnifier(p, true); });
    ok &= Write(folder, "zoom_out", 20, [](QPainter& p) { Magnifier(p, false); });
    ok &= Write(folder, "brighter", 20, Sun);
    ok &= Write(folder, "darker", 20, Moon);
    return ok ? 0 : 1;
}
