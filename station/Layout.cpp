// The two screen layouts of the main dialog, the crop centring, the button pictures and the
// application icon.
#include "station/Layout.h"

#include <QDirIterator>
#include <QIcon>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <cstdint>

#include "capture/StationSettings.h"
#include "device/FrameGeometry.h"
#include "station/ControlIds.h"
#include "station/MainDialog.h"

namespace {

// A coordinate as the layout tables give it: a constant, or an offset from the picture's width
// W or height H.
enum class From { kZero, kW, kH };
struct Coord {
    From from;
    int offset;
    constexpr int Resolve(int w, int h) const {
        return offset + (from == From::kW ? w : from == From::kH ? h : 0);
    }
};
constexpr Coord Px(int v) {
    return {From::kZero, v};
}
constexpr Coord W(int v) {
    return {From::kW, v};
}
constexpr Coord H(int v) {
    return {From::kH, v};
}
constexpr Coord kKeepSize{From::kZero, -1};

struct LawRow {
    int id;
    Coord x;
    Coord yUpright;  // column A
    Coord yTurned;   // column B
    Coord width;     // kKeepSize: moved only
    Coord height;
};

constexpr LawRow kLawEnforcementRows[] = {
    {ids::kHome, W(15), Px(6), Px(6), Px(85), Px(22)},
    {ids::kZoomControlGroup, W(15), Px(35), Px(75), Px(100), Px(140)},
    {ids::kPreset1, W(20), Px(55), Px(90), kKeepSize, kKeepSize},
    {ids::kPreset2, W(20), Px(75), Px(110), kKeepSize, kKeepSize},
    {ids::kPreset3, W(20), Px(95), Px(130), kKeepSize, kKeepSize},
    {ids::kManualZoom, W(20), Px(115), Px(150), kKeepSize, kKeepSize},
    {ids::kZoomIn, W(22), Px(135), Px(180), Px(25), Px(25)},
    {ids::kZoomOut, W(61), Px(135), Px(180), Px(25), Px(25)},
    {ids::kBrightnessGroup, W(5), Px(205), Px(265), Px(115), Px(100)},
    {ids::kIris, W(20), Px(225), Px(285), kKeepSize, kKeepSize},
    {ids::kDarker, W(58), Px(225), Px(285), kKeepSize, kKeepSize},
    {ids::kSubjectDistanceLabel, W(12), Px(255), Px(315), kKeepSize, kKeepSize},
    {ids::kSubjectDistance, W(25), Px(270), Px(325), Px(65), Px(20)},
    {ids::kCapture, Px(0), H(1), H(1), W(0), Px(25)},
    {ids::kUseFlashGroup, W(14), Px(321), Px(415), Px(93), Px(55)},
    {ids::kFlashOff, W(20), Px(336), Px(430), Px(75), Px(16)},
    {ids::kFlashOn, W(20), Px(358), Px(452), Px(75), Px(16)},
    {ids::kAdjust, W(11), H(1), H(1), Px(95), Px(22)},
    {ids::kPreviewCaptureGroup, W(14), Px(388), Px(498), Px(96), Px(55)},
    {ids::kPreviewYes, W(26), Px(402), Px(512), Px(44), Px(16)},
    {ids::kPreviewNo, W(26), Px(425), Px(535), Px(38), Px(16)},
};

// Column B's lowest edge: the bottom of its lowest group. The controls that only move lie inside
// the groups; CAPTURE and Adjust follow the picture, not the column.
constexpr int TurnedColumnBottom() {
    int bottom = 0;
    for (const LawRow& row : kLawEnforcementRows) {
        const bool sized = row.height.from == From::kZero && row.height.offset >= 0;
        if (row.yTurned.from == From::kZero && sized)
            bottom = std::max(bottom, row.yTurned.offset + row.height.offset);
    }
    return bottom;
}
// Between the column and an "&Adjust" put under it, and below that to the window's edge: the
// column's own margin at the top.
constexpr int kColumnMargin = 6;
constexpr int kAdjustUnderTurnedColumn = TurnedColumnBottom() + kColumnMargin;

bool TurnedPictureShorterThanColumn(int h, int rotation) {
    return frame::QuarterTurn(rotation) && int64_t{h} + 1 < kAdjustUnderTurnedColumn;
}

struct StandardRow {
    int id;
    Coord x;
    Coord y;
    Coord width;
    Coord height;
};

constexpr StandardRow kStandardRows[] = {
    {ids::kHome, W(11), Px(130), Px(85), Px(22)},
    {ids::kZoomGroup, W(16), Px(153), Px(80), Px(54)},
    {ids::kZoomIn, W(22), Px(171), Px(25), Px(25)},
    {ids::kZoomOut, W(61), Px(171), Px(25), Px(25)},
    {ids::kPanTiltGroup, W(15), Px(6), Px(80), Px(120)},
    {ids::kPanLeft, W(22), Px(56), kKeepSize, kKeepSize},
    {ids::kPanRight, W(55), Px(56), kKeepSize, kKeepSize},
    {ids::kTiltUp, W(40), Px(24), kKeepSize, kKeepSize},
    {ids::kTiltDown, W(40), Px(89), kKeepSize, kKeepSize},
    {ids::kBrightnessGroup, W(5), Px(216), Px(115), Px(100)},
    {ids::kIris, W(20), Px(236), kKeepSize, kKeepSize},
    {ids::kDarker, W(58), Px(236), kKeepSize, kKeepSize},
    {ids::kSubjectDistanceLabel, W(12), Px(265), kKeepSize, kKeepSize},
    {ids::kSubjectDistance, W(25), Px(281), Px(65), Px(20)},
    {ids::kCapture, Px(0), H(1), W(0), Px(25)},
    {ids::kUseFlashGroup, W(14), Px(321), Px(93), Px(55)},
    {ids::kFlashOff, W(20), Px(336), Px(75), Px(16)},
    {ids::kFlashOn, W(20), Px(358), Px(75), Px(16)},
    {ids::kAdjust, W(11), H(1), Px(95), Px(22)},
    {ids::kPreviewCaptureGroup, W(14), Px(388), Px(96), Px(55)},
    {ids::kPreviewYes, W(26), Px(402), Px(44), Px(16)},
    {ids::kPreviewNo, W(26), Px(425), Px(38), Px(16)},
};

constexpr int kPanTiltControls[] = {ids::kPanTiltGroup, ids::kPanLeft,  ids::kPanRight,
                                    ids::kTiltUp,       ids::kTiltDown, ids::kZoomGroup};
constexpr int kZoomPresetControls[] = {ids::kPreset1, ids::kPreset2, ids::kPreset3,
                                       ids::kManualZoom, ids::kZoomControlGroup};

ControlPlacement Place(int id, Coord x, Coord y, Coord width, Coord height, int w, int h) {
    const bool resize = width.from != From::kZero || width.offset >= 0;
    return {id,
            x.Resolve(w, h),
            y.Resolve(w, h),
            resize ? width.Resolve(w, h) : 0,
            resize ? height.Resolve(w, h) : 0,
            resize};
}

// The picture buttons and their bitmap resources.
struct ButtonPicture {
    int buttonId;
    int bitmapId;
    const char* resource;  // without ".png"; "@2x.png" is the picture for double density
};
constexpr ButtonPicture kButtonPictures[] = {
    {ids::kZoomIn, 181, ":/station/zoom_in"},   {ids::kZoomOut, 183, ":/station/zoom_out"},
    {ids::kTiltUp, 173, ":/station/tilt_up"},   {ids::kTiltDown, 147, ":/station/tilt_down"},
    {ids::kPanLeft, 144, ":/station/pan_left"}, {ids::kPanRight, 146, ":/station/pan_right"},
    {ids::kIris, 142, ":/station/brighter"},    {ids::kDarker, 172, ":/station/darker"},
};
constexpr int kPictureSide = 20;  // logical pixels; the resources carry a @2x version

}  // namespace

std::vector<ControlPlacement> LawEnforcementPlacements(int w, int h, int rotation) {
    std::vector<ControlPlacement> placements;
    if (rotation < 0 || rotation > 2)
        return placements;
    for (const LawRow& row : kLawEnforcementRows) {
        const Coord y = frame::QuarterTurn(rotation) ? row.yTurned : row.yUpright;
        placements.push_back(Place(row.id, row.x, y, row.width, row.height, w, h));
        if (row.id == ids::kAdjust && TurnedPictureShorterThanColumn(h, rotation))
            placements.back().y = kAdjustUnderTurnedColumn;
    }
    return placements;
}

int LawEnforcementClientHeight(int w, int h, int rotation) {
    if (!TurnedPictureShorterThanColumn(h, rotation))
        return 0;
    int bottom = 0;
    for (const ControlPlacement& p : LawEnforcementPlacements(w, h, rotation)) {
        if (p.id == ids::kAdjust)
            bottom = p.y + p.height;
    }
    return bottom + kColumnMargin;
}

std::vector<ControlPlacement> StandardPlacements(int w, int h) {
    std::vector<ControlPlacement> placements;
    for (const StandardRow& row : kStandardRows) {
        placements.push_back(Place(row.id, row.x, row.y, row.width, row.height, w, h));
    }
    return placements;
}

std::vector<int> LawEnforcementHidden() {
    return {std::begin(kPanTiltControls), std::end(kPanTiltControls)};
}
std::vector<int> LawEnforcementShown() {
    return {std::begin(kZoomPresetControls), std::end(kZoomPresetControls)};
}
std::vector<int> StandardHidden() {
    return LawEnforcementShown();
}

WindowSize DialogOuterSize(int w, int h) {
    const int height = h + 60 < 483 ? 493 : h + 60;
    return {w + 130, height};
}

CropOffsets CenteredCropOffsets(int rotation, int w, int h) {
    const frame::Size turned = frame::Oriented(frame::CropTurned(rotation));
    return {CentredCropOffset(turned.width, w), CentredCropOffset(turned.height, h)};
}

void CTRIPOD01Dlg::CenterCropRect() {
    const CropOffsets offsets = CenteredCropOffsets(m_RotationAngle, m_CropWidth, m_CropHeight);
    m_CropOffsetX = offsets.x;
    m_CropOffsetY = offsets.y;
}

void CTRIPOD01Dlg::ResizeForPicture() {
    const WindowSize outer = DialogOuterSize(m_CropWidth, m_CropHeight);
    m_OuterSize = QSize(outer.width, outer.height);
    show();  // above other windows by its window flags
    FitOuterSize();
}

void CTRIPOD01Dlg::FitOuterSize() {
    // The rule is for the whole window, whatever frame the window system draws around it. The
    // frame is known once the window is shown, and a window manager may report it later still
    // (the window then moves inside its new frame), so this runs again on every move.
    if (m_OuterSize.isEmpty())
        return;
    const QSize frame = frameGeometry().size() - geometry().size();
    QSize client = m_OuterSize - frame;
    client.setHeight(std::max(client.height(), m_MinClientHeight));
    if (size() != client || minimumSize() != client || maximumSize() != client)
        setFixedSize(client);
}

void CTRIPOD01Dlg::moveEvent(QMoveEvent* event) {
    ui::Dialog::moveEvent(event);
    FitOuterSize();
}

void CTRIPOD01Dlg::ApplyLawEnforcementLayout() {
    CenterCropRect();
    m_MinClientHeight = LawEnforcementClientHeight(m_CropWidth, m_CropHeight, m_RotationAngle);
    ResizeForPicture();
    for (int id : LawEnforcementHidden())
        ShowItem(id, false);
    for (int id : LawEnforcementShown())
        ShowItem(id, true);
    CenterCropRect();
    PlaceControls(LawEnforcementPlacements(m_CropWidth, m_CropHeight, m_RotationAngle));
    FitPreviewWindow();
}

void CTRIPOD01Dlg::ApplyStandardLayout() {
    for (int id : StandardHidden())
        ShowItem(id, false);
    CenterCropRect();
    m_MinClientHeight = 0;
    ResizeForPicture();
    CenterCropRect();
    PlaceControls(StandardPlacements(m_CropWidth, m_CropHeight));
    FitPreviewWindow();
}

void CTRIPOD01Dlg::PlaceControls(const std::vector<ControlPlacement>& placements) {
    for (const ControlPlacement& p : placements) {
        if (p.resize) {
            MoveItem(p.id, p.x, p.y, p.width, p.height);
        } else {
            MoveItem(p.id, p.x, p.y);
        }
        ShowItem(p.id, true);
    }
    update();
}

QIcon LoadPicture(const char* resource, int side) {
    const QString base = QString::fromUtf8(resource);
    QIcon icon;
    icon.addFile(base + QStringLiteral(".png"), QSize(side, side));
    icon.addFile(base + QStringLiteral("@2x.png"), QSize(2 * side, 2 * side));
    return icon;
}

QIcon LoadApplicationIcon() {
    QIcon icon;
    QDirIterator sizes(QStringLiteral(":/station/appicon"));
    while (sizes.hasNext())
        icon.addFile(sizes.next());
    return icon;
}

void CTRIPOD01Dlg::LoadButtonPictures() {
    for (const ButtonPicture& picture : kButtonPictures) {
        auto* button = Item<QPushButton>(picture.buttonId);
        if (button == nullptr)
            continue;
        button->setIcon(LoadPicture(picture.resource, kPictureSide));
        button->setIconSize(QSize(kPictureSide, kPictureSide));
    }
}
