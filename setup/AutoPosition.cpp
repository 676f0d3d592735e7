// The Auto Position page.
#include "setup/AutoPosition.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <utility>

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
    AddGroupBox(QStringLiteral("Set Center Offset"), {8, 6, 230, 112});
    AddLabel(QStringLiteral("X Offset"), {18, 28, 70, 18});
    AddLabel(QStringLiteral("Y Offset"), {18, 56, 70, 18});
    for (const int id : {kXOffset, kYOffset}) {
        auto* edit = new QLineEdit;
        edit->setReadOnly(true);
        AddControl(id, edit);
    }
    MoveItem(kXOffset, 92, 26, 70, 22);
    MoveItem(kYOffset, 92, 54, 70, 22);
    AddControl(kSetOffset, new QPushButton(QStringLiteral("Set Offset")));
    MoveItem(kSetOffset, 18, 84, 100, 24);

    AddGroupBox(QStringLiteral("Pan/Tilt Direction"), {8, 126, 230, 76});
    AddControl(kPanReverse, new QCheckBox(QStringLiteral("Pan Reverse")));
    AddControl(kTiltReverse, new QCheckBox(QStringLiteral("Tilt Reverse")));
    MoveItem(kPanReverse, 18, 148, 150, 18);
    MoveItem(kTiltReverse, 18, 172, 150, 18);

    auto* instructions = new QPlainTextEdit;
    instructions->setReadOnly(true);
    instructions->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    AddControl(kInstructions, instructions);
    MoveItem(kInstructions, 250, 6, 262, 228);

    using Command = void (CAutoPosition::*)();
    static constexpr std::pair<int, Command> kCommandMap[] = {
        {kPanReverse, &CAutoPosition::OnPanReverse},
        {kTiltReverse, &CAutoPosition::OnTiltReverse},
        {kSetOffset, &CAutoPosition::OnSetOffset},
    };
    for (const auto& [id, handler] : kCommandMap)
        MapCommand(id, [this, handler] { (this->*handler)(); });
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
