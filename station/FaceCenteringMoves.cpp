// Face centering on the preview: the main dialog's side of the preview window's mouse
// handlers. A double-click brings the feature under it to the target point, a drag moves the
// picture by the drag, each with one relative pan/tilt move scaled for the current zoom; the
// release that ends "Set Offset" makes its point the target instead.
#include "control/HeadLink.h"
#include "device/HeadCommands.h"
#include "platform/registry/RegistryKey.h"
#include "platform/ui/Services.h"
#include "station/FaceCentering.h"
#include "station/MainDialog.h"

#include <tuple>

face::CenteringFrame CTRIPOD01Dlg::CenteringFrame() const {
    return {m_CropWidth, m_CropHeight, m_XCenterOffset, m_YCenterOffset, m_RotationAngle};
}

template <class MoveForFactor>
void CTRIPOD01Dlg::SendFaceMove(MoveForFactor moveForFactor) {
    // A rotation the preview cannot show has no axes: nothing is read or sent.
    if (m_RotationAngle < 0 || m_RotationAngle > 2) {
        return;
    }
    ReadZoomPosition();
    m_AutoCorrectionFactor =
        face::AutoCorrectionFactor(m_CameraType, static_cast<uint32_t>(m_ZoomAutoPosition));
    const std::optional<face::RelativeMove> move = moveForFactor(m_AutoCorrectionFactor);
    if (!move) {
        return;
    }
    if (move->beep) {
        ui::Beep(face::kTurnedBeepHz, face::kTurnedBeepMs);
    }
    for (const face::ArgumentWrite& write : move->writes) {
        WriteArgument(write.argument, write.value);
    }
    SendPtzCommand(head::kMoveRelative);
}

void CTRIPOD01Dlg::OnPreviewPress(QPoint point) {
    m_PressX = point.x();
    m_PressY = point.y();
    UpdateData(false);
}

void CTRIPOD01Dlg::OnPreviewDoubleClick(QPoint point) {
    m_PressX = point.x();
    m_PressY = point.y();
    // Only the newer heads can be positioned this way.
    if (!camera_class::IsNewerHead(m_CameraType)) {
        return;
    }
    SendFaceMove([&](float factor) {
        return face::CenteringMove(CenteringFrame(), factor, point.x(), point.y());
    });
}

void CTRIPOD01Dlg::OnPreviewRelease(QPoint press, QPoint point) {
    if (m_SetOffsetMode == 1) {
        m_SetOffsetMode = 0;
        SetCenterOffsetAt(point);
        return;
    }
    if (face::IsClick(press.x(), press.y(), point.x(), point.y()) ||
        !camera_class::IsNewerHead(m_CameraType)) {
        return;
    }
    SendFaceMove([&](float factor) {
        return face::DragMove(CenteringFrame(), factor, press.x(), press.y(), point.x(), point.y());
    });
}

void CTRIPOD01Dlg::SetCenterOffsetAt(QPoint point) {
    const face::CenteringFrame frame = CenteringFrame();
    const face::PicturePoint picture = face::WindowToPicture(
        frame.rotation, frame.cropWidth, frame.cropHeight, point.x(), point.y());
    std::tie(m_XCenterOffset, m_YCenterOffset) = face::OffsetsForTarget(frame, picture);
    // Saved at once: the operator set them on purpose, and a crash before the close must not
    // lose them.
    RegistryKey key(kStationSettingsKey);
    key.BeginBatch();
    key.SetDword("XCenterOffset", static_cast<uint32_t>(m_XCenterOffset));
    key.SetDword("YCenterOffset", static_cast<uint32_t>(m_YCenterOffset));
    NoteSettingsStored(key.CommitBatch());
    ShowCenterOffsetsOnSheet();
}
