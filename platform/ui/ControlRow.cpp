// Controls made from their table rows, and a dialog's whole table added at once.
#include "platform/ui/ControlRow.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "platform/ui/Dialog.h"
#include "platform/ui/UpDown.h"

namespace ui {
namespace {

QLineEdit* MakeEdit(const QString& text, unsigned style) {
    auto* edit = new QLineEdit(text);
    edit->setReadOnly((style & kReadOnly) != 0);
    if ((style & kAlignRight) != 0)
        edit->setAlignment(Qt::AlignRight);
    if ((style & kAlignCenter) != 0)
        edit->setAlignment(Qt::AlignCenter);
    return edit;
}

}  // namespace

QWidget* MakeControl(const ControlRow& row) {
    const QString caption = QString::fromUtf8(row.caption);
    switch (row.kind) {
        case ControlKind::kGroupBox:
            return new QGroupBox(caption);
        case ControlKind::kLabel:
            return new QLabel(caption);
        case ControlKind::kButton:
            return new QPushButton(caption);
        case ControlKind::kPictureButton: {
            auto* button = new QPushButton;
            const QString tip = QString::fromUtf8(row.tip);
            button->setAccessibleName(caption.isEmpty() ? tip : caption);
            button->setToolTip(tip);
            return button;
        }
        case ControlKind::kCheckBox:
            return new QCheckBox(caption);
        case ControlKind::kRadio:
            return new QRadioButton(caption);
        case ControlKind::kEdit:
        case ControlKind::kUpDown:
            return MakeEdit(caption, row.style);
        case ControlKind::kSlider: {
            auto* slider = new QSlider(Qt::Vertical);
            // Like the desktop's vertical track bars, the smallest value is at the top.
            slider->setInvertedAppearance(true);
            slider->setInvertedControls(true);
            return slider;
        }
    }
    return nullptr;
}

void Dialog::AddControls(std::span<const ControlRow> rows) {
    for (const ControlRow& row : rows) {
        const auto place = [&](int id, QWidget* control, const QRect& rect) {
            if (id == kNoId) {
                control->setParent(this);
            } else {
                AddControl(id, control);
            }
            control->setGeometry(rect);
            // The rest show with the dialog.
            if ((row.style & kHidden) != 0)
                control->hide();
            if ((row.style & kDisabled) != 0)
                control->setEnabled(false);
        };
        QWidget* control = MakeControl(row);
        place(row.id, control, {row.x, row.y, row.width, row.height});
        if (row.kind == ControlKind::kGroupBox)
            control->lower();
        if (row.kind == ControlKind::kUpDown) {
            auto* arrows = new UpDown;
            place(row.upDown.id, arrows,
                  {row.x + row.width, row.y, kUpDownArrowsWidth, row.height});
            arrows->SetBuddy(static_cast<QLineEdit*>(control));
            arrows->SetRange(row.upDown.lower, row.upDown.upper);
        }
    }
}

}  // namespace ui
