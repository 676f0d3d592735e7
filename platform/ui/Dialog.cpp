// The dialog framework: controls by id, data exchange, timers by id, and the routing of Enter,
// Escape and the close request to the dialog's hooks (the close request's rules are in
// Dialog.h).
#include "platform/ui/Dialog.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <charconv>
#include <cstdio>

#include "platform/ui/ModalRun.h"
#include "platform/ui/Services.h"

namespace ui {
namespace {

QString ControlText(const QWidget* w) {
    if (auto* edit = qobject_cast<const QLineEdit*>(w))
        return edit->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->text();
    if (auto* label = qobject_cast<const QLabel*>(w))
        return label->text();
    if (auto* group = qobject_cast<const QGroupBox*>(w))
        return group->title();
    if (w != nullptr)
        return w->windowTitle();
    return {};
}

}  // namespace

// Reads an integer the way the dialog framework always has: optional blanks, an optional sign
// and decimal digits, optional trailing blanks, nothing else, and no overflow.
bool ParseInteger(const QString& text, int& value) {
    const std::string s = text.trimmed().toStdString();
    if (s.empty())
        return false;
    const char* first = s.data();
    const char* last = s.data() + s.size();
    if (*first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last;
}

// --- data exchange ---------------------------------------------------------------------------

void DataExchange::Fail(int id, const std::string& message) {
    failed_ = true;
    if (quiet_)
        return;
    MessageBox(&dialog_, message);
    dialog_.GotoDlgCtrl(id);
}

void DataExchange::Radio(int firstId, int& index) {
    if (failed_)
        return;
    if (save_) {
        index = dialog_.CheckedRadioIndex(firstId);
    } else {
        dialog_.CheckRadioIndex(firstId, index);
    }
}

void DataExchange::Text(int id, QString& value) {
    if (failed_)
        return;
    if (save_) {
        value = dialog_.GetDlgItemText(id);
    } else {
        dialog_.SetDlgItemText(id, value);
    }
}

void DataExchange::Text(int id, std::string& value) {
    if (failed_)
        return;
    if (save_) {
        value = dialog_.GetDlgItemText(id).toStdString();
    } else {
        dialog_.SetDlgItemText(id, QString::fromStdString(value));
    }
}

void DataExchange::Int(int id, int& value) {
    if (failed_)
        return;
    if (!save_) {
        dialog_.SetDlgItemText(id, QString::number(value));
        return;
    }
    int parsed = 0;
    if (!ParseInteger(dialog_.GetDlgItemText(id), parsed)) {
        Fail(id, "Please enter an integer.");
        return;
    }
    value = parsed;
}

void DataExchange::IntRange(int id, int& value, int min, int max) {
    if (failed_ || !save_)
        return;
    if (value < min || value > max) {
        char message[96];
        std::snprintf(message, sizeof message, "Please enter an integer between %d and %d.", min,
                      max);
        Fail(id, message);
    }
}

void DataExchange::Slider(int id, int& position) {
    if (failed_)
        return;
    auto* slider = dialog_.Item<QAbstractSlider>(id);
    if (slider == nullptr)
        return;
    if (save_) {
        position = slider->value();
    } else {
        slider->setValue(position);
    }
}

void DataExchange::Check(int id, int& value) {
    if (failed_)
        return;
    if (save_) {
        value = dialog_.IsDlgButtonChecked(id) ? 1 : 0;
    } else {
        dialog_.CheckDlgButton(id, value != 0);
    }
}

// --- dialog ----------------------------------------------------------------------------------

Dialog::Dialog(QWidget* parent) : QDialog(parent) {}

Dialog::~Dialog() {
    if (closeQueued_)
        NoteCloseWaiting(this, false);
}

void Dialog::AddControl(int id, QWidget* control) {
    control->setParent(this);
    controls_[id] = control;
    // Enter must reach the dialog's OnOK, not the last focused button.
    if (auto* button = qobject_cast<QPushButton*>(control))
        button->setAutoDefault(false);
}

void Dialog::AddRadioGroup(std::initializer_list<int> ids) {
    if (ids.size() == 0)
        return;
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    RadioGroup entry{{}, group};
    int index = 0;
    for (int id : ids) {
        if (auto* button = Item<QAbstractButton>(id)) {
            button->setAutoExclusive(false);
            group->addButton(button, index);
        }
        entry.ids.push_back(id);
        ++index;
    }
    radioGroups_[*ids.begin()] = std::move(entry);
}

QWidget* Dialog::GetDlgItem(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

void Dialog::ShowItem(int id, bool show) {
    if (QWidget* w = GetDlgItem(id))
        w->setVisible(show);
}

void Dialog::EnableItem(int id, bool enable) {
    if (QWidget* w = GetDlgItem(id))
        w->setEnabled(enable);
}

void Dialog::MoveItem(int id, int x, int y) {
    if (QWidget* w = GetDlgItem(id))
        w->move(x, y);
}

void Dialog::MoveItem(int id, int x, int y, int width, int height) {
    if (QWidget* w = GetDlgItem(id))
        w->setGeometry(x, y, width, height);
}

QRect Dialog::ItemRect(int id) const {
    const QWidget* w = GetDlgItem(id);
    return w == nullptr ? QRect() : w->geometry();
}

bool Dialog::IsItemVisible(int id) const {
    const QWidget* w = GetDlgItem(id);
    return w != nullptr && !w->isHidden();
}

void Dialog::SetDlgItemText(int id, const QString& text) {
    QWidget* w = GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(text);
    } else if (w != nullptr) {
        w->setWindowTitle(text);
    }
}

void Dialog::SetItemReadOnly(int id, bool readOnly) {
    if (auto* edit = Item<QLineEdit>(id))
        edit->setReadOnly(readOnly);
}

bool Dialog::IsItemReadOnly(int id) const {
    const auto* edit = Item<QLineEdit>(id);
    return edit != nullptr && edit->isReadOnly();
}

QString Dialog::GetDlgItemText(int id) const {
    return ControlText(GetDlgItem(id));
}

void Dialog::CheckDlgButton(int id, bool checked) {
    auto* button = Item<QAbstractButton>(id);
    if (button == nullptr)
        return;
    QButtonGroup* group = button->group();
    if (group != nullptr && !checked && button->isChecked()) {
        // An exclusive group refuses to uncheck its last button; lift that for the moment.
        group->setExclusive(false);
        button->setChecked(false);
        group->setExclusive(true);
        return;
    }
    button->setChecked(checked);
}

bool Dialog::IsDlgButtonChecked(int id) const {
    const auto* button = Item<QAbstractButton>(id);
    return button != nullptr && button->isChecked();
}

void Dialog::GotoDlgCtrl(int id) {
    if (QWidget* w = GetDlgItem(id))
        w->setFocus(Qt::OtherFocusReason);
}

int Dialog::CheckedRadioIndex(int firstId) const {
    const auto it = radioGroups_.find(firstId);
    if (it == radioGroups_.end())
        return -1;
    for (size_t i = 0; i < it->second.ids.size(); ++i) {
        if (IsDlgButtonChecked(it->second.ids[i]))
            return static_cast<int>(i);
    }
    return -1;
}

void Dialog::CheckRadioIndex(int firstId, int index) {
    const auto it = radioGroups_.find(firstId);
    if (it == radioGroups_.end())
        return;
    const std::vector<int>& ids = it->second.ids;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (static_cast<int>(i) != index)
            CheckDlgButton(ids[i], false);
    }
    if (index >= 0 && index < static_cast<int>(ids.size()))
        CheckDlgButton(ids[index], true);
}

bool Dialog::UpdateData(bool saveAndValidate) {
    DataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

bool Dialog::UpdateDataQuietly() {
    DataExchange dx(*this, true, true);
    DoDataExchange(dx);
    return !dx.Failed();
}

void Dialog::DoDataExchange(DataExchange&) {}

void Dialog::SetTimer(int id, int intervalMs) {
    QTimer*& timer = timers_[id];
    if (timer == nullptr) {
        timer = new QTimer(this);
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, Handler([this, id] { OnTimer(id); }));
    }
    timer->start(intervalMs);
}

void Dialog::KillTimer(int id) {
    const auto it = timers_.find(id);
    if (it != timers_.end())
        it->second->stop();
}

bool Dialog::IsTimerRunning(int id) const {
    const auto it = timers_.find(id);
    return it != timers_.end() && it->second->isActive();
}

int Dialog::TimerInterval(int id) const {
    return IsTimerRunning(id) ? timers_.at(id)->interval() : -1;
}

int Dialog::DoModal() {
    if (CloseRequestWaiting())
        return QDialog::Rejected;
    ModalRun run(parentWidget(), this);
    {
        // A close request raised during initialisation is served when it has returned.
        HandlerScope initialising(*this);
        OnInitDialog();
    }
    if (ending_)
        return result();
    // The dialog's own loop rather than QDialog::exec(): exec() ends whenever the window is
    // hidden, and cannot be ended at all while it is hidden. This loop ends by EndDialog only.
    setAttribute(Qt::WA_ShowModal, true);
    show();
    QEventLoop loop;
    modalLoop_ = &loop;
    loop.exec(QEventLoop::DialogExec);
    modalLoop_ = nullptr;
    return result();
}

void Dialog::EndDialog(int result) {
    ending_ = true;
    for (auto& [id, timer] : timers_)
        timer->stop();
    done(result);
    if (modalLoop_ != nullptr)
        modalLoop_->exit();
}

void Dialog::HideKeepingModalRun() {
    // The window system takes a hidden window off the modal stack until it is shown again.
    hide();
}

void Dialog::ShowKeepingModalRun() {
    show();
}

bool Dialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void Dialog::OnTimer(int) {}
void Dialog::OnOK() {
    EndDialog(QDialog::Accepted);
}
void Dialog::OnCancel() {
    EndDialog(QDialog::Rejected);
}
void Dialog::OnClose() {}

// --- the close request ------------------------------------------------------------------------

Dialog::HandlerScope::HandlerScope(Dialog& dialog) : dialog_(&dialog) {
    ++dialog.handlersRunning_;
}

Dialog::HandlerScope::~HandlerScope() {
    if (dialog_ && --dialog_->handlersRunning_ == 0)
        dialog_->ServeWaitingClose();
}

bool Dialog::Busy() const {
    return handlersRunning_ > 0 || ModalRunOpenOver(this);
}

void Dialog::RunClose() {
    closing_ = true;
    OnClose();
    EndDialog(QDialog::Rejected);
    closing_ = false;
}

void Dialog::ServeWaitingClose() {
    if (!closeQueued_ || Busy())
        return;
    closeQueued_ = false;
    NoteCloseWaiting(this, false);
    RunClose();
}

void Dialog::closeEvent(QCloseEvent* event) {
    if (ending_) {
        event->accept();
        return;
    }
    // A queued request keeps the window until OnClose has run.
    event->ignore();
    if (closeQueued_ || closing_)
        return;
    if (!Busy()) {
        DismissModalRunsOver(this);  // an open menu, say
        RunClose();
        event->accept();
        return;
    }
    closeQueued_ = true;
    NoteCloseWaiting(this, true);
    DismissModalRunsOver(this);
    // A handler connected without Handler() is not known to be running: the request is then
    // served from the event loop once that handler has returned.
    QMetaObject::invokeMethod(this, &Dialog::ServeWaitingClose, Qt::QueuedConnection);
}

void Dialog::keyPressEvent(QKeyEvent* event) {
    HandlerScope handling(*this);
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers() == Qt::NoModifier) {
        auto* button = qobject_cast<QPushButton*>(focusWidget());
        if (button != nullptr && button->isEnabled()) {
            button->click();
        } else {
            OnOK();
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);  // Escape arrives at reject()
}

void Dialog::reject() {
    HandlerScope handling(*this);
    OnCancel();
}
void Dialog::accept() {
    HandlerScope handling(*this);
    OnOK();
}

}  // namespace ui
