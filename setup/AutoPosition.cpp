// The Auto Position page.
#include "setup/AutoPosition.h"

#include <QPlainTextEdit>
#include <QStringList>

#include "platform/ui/ControlRow.h"
#include "station/MainDialog.h"

namespace {

// The pieces of the instructions, as they are laid out: each starts a line, and the blank ones
// are the empty lines between the three sections. Their trailing spaces pad them to whole
// lines of a fixed-pitch box; in any font only a line break starts a line, so the text breaks
// after each piece and drops the padding.
constexpr const char* kInstructionPieces[] = {
    "--------- Center Face Feature ---------- ",
    "1. Position cursor on face feature ",
    "2. Double click left mouse button  ",
    "3. Face feature will center to X,Y ",
    "                                                         ",
    "--------- Move Face Feature ----------   ",
    "1. Position cursor on face feature ",
    "2. Hold down left mouse button     ",
    "3. Drag cursor to desired location ",
    "4. Release left mouse button       ",
    "                                                         ",
    "--------- Set X,Y Offsets ---------------- ",
    "1. Click SetOffset button                ",
    "2. Move cursor to desired location  ",
    "3. Click left mouse button               ",
};

using P = CAutoPosition;
using K = ui::ControlKind;
using ui::kNoId;

// The left half: the centre offset and the pan/tilt direction. The instructions on the right
// are a multi-line box, which no table kind makes.
constexpr ui::ControlRow kAutoPositionControls[] = {
    {kNoId, K::kGroupBox, "Set Center Offset", 8, 6, 230, 112},
    {kNoId, K::kLabel, "X Offset", 18, 28, 70, 18},
    {kNoId, K::kLabel, "Y Offset", 18, 56, 70, 18},
    {P::kXOffset, K::kEdit, "", 92, 26, 70, 22, ui::kReadOnly},
    {P::kYOffset, K::kEdit, "", 92, 54, 70, 22, ui::kReadOnly},
    {P::kSetOffset, K::kButton, "Set Offset", 18, 84, 100, 24},

    {kNoId, K::kGroupBox, "Pan/Tilt Direction", 8, 126, 230, 76},
    {P::kPanReverse, K::kCheckBox, "Pan Reverse", 18, 148, 150, 18},
    {P::kTiltReverse, K::kCheckBox, "Tilt Reverse", 18, 172, 150, 18},
};

}  // namespace

QString CAutoPosition::InstructionText() {
    QStringList lines;
    for (const char* piece : kInstructionPieces) {
        QString line = QString::fromLatin1(piece);
        while (line.endsWith(u' '))
            line.chop(1);
        lines.append(line);
    }
    return lines.join(u'\n');
}

CAutoPosition::CAutoPosition()
    : ui::PropertyPage(QStringLiteral("Auto Position"), QSize(520, 240)) {
    AddControls(kAutoPositionControls);
    auto* instructions = new QPlainTextEdit;
    instructions->setReadOnly(true);
    instructions->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    AddControl(kInstructions, instructions);
    MoveItem(kInstructions, 250, 6, 262, 228);

    static constexpr CommandRow<CAutoPosition> kCommandMap[] = {
        {kPanReverse, &CAutoPosition::OnPanReverse},
        {kTiltReverse, &CAutoPosition::OnTiltReverse},
        {kSetOffset, &CAutoPosition::OnSetOffset},
    };
    MapCommandTable(kCommandMap);
}

CAutoPosition::~CAutoPosition() = default;

bool CAutoPosition::OnInitDialog() {
    ui::PropertyPage::OnInitDialog();
    ShowCenterOffsets();
    CheckDlgButton(kPanReverse, m_pMainDlg->m_PanReverse == 1);
    CheckDlgButton(kTiltReverse, m_pMainDlg->m_TiltReverse == 1);
    Item<QPlainTextEdit>(kInstructions)->setPlainText(InstructionText());
    return true;
}

void CAutoPosition::ShowCenterOffsets() {
    SetDlgItemText(kXOffset, QString::number(m_pMainDlg->m_XCenterOffset));
    SetDlgItemText(kYOffset, QString::number(m_pMainDlg->m_YCenterOffset));
}

void CAutoPosition::OnDestroy() {
    // An armed step does not outlive the page that armed it.
    m_pMainDlg->m_SetOffsetMode = 0;
}

void CAutoPosition::OnPanReverse() {
    m_pMainDlg->m_PanReverse = IsDlgButtonChecked(kPanReverse) ? 1 : 0;
}

void CAutoPosition::OnTiltReverse() {
    m_pMainDlg->m_TiltReverse = IsDlgButtonChecked(kTiltReverse) ? 1 : 0;
}

void CAutoPosition::OnSetOffset() {
    m_pMainDlg->m_SetOffsetMode = 1;
}
