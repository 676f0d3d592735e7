// The live preview window: a child of the main dialog that owns the frame bitmap the camera
// layer converts every frame into, and paints the crop rectangle of it, upright or turned by
// 90 degrees either way, while the preview runs.
//
// The main dialog drives it: each timer tick reads one frame straight into m_pBits (921600
// bytes, B G R, bottom row first) and calls update(). Painting reads the crop rectangle through
// PreviewView at every paint, so the window never holds a stale copy of the settings; the crop
// is clipped to the frame, and whatever of the window the picture does not cover is black. An
// upright picture is drawn one to one from the top-left corner; a turned one fills the whole
// window (its top edge along the right side when turned 90 degrees clockwise, along the left
// when turned 270), one to one when the window has the crop's size, as the dialog keeps it.
#pragma once

#include "device/PreviewRender.h"
#include "station/DibSection.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <cstdint>
#include <vector>

class CStatusLine;
class ImageRecord;
class PreviewMouse;
class QPainter;
struct StationSettings;

// What the window reads from the main dialog when it paints; both pointers belong to the
// dialog and outlive the window.
struct PreviewView {
    const int32_t* previewRunning = nullptr;    // paints only while *previewRunning is 1
    const StationSettings* settings = nullptr;  // m_CropWidth, m_CropHeight, m_CropOffsetX/Y
};

class CDisplayWindow : public QWidget {
    Q_OBJECT
  public:
    // The window is a plain child of `parent` named "ChildPreviewWindow". It has no background
    // of its own: while the preview is stopped it keeps what it last showed.
    CDisplayWindow(QWidget* parent, PreviewView view);
    ~CDisplayWindow() override;

    // (Re)creates the 640 x 480 frame bitmap, zeroed, and points m_pBits at it. Returns whether
    // the bitmap exists.
    bool CreateDisplayBitmap();

    // Shows `picture` (not owned; nullptr to stop) at the top-left corner, unscaled, while the
    // live preview is stopped: the captured picture under review. Repaints at once.
    void ShowPicture(const ImageRecord* picture);

    // A quiet line of text over the bottom of the picture, shown until set empty (StatusLine.h).
    void SetStatusText(const QString& text);
    QString StatusText() const;

    // Face centering: the left button's handlers, given the point in window pixels, passed on
    // to m_pDlg. Double-clicks reach OnLButtonDblClk (and not a second OnLButtonDown).
    // A double-click is a press of its own: the release after it is measured from its point,
    // so a hand that trembles a few pixels between the clicks does not add a drag. A release
    // outside the window (Qt gives it to the window that had the press) is ignored.
    // Virtual so that a test can watch what the window delivers.
    virtual void OnLButtonDblClk(QPoint point);
    virtual void OnLButtonDown(QPoint point);
    virtual void OnLButtonUp(QPoint point);

    // The frame memory: 921600 bytes, nullptr until CreateDisplayBitmap.
    uint8_t* m_pBits = nullptr;
    BitmapInfoHeader m_BitmapInfo{};
    // 0 upright, 1 turned 90 degrees, 2 turned 270 degrees; anything else shows nothing.
    int32_t m_Rotation = 0;
    PreviewMouse* m_pDlg = nullptr;  // the main dialog; not owned
    // The last left-button press (or double-click) point, in window pixels.
    QPoint m_PressPoint;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void OnPaint();
    bool PreviewRunning() const;
    void PaintStoredPicture();
    void FollowFraming();
    void PaintFrame();
    void BlackenAround(QPainter& painter, const QRect& shown);

    PreviewView m_View;
    CStatusLine* m_pStatusLine = nullptr;  // a child, drawn by itself over the picture
    const ImageRecord* m_pPicture = nullptr;
    DibSection m_Bitmap;
    // Where the crop rectangle is shown; rebuilt only when the crop, rotation or window size
    // changes, and so is the memory of the picture as painted and the image over it.
    PreviewLayout m_Layout;
    // The picture as painted (crop, turn and byte order applied), rebuilt from m_pBits on
    // every paint; m_Shown only wraps this memory.
    std::vector<uint32_t> m_Pixels;
    QImage m_Shown;
};
