// The up-down control (see UpDown.h).
#include "platform/ui/UpDown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>
#include <cstdint>

#include "platform/ui/Dialog.h"

namespace ui {

UpDown::UpDown(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    setFocusPolicy(Qt::TabFocus);
    for (QToolButton* button : {up_, down_}) {
        button->setArrowType(button == up_ ? Qt::UpArrow : Qt::DownArrow);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        button->setAutoRepeatDelay(400);
        button->setAutoRepeatInterval(80);
    }
    connect(up_, &QToolButton::clicked, this, [this] { Step(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void UpDown::SetRange(int lower, int upper) {
    lower_ = lower;
    upper_ = upper;
    SetPos(position_);
}

void UpDown::SetBuddy(QLineEdit* buddy) {
    if (buddy_ != nullptr)
        buddy_->removeEventFilter(this);
    buddy_ = buddy;
    if (buddy_ != nullptr) {
        buddy_->installEventFilter(this);
        buddy_->setText(QString::number(position_));
    }
}

void UpDown::SetPos(int position) {
    position_ = Clamp(position);
    if (buddy_ != nullptr)
        buddy_->setText(QString::number(position_));
}

int UpDown::Clamp(int position) const {
    return std::clamp(position, std::min(lower_, upper_), std::max(lower_, upper_));
}

void UpDown::Step(int delta) {
    if (!isEnabled())
        return;
    int shown = position_;
    if (buddy_ != nullptr && ParseInteger(buddy_->text(), shown))
        shown = Clamp(shown);
    else
        shown = position_;
    // Never past the range, and no overflow at the ends of int.
    const int64_t next = int64_t{shown} + (lower_ <= upper_ ? delta : -delta);
    SetPos(static_cast<int>(
        std::clamp<int64_t>(next, std::min(lower_, upper_), std::max(lower_, upper_))));
    last_ = {position_, delta};
    emit stepped();
}

bool UpDown::StepForKey(int key) {
    if (key != Qt::Key_Up && key != Qt::Key_Down)
        return false;
    Step(key == Qt::Key_Up ? +1 : -1);
    return true;
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == buddy_ && event->type() == QEvent::KeyPress &&
        StepForKey(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QWidget::eventFilter(watched, event);
}

void UpDown::keyPressEvent(QKeyEvent* event) {
    if (!StepForKey(event->key()))
        QWidget::keyPressEvent(event);
}

void UpDown::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

}  // namespace ui
