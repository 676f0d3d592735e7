// Controls made from their table rows, and a dialog's whole table added at once.
#include "platform/ui/ControlSpec.h"

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

QWidget* MakeControl(const ControlSpec& spec) {
    const QString caption = QString::fromUtf8(spec.caption);
    switch (spec.kind) {
        case ControlKind::kGroupBox:
            return new QGroupBox(caption);
        case ControlKind::kLabel:
            return new QLabel(caption);
        case ControlKind::kButton:
            return new QPushButton(caption);
        case ControlKind::kPictureButton: {
            auto* button = new QPushButton;
            const QString tip = QString::fromUtf8(spec.tip);
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
            return MakeEdit(caption, spec.style);
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

void Dialog::AddControls(std::span<const ControlSpec> specs) {
    for (const ControlSpec& spec : specs) {
        const auto place = [&](int id, QWidget* control, const QRect& rect) {
            if (id == kNoId) {
                control->setParent(this);
            } else {
                AddControl(id, control);
            }
            control->setGeometry(rect);
            // The rest show with the dialog.
            if ((spec.style & kHidden) != 0)
                control->hide();
            if ((spec.style & kDisabled) != 0)
                control->setEnabled(false);
        };
        QWidget* control = MakeControl(spec);
        place(spec.id, control, {spec.x, spec.y, spec.width, spec.height});
        if (spec.kind == ControlKind::kGroupBox)
            control->lower();
        if (spec.kind == ControlKind::kUpDown) {
            auto* arrows = new UpDown;
            place(spec.upDown.id, arrows,
                  {spec.x + spec.width, spec.y, kUpDownArrowsWidth, spec.height});
            arrows->SetBuddy(static_cast<QLineEdit*>(control));
            arrows->SetRange(spec.upDown.lower, spec.upDown.upper);
        }
    }
}

}  // namespace ui
