// The password dialog.
#include "setup/Pass.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "station/MainDialog.h"

CPass::CPass(CTRIPOD01Dlg* owner)
    : ui::Dialog(owner), m_pOwner(owner), m_ExpectedPassword(owner->m_PassWord) {
    setWindowTitle(QStringLiteral("Dialog"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    auto* label = new QLabel(QStringLiteral("Enter Password"), this);
    label->setGeometry(12, 10, 176, 16);
    auto* edit = new QLineEdit;
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(kMaxPasswordLength);
    AddControl(kPasswordEdit, edit);
    MoveItem(kPasswordEdit, 12, 28, 176, 22);
    auto* ok = new QPushButton(QStringLiteral("OK"));
    AddControl(kOk, ok);
    ok->setDefault(true);
    MoveItem(kOk, 62, 60, 75, 23);
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
