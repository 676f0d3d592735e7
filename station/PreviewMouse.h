// What the preview window's left button reaches in the station: the press, double-click and
// release that face centering acts on. The window is written against this, not the main dialog.
#pragma once

#include <QPoint>

class PreviewMouse {
  public:
    // Points are in window pixels.
    virtual void OnPreviewPress(QPoint point) = 0;
    virtual void OnPreviewDoubleClick(QPoint point) = 0;
    // `press` is the point the release is measured from: the last press or double-click.
    virtual void OnPreviewRelease(QPoint press, QPoint point) = 0;

  protected:
    ~PreviewMouse() = default;
};
