// The About box: the application icon, the product line, a notice line and OK.
#pragma once

#include "platform/ui/Dialog.h"

class CAboutDlg : public ui::Dialog {
    Q_OBJECT

  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
