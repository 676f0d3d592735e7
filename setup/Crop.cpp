// The Crop page.
#include "setup/Crop.h"

#include <algorithm>
#include <climits>
#include <string_view>

#include "control/CameraModels.h"
#include "device/FrameGeometry.h"
#include "platform/system/Clock.h"
#include "platform/ui/ControlRow.h"
#include "station/MainDialog.h"

namespace {

// The sizes each fixed choice puts into the edits, upright; "No Cropping" has its own size for
// a turned picture, the ratios keep theirs.
struct ChoiceSize {
    const char* width;
    const char* height;
};
constexpr ChoiceSize kChoiceSizes[] = {
    {"624", "468"}, {"376", "468"}, {"356", "475"}, {"312", "468"}, {"468", "468"},
};
constexpr ChoiceSize kTurnedNoCropping{"480", "600"};

// The preview window needs this long to take its new place before the dialog is laid out
// around it again.
constexpr int kRotationSettleMs = 30;

using K = ui::ControlKind;
using ui::kNoId;

constexpr ui::ControlRow kCropControls[] = {
    {kNoId, K::kGroupBox, "Croping Select", 8, 6, 136, 166},
    {CPropPageCrop::kNoCropping, K::kRadio, "No Cropping", 18, 26, 116, 18},
    {CPropPageCrop::kFourFifths, K::kRadio, "4/5", 18, 49, 116, 18},
    {CPropPageCrop::kThreeQuarters, K::kRadio, "3/4", 18, 72, 116, 18},
    {CPropPageCrop::kTwoThirds, K::kRadio, "2/3", 18, 95, 116, 18},
    {CPropPageCrop::kSquare, K::kRadio, "1/1", 18, 118, 116, 18},
    {CPropPageCrop::kCustom, K::kRadio, "Custom", 18, 141, 116, 18},

    {kNoId, K::kLabel, "Horizonal", 156, 16, 66, 18},
    {kNoId, K::kLabel, "Vertical", 156, 46, 66, 18},
    {CPropPageCrop::kWidthEdit, K::kEdit, "", 226, 14, 68, 22},
    {CPropPageCrop::kHeightEdit, K::kEdit, "", 226, 44, 68, 22},
    {CPropPageCrop::kResize, K::kButton, "Resize", 226, 74, 68, 24},

    {kNoId, K::kGroupBox, "Video Rotation", 152, 110, 144, 62},
    {CPropPageCrop::kRotation0, K::kRadio, "0", 162, 136, 42, 18},
    {CPropPageCrop::kRotation90, K::kRadio, "90", 206, 136, 42, 18},
    {CPropPageCrop::kRotation270, K::kRadio, "270", 250, 136, 42, 18},

    {kNoId, K::kLabel, "Camera Type", 12, 186, 84, 18},
    {CPropPageCrop::kCameraTypeEdit, K::kEdit, "", 100, 184, 120, 22, ui::kReadOnly},
};

}  // namespace

int ParseLeadingInteger(const QString& text) {
    const QString s = text.trimmed();
    qsizetype at = 0;
    bool negative = false;
    if (at < s.size() && (s[at] == u'+' || s[at] == u'-')) {
        negative = s[at] == u'-';
        ++at;
    }
    int64_t value = 0;
    for (; at < s.size() && s[at] >= u'0' && s[at] <= u'9'; ++at) {
        value = std::min<int64_t>(value * 10 + (s[at].unicode() - u'0'), int64_t{INT_MAX} + 1);
    }
    value = negative ? -value : std::min<int64_t>(value, INT_MAX);
    return static_cast<int>(value);
}

CPropPageCrop::CPropPageCrop() : ui::PropertyPage(QStringLiteral("Crop"), QSize(304, 222)) {
    AddControls(kCropControls);
    AddRadioGroup({kNoCropping, kFourFifths, kThreeQuarters, kTwoThirds, kSquare, kCustom});
    AddRadioGroup({kRotation0, kRotation90, kRotation270});

    static constexpr CommandRow<CPropPageCrop> kCommandMap[] = {
        {kCustom, &CPropPageCrop::OnCustom},
        {kResize, &CPropPageCrop::OnResize},
        {kRotation0, &CPropPageCrop::OnRotation0},
    };
    static constexpr ValueCommandRow<CPropPageCrop> kValueCommandMap[] = {
        {kNoCropping, &CPropPageCrop::OnCropChoice, 0},
        {kFourFifths, &CPropPageCrop::OnCropChoice, 1},
        {kThreeQuarters, &CPropPageCrop::OnCropChoice, 2},
        {kTwoThirds, &CPropPageCrop::OnCropChoice, 3},
        {kSquare, &CPropPageCrop::OnCropChoice, 4},
        {kRotation90, &CPropPageCrop::OnRotationTurned, 1},
        {kRotation270, &CPropPageCrop::OnRotationTurned, 2},
    };
    MapCommandTable(kCommandMap);
    MapCommandTable(kValueCommandMap);
}

CPropPageCrop::~CPropPageCrop() = default;

void CPropPageCrop::DoDataExchange(ui::DataExchange& dx) {
    ui::PropertyPage::DoDataExchange(dx);
    dx.Radio(kNoCropping, m_CropChoice);
    dx.Text(kWidthEdit, m_Width);
    dx.Text(kHeightEdit, m_Height);
    dx.Radio(kRotation0, m_RotationChoice);
}

bool CPropPageCrop::OnInitDialog() {
    ui::PropertyPage::OnInitDialog();
    CTRIPOD01Dlg& main = *m_pMainDlg;
    m_Width = QString::number(main.m_CropWidth);
    m_Height = QString::number(main.m_CropHeight);
    m_CropChoice = main.m_CropSelect;
    const bool editable = m_CropChoice >= kCustomChoice;
    SetItemReadOnly(kWidthEdit, !editable);
    SetItemReadOnly(kHeightEdit, !editable);
    const std::string_view model = CameraClassName(main.m_CameraType);
    SetDlgItemText(kCameraTypeEdit,
                   QString::fromUtf8(model.data(), static_cast<qsizetype>(model.size())));
    m_RotationChoice = main.m_RotationAngle;
    if (main.m_Interface == 0 && (m_RotationChoice == 1 || m_RotationChoice == 2))
        EnableNarrowChoices(false, true);
    UpdateData(false);
    return true;
}

void CPropPageCrop::SetSizeTexts(const char* width, const char* height, bool editable) {
    m_Width = QString::fromLatin1(width);
    m_Height = QString::fromLatin1(height);
    SetItemReadOnly(kWidthEdit, !editable);
    SetItemReadOnly(kHeightEdit, !editable);
}

void CPropPageCrop::EnableNarrowChoices(bool enable, bool square) {
    for (int id : {kTwoThirds, kThreeQuarters, kFourFifths})
        EnableItem(id, enable);
    if (square)
        EnableItem(kSquare, enable);
}

void CPropPageCrop::OnResize() {
    CTRIPOD01Dlg& main = *m_pMainDlg;
    UpdateData(true);
    // Whatever was typed, the crop stays one the frame can give and the next start keeps.
    const CropSizeLimits limits = CropLimitsFor(main.m_RotationAngle);
    main.m_CropWidth = std::clamp(ParseLeadingInteger(m_Width), limits.minWidth, limits.maxWidth);
    main.m_CropHeight =
        std::clamp(ParseLeadingInteger(m_Height), limits.minHeight, limits.maxHeight);
    m_Width = QString::number(main.m_CropWidth);
    m_Height = QString::number(main.m_CropHeight);
    SetDlgItemText(kWidthEdit, m_Width);
    SetDlgItemText(kHeightEdit, m_Height);
    if (main.m_Interface == 0) {
        main.ApplyLawEnforcementLayout();
    } else {
        main.ApplyStandardLayout();
    }
}

void CPropPageCrop::OnCropChoice(int choice) {
    const bool turned = frame::CropTurned(m_pMainDlg->m_RotationAngle);
    const ChoiceSize& size = choice == 0 && turned ? kTurnedNoCropping : kChoiceSizes[choice];
    m_CropChoice = choice;
    SetSizeTexts(size.width, size.height, false);
    m_pMainDlg->m_CropSelect = choice;
    UpdateData(false);
    OnResize();
}

void CPropPageCrop::OnCustom() {
    m_CropChoice = kCustomChoice;
    m_pMainDlg->m_CropSelect = kCustomChoice;
    SetItemReadOnly(kWidthEdit, false);
    SetItemReadOnly(kHeightEdit, false);
}

void CPropPageCrop::OnRotation0() {
    CTRIPOD01Dlg& main = *m_pMainDlg;
    main.m_RotationAngle = 0;
    m_RotationChoice = 0;
    m_CropChoice = 0;
    main.m_CropSelect = 0;
    SetSizeTexts(kChoiceSizes[0].width, kChoiceSizes[0].height, false);
    UpdateData(false);
    OnResize();
    main.SetVideoRotation(0);
    sys::Wait(kRotationSettleMs);
    OnResize();
    EnableNarrowChoices(true, true);
    UpdateData(false);
}

void CPropPageCrop::OnRotationTurned(int rotation) {
    CTRIPOD01Dlg& main = *m_pMainDlg;
    main.m_RotationAngle = rotation;
    m_RotationChoice = rotation;
    m_CropChoice = 0;
    main.m_CropSelect = 0;
    SetSizeTexts(kTurnedNoCropping.width, kTurnedNoCropping.height, false);
    UpdateData(false);
    main.SetVideoRotation(rotation);
    OnResize();
    sys::Wait(kRotationSettleMs);
    main.SetVideoRotation(rotation);
    // "1/1" stays usable here; only a later opening in the Law Enforcement layout takes it away.
    if (rotation == 1) {
        OnResize();
        EnableNarrowChoices(false, false);
        UpdateData(false);
    } else {
        EnableNarrowChoices(false, false);
        OnResize();
    }
}
