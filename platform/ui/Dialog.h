// A dialog whose controls are known by numeric id, with dialog data exchange and timers by id.
//
// Handlers of a dialog never touch a Qt widget directly: they show, hide, enable and move
// controls by id, and move values between the controls and the dialog's members with
// UpdateData(), which runs the dialog's DoDataExchange in one direction:
//   UpdateData(true)   controls -> members (checked; a bad entry stops the exchange with a
//                      message box and leaves the focus on the control)
//   UpdateData(false)  members -> controls
// Radio buttons belong to exclusive groups registered by id; unlike plain Qt radio buttons a
// group can also have no button checked (index -1).
#pragma once

#include <QDialog>
#include <QRect>
#include <QString>
#include <initializer_list>
#include <map>
#include <span>
#include <string>
#include <vector>

class QButtonGroup;
class QEventLoop;
class QTimer;

namespace ui {

class Dialog;

// One direction of data exchange; the helpers move one control's value each way.
class DataExchange {
  public:
    DataExchange(Dialog& dialog, bool saveAndValidate) : dialog_(dialog), save_(saveAndValidate) {}

    bool Saving() const { return save_; }
    bool Failed() const { return failed_; }

    // A radio group by its first control id: index of the checked button, -1 when none is.
    void Radio(int firstId, int& index);
    void Text(int id, std::string& value);
    void Text(int id, QString& value);
    // An integer typed into an edit: "Please enter an integer." when it is not one.
    void Int(int id, int& value);
    // After Int: "Please enter an integer between MIN and MAX." when outside the range.
    void IntRange(int id, int& value, int min, int max);
    // A slider's position.
    void Slider(int id, int& position);

  private:
    void Fail(int id, const std::string& message);

    Dialog& dialog_;
    bool save_;
    bool failed_ = false;
};

class Dialog : public QDialog {
    Q_OBJECT

  public:
    explicit Dialog(QWidget* parent = nullptr);
    ~Dialog() override;

    // Registers a control under its id; the dialog becomes its parent.
    void AddControl(int id, QWidget* control);
    // Makes the radio buttons `ids` (already added, in order) one exclusive group; the group is
    // known by its first id.
    void AddRadioGroup(std::initializer_list<int> ids);

    QWidget* GetDlgItem(int id) const;
    template <class T>
    T* Item(int id) const {
        return qobject_cast<T*>(GetDlgItem(id));
    }
    // The id a control was registered under, or 0.
    int ControlId(const QObject* control) const;

    void ShowItem(int id, bool show);
    void EnableItem(int id, bool enable);
    // Moves a control to (x, y) in client pixels, keeping its size.
    void MoveItem(int id, int x, int y);
    // Moves and sizes a control.
    void MoveItem(int id, int x, int y, int width, int height);
    QRect ItemRect(int id) const;
    bool IsItemVisible(int id) const;  // not hidden by the dialog (whether or not it is shown)
    void SetDlgItemText(int id, const QString& text);
    QString GetDlgItemText(int id) const;
    // Checks or unchecks a radio button or check box; unchecking the checked radio button
    // leaves its group with none checked.
    void CheckDlgButton(int id, bool checked);
    bool IsDlgButtonChecked(int id) const;
    void GotoDlgCtrl(int id);

    // Radio group helpers used by data exchange: index of the checked button or -1.
    int CheckedRadioIndex(int firstId) const;
    void CheckRadioIndex(int firstId, int index);

    bool UpdateData(bool saveAndValidate = true);

    // A repeating timer by id: SetTimer with a running id restarts it with the new interval.
    void SetTimer(int id, int intervalMs);
    void KillTimer(int id);
    bool IsTimerRunning(int id) const;
    int TimerInterval(int id) const;  // -1 when not running

    // Initialises the dialog and runs it modally; returns the code given to EndDialog.
    int DoModal();
    void EndDialog(int result);
    // Hide and show the window while its modal run goes on (a host hides the station this
    // way); EndDialog ends the run whether the window is shown or hidden.
    void HideKeepingModalRun();
    void ShowKeepingModalRun();

    // The framework's hooks, public so that tests can drive them as the window system would.
    virtual bool OnInitDialog();
    virtual void OnTimer(int id);
    virtual void OnOK();      // Enter outside a push button; ends the dialog by default
    virtual void OnCancel();  // Escape; ends the dialog by default
    virtual void OnClose();   // the close request, before the dialog ends

  protected:
    virtual void DoDataExchange(DataExchange& dx);

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;
    void accept() override;

  private:
    struct RadioGroup {
        std::vector<int> ids;
        QButtonGroup* group;
    };

    std::map<int, QWidget*> controls_;
    std::map<int, RadioGroup> radioGroups_;  // by first id
    std::map<int, QTimer*> timers_;
    QEventLoop* modalLoop_ = nullptr;  // while DoModal runs
    bool ending_ = false;
};

}  // namespace ui
