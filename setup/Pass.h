// The password dialog that guards the "Adjust" sheet: one masked edit and OK.
//
// Only OK judges the entry: it compares the text exactly with the configured password and
// leaves the verdict in the owner's m_PasswordOK. Escape and the close box end the dialog
// without touching it, so an earlier correct entry still counts.
#pragma once

#include <string>

#include "platform/ui/Dialog.h"

class CTRIPOD01Dlg;

class CPass : public ui::Dialog {
    Q_OBJECT

  public:
    static constexpr int kPasswordEdit = 1128;
    static constexpr int kOk = 1;
    // The edit takes as much as the settings store keeps of a password.
    static constexpr int kMaxPasswordLength = 254;

    explicit CPass(CTRIPOD01Dlg* owner);

    void OnOK() override;

    CTRIPOD01Dlg* m_pOwner;
    std::string m_ExpectedPassword;  // the owner's m_PassWord when the dialog was made
    std::string m_EnteredPassword;

  protected:
    void DoDataExchange(ui::DataExchange& dx) override;
    void showEvent(QShowEvent* event) override;
};
