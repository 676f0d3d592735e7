// The About box.
#include "station/AboutDialog.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "station/ControlIds.h"
#include "station/Layout.h"

CAboutDlg::CAboutDlg(QWidget* parent) : ui::Dialog(parent) {
    setWindowTitle(QStringLiteral("About ZelvoCam USB - Law Enforcement 3.007"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    QFont dialogFont = font();
    dialogFont.setPixelSize(11);
    setFont(dialogFont);

    auto* icon = new QLabel;
    icon->setPixmap(LoadApplicationIcon().pixmap(QSize(32, 32), devicePixelRatioF()));
    AddControl(ids::kAboutIcon, icon);
    AddControl(ids::kAboutProduct, new QLabel(QStringLiteral("ZelvoCam USB 3.006")));
    AddControl(ids::kAboutNotice,
               new QLabel(QStringLiteral("Capture station for the ZelvoCam USB camera")));
    auto* ok = new QPushButton(QStringLiteral("OK"));
    AddControl(ids::kAboutOk, ok);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, Handler([this] { OnOK(); }));

    MoveItem(ids::kAboutIcon, 16, 16, 32, 32);
    MoveItem(ids::kAboutProduct, 64, 14, 220, 16);
    MoveItem(ids::kAboutNotice, 64, 36, 240, 16);
    MoveItem(ids::kAboutOk, 250, 64, 75, 23);
    setFixedSize(340, 100);
}
