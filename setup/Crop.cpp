// The Crop page.
#include "setup/Crop.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <climits>
#include <string_view>

#include "control/CameraModels.h"
#include "platform/system/Clock.h"
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
    AddGroupBox(QStringLiteral("Croping Select"), {8, 6, 136, 166});
    const char* captions[] = {"No Cropping", "4/5", "3/4", "2/3", "1/1", "Custom"};
    for (int i = 0; i < 6; ++i) {
        AddControl(kCropChoiceIds[i], new QRadioButton(QString::fromLatin1(captions[i])));
        MoveItem(kCropChoiceIds[i], 18, 26 + 23 * i, 116, 18);
    }
    AddRadioGroup({kNoCropping, kFourFifths, kThreeQuarters, kTwoThirds, kSquare, kCustom});

    AddLabel(QStringLiteral("Horizonal"), {156, 16, 66, 18});
    AddLabel(QStringLiteral("Vertical"), {156, 46, 66, 18});
    AddControl(kWidthEdit, new QLineEdit);
    AddControl(kHeightEdit, new QLineEdit);
    MoveItem(kWidthEdit, 226, 14, 68, 22);
    MoveItem(kHeightEdit, 226, 44, 68, 22);
    AddControl(kResize, new QPushButton(QStringLiteral("Resize")));
    MoveItem(kResize, 226, 74, 68, 24);

    AddGroupBox(QStringLiteral("Video Rotation"), {152, 110, 144, 62});
    const int rotationIds[] = {kRotation0, kRotation90, kRotation270};
    const char* angles[] = {"0", "90", "270"};
    for (int i = 0; i < 3; ++i) {
        AddControl(rotationIds[i], new QRadioButton(QString::fromLatin1(angles[i])));
        MoveItem(rotationIds[i], 162 + 44 * i, 136, 42, 18);
    }
    AddRadioGroup({kRotation0, kRotation90, kRotation270});

    AddLabel(QStringLiteral("Camera Type"), {12, 186, 84, 18});
    auto* typeEdit = new QLineEdit;
    typeEdit->setReadOnly(true);
    AddControl(kCameraTypeEdit, typeEdit);
    MoveItem(kCameraTypeEdit, 100, 184, 120, 22);

    for (int choice = 0; choice < kCustomChoice; ++choice)
        MapCommand(kCropChoiceIds[choice], [this, choice] { OnCropChoice(choice); });
    MapCommand(kCustom, [this] { OnCustom(); });
    MapCommand(kResize, [this] { OnResize(); });
    MapCommand(kRotation0, [this] { OnRotation0(); });
    MapCommand(kRotation90, [this] { OnRotationTurned(1); });
    MapCommand(kRotation270, [this] { OnRotationTurned(2); });
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
    const bool turned = m_pMainDlg->m_RotationAngle != 0;
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
