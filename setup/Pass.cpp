// The password dialog.
#include "setup/Pass.h"

#include <QLineEdit>
#include <QPushButton>

#include "platform/ui/ControlRow.h"
#include "station/MainDialog.h"

CPass::CPass(CTRIPOD01Dlg* owner)
    : ui::Dialog(owner), m_pOwner(owner), m_ExpectedPassword(owner->m_PassWord) {
    setWindowTitle(QStringLiteral("Dialog"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    static constexpr ui::ControlRow kControls[] = {
        {ui::kNoId, ui::ControlKind::kLabel, "Enter Password", 12, 10, 176, 16},
        {kPasswordEdit, ui::ControlKind::kEdit, "", 12, 28, 176, 22},
        {kOk, ui::ControlKind::kButton, "OK", 62, 60, 75, 23},
    };
    AddControls(kControls);
    auto* edit = Item<QLineEdit>(kPasswordEdit);
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(kMaxPasswordLength);
    auto* ok = Item<QPushButton>(kOk);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    setFixedSize(200, 94);
}

void CPass::DoDataExchange(ui::DataExchange& dx) {
    ui::Dialog::DoDataExchange(dx);
    dx.Text(kPasswordEdit, m_EnteredPassword);
}

void CPass::showEvent(QShowEvent* event) {
    ui::Dialog::showEvent(event);
    GotoDlgCtrl(kPasswordEdit);
}

void CPass::OnOK() {
    UpdateData(true);
    m_pOwner->m_PasswordOK = m_EnteredPassword == m_ExpectedPassword ? 1 : 0;
    EndDialog(QDialog::Accepted);
}
