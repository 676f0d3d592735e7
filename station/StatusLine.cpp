// The status line over the live picture (see StatusLine.h).
#include "station/StatusLine.h"

#include <QEvent>
#include <QPainter>

namespace {

// Room above and below the text inside the band, pixels.
constexpr int kPadding = 3;

}  // namespace

CStatusLine::CStatusLine(QWidget* picture) : QWidget(picture) {
    setObjectName(QStringLiteral("StatusLine"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // The band is opaque: the picture window may skip a repaint (a stopped preview keeps what
    // it showed), and a translucent band drawn again over itself would darken.
    setAttribute(Qt::WA_OpaquePaintEvent);
    picture->installEventFilter(this);
    hide();
}

void CStatusLine::SetText(const QString& text) {
    if (text == m_Text)
        return;
    m_Text = text;
    if (m_Text.isEmpty()) {
        hide();
        return;
    }
    FitToPicture();
    raise();
    show();
    update();
}

void CStatusLine::FitToPicture() {
    const QWidget* picture = parentWidget();
    const int height = fontMetrics().height() + 2 * kPadding;
    setGeometry(0, picture->height() - height, picture->width(), height);
}

bool CStatusLine::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        FitToPicture();
    return QWidget::eventFilter(watched, event);
}

void CStatusLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(32, 32, 32));
    painter.setPen(QColor(235, 235, 235));
    painter.drawText(rect().adjusted(2 * kPadding, 0, -2 * kPadding, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     fontMetrics().elidedText(m_Text, Qt::ElideRight, width() - 4 * kPadding));
}
