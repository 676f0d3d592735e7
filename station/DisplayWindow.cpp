// The live preview window (see DisplayWindow.h).
//
// Painting turns the bottom-up B G R frame into the picture as shown in one pass (crop, turn
// and byte order together, device/PreviewRender.h) into 32-bit memory the size of the shown
// area, and blits it as is. That memory, the image over it and the sampling tables change only
// with the crop rectangle, the rotation or the window size, so painting a frame allocates
// nothing of its own. Drawing the frame memory through a flipping and turning QPainter
// transform gives the same pixels but takes two to three times as long
// (bench/PreviewTickBench.cpp measures both).
#include "station/DisplayWindow.h"

#include "capture/StationSettings.h"
#include "imaging/ImageRecord.h"
#include "station/PreviewMouse.h"
#include "station/StatusLine.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

CDisplayWindow::CDisplayWindow(QWidget* parent, PreviewView view) : QWidget(parent), m_View(view) {
    setObjectName(QStringLiteral("ChildPreviewWindow"));
    // No background: an invalidation while the preview is stopped leaves the last picture.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    m_pStatusLine = new CStatusLine(this);
    BuildPreviewLayout(m_Layout.framing, m_Layout);  // the layout always matches its framing
}

CDisplayWindow::~CDisplayWindow() = default;

bool CDisplayWindow::CreateDisplayBitmap() {
    m_pBits = nullptr;
    m_BitmapInfo = FrameBitmapInfo();
    if (!m_Bitmap.Create(m_BitmapInfo)) {
        m_BitmapInfo = {};
        return false;
    }
    m_pBits = m_Bitmap.Bits();
    m_BitmapInfo = m_Bitmap.Info();
    return true;
}

void CDisplayWindow::ShowPicture(const ImageRecord* picture) {
    m_pPicture = picture;
    update();
}

void CDisplayWindow::SetStatusText(const QString& text) {
    m_pStatusLine->SetText(text);
}

QString CDisplayWindow::StatusText() const {
    return m_pStatusLine->Text();
}

void CDisplayWindow::OnLButtonDblClk(QPoint point) {
    m_PressPoint = point;
    if (m_pDlg != nullptr) {
        m_pDlg->OnPreviewDoubleClick(point);
    }
}

void CDisplayWindow::OnLButtonDown(QPoint point) {
    m_PressPoint = point;
    if (m_pDlg != nullptr) {
        m_pDlg->OnPreviewPress(point);
    }
}

void CDisplayWindow::OnLButtonUp(QPoint point) {
    if (!rect().contains(point)) {
        return;
    }
    if (m_pDlg != nullptr) {
        m_pDlg->OnPreviewRelease(m_PressPoint, point);
    }
}

void CDisplayWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        OnLButtonDown(event->position().toPoint());
    }
}

void CDisplayWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        OnLButtonUp(event->position().toPoint());
    }
}

void CDisplayWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    // Not passed on as a second press: the double-click replaces it.
    if (event->button() == Qt::LeftButton) {
        OnLButtonDblClk(event->position().toPoint());
    }
}

void CDisplayWindow::paintEvent(QPaintEvent*) {
    OnPaint();
}

void CDisplayWindow::OnPaint() {
    if (!PreviewRunning()) {
        PaintStoredPicture();
        return;
    }
    if (m_pBits == nullptr || m_View.settings == nullptr) {
        return;
    }
    FollowFraming();
    switch (m_Layout.shows) {
        case PreviewShows::kNothing:
            return;
        case PreviewShows::kBlack:
            QPainter(this).fillRect(rect(), Qt::black);
            return;
        case PreviewShows::kPicture:
            PaintFrame();
            return;
    }
}

bool CDisplayWindow::PreviewRunning() const {
    return m_View.previewRunning != nullptr && *m_View.previewRunning == 1;
}

// The captured picture under review, while the live preview is stopped.
void CDisplayWindow::PaintStoredPicture() {
    if (m_pPicture != nullptr && m_pPicture->IsAllocated()) {
        QPainter painter(this);
        m_pPicture->Paint(painter, QRect(0, 0, m_pPicture->Width(), m_pPicture->Height()));
    }
}

// Rebuilds the layout, the pixel memory and the image over it when the crop rectangle, the
// rotation or the window size has changed since the last paint.
void CDisplayWindow::FollowFraming() {
    const StationSettings& settings = *m_View.settings;
    const PreviewFraming framing{m_Rotation,
                                 settings.m_CropWidth,
                                 settings.m_CropHeight,
                                 settings.m_CropOffsetX,
                                 settings.m_CropOffsetY,
                                 {width(), height()}};
    if (framing == m_Layout.framing) {
        return;
    }
    BuildPreviewLayout(framing, m_Layout);
    m_Shown = QImage();
    m_Pixels.resize(static_cast<size_t>(m_Layout.width) * static_cast<size_t>(m_Layout.height));
    if (m_Layout.shows == PreviewShows::kPicture) {
        m_Shown = QImage(reinterpret_cast<uchar*>(m_Pixels.data()), m_Layout.width, m_Layout.height,
                         m_Layout.width * 4, QImage::Format_RGB32);
    }
}

// The current frame as the layout shows it, and black around it.
void CDisplayWindow::PaintFrame() {
    const bool rendered = RenderPreview(m_Layout, {{m_pBits, kFrameBytes}, kFrameStride},
                                        {m_Pixels, static_cast<size_t>(m_Layout.width)});
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect shown(QPoint(m_Layout.at.x, m_Layout.at.y), m_Shown.size());
    if (rendered) {
        painter.drawImage(shown.topLeft(), m_Shown);
    }
    BlackenAround(painter, rendered ? shown : QRect());
}

// Whatever of the window the picture does not cover is black rather than left over.
void CDisplayWindow::BlackenAround(QPainter& painter, const QRect& shown) {
    const QRect window = rect();
    if (shown.contains(window)) {
        return;
    }
    const QRect inside = shown.intersected(window);
    if (inside.isEmpty()) {
        painter.fillRect(window, Qt::black);
        return;
    }
    painter.fillRect(QRect(0, 0, window.width(), inside.top()), Qt::black);
    painter.fillRect(
        QRect(0, inside.bottom() + 1, window.width(), window.height() - inside.bottom() - 1),
        Qt::black);
    painter.fillRect(QRect(0, inside.top(), inside.left(), inside.height()), Qt::black);
    painter.fillRect(QRect(inside.right() + 1, inside.top(), window.width() - inside.right() - 1,
                           inside.height()),
                     Qt::black);
}
