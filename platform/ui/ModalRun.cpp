// The open modal runs and the dialogs whose close request waits for them. Everything here runs
// on the user-interface thread.
#include "platform/ui/ModalRun.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <algorithm>
#include <optional>
#include <vector>

#include "platform/ui/Dialog.h"

namespace ui {
namespace {

struct OpenRun {
    const ModalRun* run;
    QPointer<QWidget> owner;
    bool applicationWide;  // opened without an owner
    QPointer<QWidget> window;
};

std::vector<OpenRun>& OpenRuns() {
    static std::vector<OpenRun> runs;
    return runs;
}

std::vector<QPointer<Dialog>>& WaitingDialogs() {
    static std::vector<QPointer<Dialog>> dialogs;
    return dialogs;
}

// `window` is `owner` or one of the windows up its parent chain.
bool IsOrOwns(const QWidget* window, const QWidget* owner) {
    for (const QWidget* w = owner; w != nullptr; w = w->parentWidget()) {
        if (w == window)
            return true;
    }
    return false;
}

// Indexes into OpenRuns() of the runs over `window`, outermost first. A run without an owner is
// over a window only when it was opened after the window's own modal run: a modeless window is
// never under the main dialog's own run, nor under a box that belongs to nobody.
std::vector<size_t> RunsOver(const QWidget* window) {
    const std::vector<OpenRun>& runs = OpenRuns();
    std::optional<size_t> own;
    for (size_t i = 0; i < runs.size(); ++i) {
        if (runs[i].window.data() == window)
            own = i;
    }
    std::vector<size_t> over;
    for (size_t i = own ? *own + 1 : 0; i < runs.size(); ++i) {
        if ((own && runs[i].applicationWide) || IsOrOwns(window, runs[i].owner))
            over.push_back(i);
    }
    return over;
}

void CloseMenus() {
    // Closing a menu may open its parent menu's turn; a bounded loop cannot spin on one that
    // refuses to close.
    for (int menus = 0; menus < 32; ++menus) {
        QWidget* popup = QApplication::activePopupWidget();
        if (popup == nullptr)
            return;
        popup->close();
    }
}

void Dismiss(QWidget* window) {
    if (auto* dialog = qobject_cast<Dialog*>(window)) {
        dialog->EndDialog(QDialog::Rejected);
        return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(window)) {
        QAbstractButton* answer = box->escapeButton();
        if (answer == nullptr && box->buttons().size() == 1)
            answer = box->buttons().front();
        if (answer != nullptr) {
            answer->click();
            return;
        }
    }
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
        dialog->reject();
        return;
    }
    window->close();
}

}  // namespace

ModalRun::ModalRun(QWidget* owner, QWidget* window) {
    OpenRuns().push_back({this, owner, owner == nullptr, window});
}

ModalRun::~ModalRun() {
    std::vector<OpenRun>& runs = OpenRuns();
    runs.erase(std::remove_if(runs.begin(), runs.end(),
                              [this](const OpenRun& r) { return r.run == this; }),
               runs.end());
    // A waiting close request is served once control is back in an event loop, which is after
    // the handler that opened this run has returned when nobody told the dialog it was running.
    for (const QPointer<Dialog>& dialog : WaitingDialogs()) {
        if (dialog) {
            QMetaObject::invokeMethod(
                dialog, [target = dialog] { target->ServeWaitingClose(); }, Qt::QueuedConnection);
        }
    }
}

bool ModalRunOpenOver(const QWidget* window) {
    return !RunsOver(window).empty();
}

void DismissModalRunsOver(const QWidget* window) {
    CloseMenus();
    const std::vector<size_t> over = RunsOver(window);
    // Innermost first; collect the windows before dismissing, since dismissing changes nothing
    // in the list (each run ends only when its loop returns) but may delete a window.
    std::vector<QPointer<QWidget>> windows;
    for (auto it = over.rbegin(); it != over.rend(); ++it)
        windows.push_back(OpenRuns()[*it].window);
    for (const QPointer<QWidget>& run : windows) {
        if (run)
            Dismiss(run);
    }
}

bool CloseRequestWaiting() {
    return std::any_of(WaitingDialogs().begin(), WaitingDialogs().end(),
                       [](const QPointer<Dialog>& d) { return !d.isNull(); });
}

void NoteCloseWaiting(Dialog* dialog, bool waiting) {
    std::vector<QPointer<Dialog>>& dialogs = WaitingDialogs();
    dialogs.erase(
        std::remove_if(dialogs.begin(), dialogs.end(),
                       [dialog](const QPointer<Dialog>& d) { return d.isNull() || d == dialog; }),
        dialogs.end());
    if (waiting)
        dialogs.push_back(dialog);
}

}  // namespace ui
