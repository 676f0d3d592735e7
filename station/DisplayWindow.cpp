// The live preview window (see DisplayWindow.h).
//
// Painting turns the bottom-up B G R frame into the picture as shown in one pass: crop, turn
// and byte order together, written into a 32-bit image the size of the shown area and blitted
// as is. The shown image and the sampling tables change only with the crop rectangle or the
// rotation, so painting a frame allocates nothing of its own. Drawing the frame memory through
// a flipping and turning QPainter transform gives the same pixels but takes two to three times
// as long (bench/PreviewTickBench.cpp measures both).
#include "station/DisplayWindow.h"

#include "capture/StationSettings.h"
#include "device/FrameGeometry.h"
#include "imaging/ImageRecord.h"
#include "station/MainDialog.h"
#include "station/PreviewGeometry.h"
#include "station/StatusLine.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int32_t kLastFrameRow = kFrameHeight - 1;

// Byte offset of frame row `row` (0 = top) in the bottom-up frame memory.
constexpr size_t FrameRowOffset(int32_t row) {
    return static_cast<size_t>(kLastFrameRow - row) * kFrameStride;
}

inline uint32_t Rgb32FromBgr(const uint8_t* bgr) {
    return 0xff000000u | uint32_t{bgr[2]} << 16 | uint32_t{bgr[1]} << 8 | bgr[0];
}

}  // namespace

// How the current crop rectangle and rotation are shown; rebuilt only when one of them changes.
struct CDisplayWindow::Layout {
    // What it was built for.
    int32_t rotation = 0;
    int32_t cropWidth = 0;
    int32_t cropHeight = 0;
    int32_t cropOffsetX = 0;
    int32_t cropOffsetY = 0;
    QSize window;
    bool built = false;

    // Frame pixels shown (upright picture: drawn unscaled at `target`).
    FrameRect source;
    QPoint target;
    // Turned picture: per window column, the byte offset of its frame row; per window row, the
    // byte offset of its frame column.
    std::vector<size_t> rowOffsetOfColumn;
    std::vector<size_t> columnOffsetOfRow;
    QuarterTurnMap turn;

    bool Matches(int32_t r, int32_t w, int32_t h, int32_t x, int32_t y, QSize size) const {
        return built && rotation == r && cropWidth == w && cropHeight == h && cropOffsetX == x &&
               cropOffsetY == y && window == size;
    }
};

CDisplayWindow::CDisplayWindow(QWidget* parent, PreviewView view)
    : QWidget(parent), m_View(view), m_Layout(std::make_unique<Layout>()) {
    setObjectName(QStringLiteral("ChildPreviewWindow"));
    // No background: an invalidation while the preview is stopped leaves the last picture.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    m_pStatusLine = new CStatusLine(this);
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
    const bool running = m_View.previewRunning != nullptr && *m_View.previewRunning == 1;
    if (!running && m_pPicture != nullptr && m_pPicture->IsAllocated()) {
        QPainter painter(this);
        m_pPicture->Paint(painter, QRect(0, 0, m_pPicture->Width(), m_pPicture->Height()));
        return;
    }
    if (m_View.previewRunning == nullptr || *m_View.previewRunning != 1 || m_pBits == nullptr ||
        m_View.settings == nullptr) {
        return;
    }
    const StationSettings& settings = *m_View.settings;
    Layout& layout = *m_Layout;
    const int32_t cropWidth = settings.m_CropWidth;
    const int32_t cropHeight = settings.m_CropHeight;
    const int32_t cropOffsetX = settings.m_CropOffsetX;
    const int32_t cropOffsetY = settings.m_CropOffsetY;
    if (!layout.Matches(m_Rotation, cropWidth, cropHeight, cropOffsetX, cropOffsetY, size())) {
        layout = Layout{};
        layout.window = size();
        layout.rotation = m_Rotation;
        layout.cropWidth = cropWidth;
        layout.cropHeight = cropHeight;
        layout.cropOffsetX = cropOffsetX;
        layout.cropOffsetY = cropOffsetY;
        layout.built = true;
        layout.source = ClipToFrame(
            PreviewSourceRect(m_Rotation, cropWidth, cropHeight, cropOffsetX, cropOffsetY),
            kFrameWidth, kFrameHeight);
        m_Shown = QImage();
        if (m_Rotation == 0 && !layout.source.IsEmpty()) {
            // Unscaled: a pixel stays where the unclipped crop rectangle would put it.
            layout.target = QPoint(static_cast<int>(std::min<int64_t>(
                                       int64_t{layout.source.x} - cropOffsetX, 1 << 20)),
                                   static_cast<int>(std::min<int64_t>(
                                       int64_t{layout.source.y} - cropOffsetY, 1 << 20)));
            m_Shown = QImage(layout.source.width, layout.source.height, QImage::Format_RGB32);
        } else if (frame::QuarterTurn(m_Rotation)) {
            const auto corners = QuarterTurnCorners(m_Rotation, width(), height());
            if (BuildQuarterTurnMap(corners, layout.source, layout.turn)) {
                layout.target = QPoint(layout.turn.windowLeft, layout.turn.windowTop);
                for (const int32_t row : layout.turn.frameRowOfColumn) {
                    layout.rowOffsetOfColumn.push_back(FrameRowOffset(row));
                }
                for (const int32_t column : layout.turn.frameColumnOfRow) {
                    layout.columnOffsetOfRow.push_back(static_cast<size_t>(column) * 3);
                }
                m_Shown =
                    QImage(layout.turn.windowWidth, layout.turn.windowHeight, QImage::Format_RGB32);
            }
        }
    }
    if (layout.rotation < 0 || layout.rotation > 2) {
        return;  // a rotation it cannot show draws nothing
    }
    if (m_Shown.isNull()) {
        QPainter(this).fillRect(rect(), Qt::black);  // the crop lies wholly outside the frame
        return;
    }

    const uint8_t* frame = m_pBits;
    const int shownWidth = m_Shown.width();
    const int shownHeight = m_Shown.height();
    if (layout.rotation == 0) {
        for (int row = 0; row < shownHeight; ++row) {
            const uint8_t* in = frame + FrameRowOffset(layout.source.y + row) +
                                static_cast<size_t>(layout.source.x) * 3;
            auto* out = reinterpret_cast<uint32_t*>(m_Shown.scanLine(row));
            for (int column = 0; column < shownWidth; ++column, in += 3) {
                out[column] = Rgb32FromBgr(in);
            }
        }
    } else {
        // Each window column reads one frame row, so going row by row would stride through
        // the whole frame for every window row. Bands of eight window rows read eight nearby
        // pixels of a frame row per column and keep eight output rows streaming instead.
        constexpr int kBand = 8;
        const size_t* rowOffsets = layout.rowOffsetOfColumn.data();
        for (int bandTop = 0; bandTop < shownHeight; bandTop += kBand) {
            const int bandRows = std::min(kBand, shownHeight - bandTop);
            uint32_t* out[kBand];
            size_t columnOffset[kBand];
            for (int k = 0; k < bandRows; ++k) {
                out[k] = reinterpret_cast<uint32_t*>(m_Shown.scanLine(bandTop + k));
                columnOffset[k] = layout.columnOffsetOfRow[static_cast<size_t>(bandTop + k)];
            }
            for (int column = 0; column < shownWidth; ++column) {
                const uint8_t* frameRow = frame + rowOffsets[column];
                for (int k = 0; k < bandRows; ++k) {
                    out[k][column] = Rgb32FromBgr(frameRow + columnOffset[k]);
                }
            }
        }
    }

    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect shown(layout.target, m_Shown.size());
    painter.drawImage(shown.topLeft(), m_Shown);
    // Whatever of the window the picture does not cover is black rather than left over.
    const QRect window = rect();
    if (!shown.contains(window)) {
        const QRect inside = shown.intersected(window);
        if (inside.isEmpty()) {
            painter.fillRect(window, Qt::black);
        } else {
            painter.fillRect(QRect(0, 0, window.width(), inside.top()), Qt::black);
            painter.fillRect(QRect(0, inside.bottom() + 1, window.width(),
                                   window.height() - inside.bottom() - 1),
                             Qt::black);
            painter.fillRect(QRect(0, inside.top(), inside.left(), inside.height()), Qt::black);
            painter.fillRect(QRect(inside.right() + 1, inside.top(),
                                   window.width() - inside.right() - 1, inside.height()),
                             Qt::black);
        }
    }
}
