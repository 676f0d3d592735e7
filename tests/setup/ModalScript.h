// Answers the modal dialogs a handler opens, as an operator would: each step runs on the modal
// dialog showing at that moment, in order, once the dialog's own event loop is running.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/Dialog.h"

class ModalScript {
  public:
    using Step = std::function<void(ui::Dialog&)>;

    explicit ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<ui::Dialog*>(QApplication::activeModalWidget());
            if (dialog != nullptr && next_ < steps_.size()) {
                ++seen_;
                steps_[next_++](*dialog);
            }
        });
        timer_.start(0);
    }

    // Steps run, that is modal dialogs (or the same one again) met.
    size_t Seen() const { return seen_; }

    // Types `text` into the edit `id` (replacing what it held) and presses Enter there.
    static Step Type(int id, std::string text) {
        return [id, text](ui::Dialog& dlg) {
            dlg.SetDlgItemText(id, QString::fromStdString(text));
            QTest::keyClick(dlg.Item<QLineEdit>(id), Qt::Key_Return);
        };
    }
    static Step Escape() {
        return [](ui::Dialog& dlg) { QTest::keyClick(&dlg, Qt::Key_Escape); };
    }

  private:
    std::vector<Step> steps_;
    size_t next_ = 0;
    size_t seen_ = 0;
    QTimer timer_;
};
