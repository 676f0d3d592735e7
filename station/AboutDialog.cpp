// The About box.
#include "station/AboutDialog.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

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

    // The text lines are as wide as their texts in this font, and the box as wide as the
    // widest, so no line is cut short.
    int width = 340;
    const auto placeLine = [&](int id, int y, int leastWidth) {
        const int lineWidth = std::max(leastWidth, Item<QLabel>(id)->sizeHint().width());
        MoveItem(id, 64, y, lineWidth, 16);
        width = std::max(width, 64 + lineWidth + 16);
    };
    MoveItem(ids::kAboutIcon, 16, 16, 32, 32);
    placeLine(ids::kAboutProduct, 14, 220);
    placeLine(ids::kAboutNotice, 36, 240);
    MoveItem(ids::kAboutOk, width - 90, 64, 75, 23);
    setFixedSize(width, 100);
}
