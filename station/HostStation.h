// What host messages ask of the station, and all they may reach: the station's side of the
// host link is written against this, not against the main dialog.
#pragma once

class QWidget;

class HostStation {
  public:
    // A host's hide: the live picture stops, the window and its sheet go out of sight and the
    // settings are stored (the zoom read first).
    virtual void HostHide() = 0;
    // A host's show: the window and its sheet are back, the live picture too unless a picture
    // is under review.
    virtual void HostShow() = 0;
    // The station's own close request.
    virtual void HostClose() = 0;
    // Pictures go to the host's hand-off file from now on.
    virtual void CaptureToHost() = 0;
    // A captured picture is on the screen for Save or Don't Save instead of the live picture.
    virtual bool PictureUnderReview() const = 0;
    // The window that owns the host link's timer, and whose own modal run does not count as a
    // box the requests must wait for.
    virtual QWidget& HostWindow() = 0;

  protected:
    ~HostStation() = default;
};
