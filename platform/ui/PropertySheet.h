// A property sheet: a window of tabbed pages with no OK, Cancel or Apply, and its pages.
//
// A page is a dialog of its own (controls by id, data exchange) shown inside the sheet; each
// page keeps its own control ids, so two pages, or a page and the main dialog, may use the
// same numbers. The sheet's life:
//   AddPage ...    the pages of the next opening, in tab order; the sheet owns them
//   Create()       builds the tabs and shows the window; the first page is initialised
//   (tab clicks)   the page left runs OnKillActive and may refuse (a failed data exchange);
//                  the page entered is initialised the first time it is shown
//   DestroyWindow  every page that was initialised runs OnDestroy, then all pages are deleted,
//                  last first, and the window is hidden; the close box and Escape do this too
// Ctrl+Tab (Ctrl+Page Down) and Ctrl+Shift+Tab (Ctrl+Page Up) step through the tabs as clicks.
// so every opening starts from fresh pages and the tabs are never doubled.
//
// The sheet is meant to sit beside a dialog that runs modally, so it is that dialog's child
// window (own title, close box, above other windows) rather than a parentless one: a modal
// run blocks every window but the modal dialog and its children. Key events that reach the
// sheet never travel on to the dialog behind it.
#pragma once

#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>
#include <vector>

#include "platform/ui/Dialog.h"

class QStackedWidget;
class QTabBar;

namespace ui {

class PropertySheet;

class PropertyPage : public Dialog {
    Q_OBJECT

  public:
    // `caption` is the tab's text; `size` the client area the page's controls were placed in.
    PropertyPage(const QString& caption, QSize size);
    ~PropertyPage() override;

    QString Caption() const { return caption_; }
    PropertySheet* Sheet() const { return sheet_; }
    bool IsInitialized() const { return initialized_; }

    QSize sizeHint() const override { return size_; }
    QSize minimumSizeHint() const override { return size_; }

    // The page becomes the shown one (after OnInitDialog the first time).
    virtual void OnSetActive() {}
    // The page is about to be left for another tab: false keeps it shown. By default the
    // controls are taken into the members, and a failed check refuses.
    virtual bool OnKillActive();
    // The sheet closes (only for pages that were initialised), before the page is deleted.
    virtual void OnDestroy() {}

    // Enter in a page does nothing; Escape closes the whole sheet.
    void OnOK() override {}
    void OnCancel() override;

  protected:
    // Shown inside the sheet: no placing over a parent as a dialog window would be.
    void showEvent(QShowEvent* event) override;

  private:
    friend class PropertySheet;
    QString caption_;
    QSize size_;
    PropertySheet* sheet_ = nullptr;
    bool initialized_ = false;
};

class PropertySheet : public QWidget {
    Q_OBJECT

  public:
    // `owner` is the dialog the sheet works beside; `startPage` the page shown at each opening.
    PropertySheet(const QString& caption, QWidget* owner, int startPage = 0);
    // Deletes any pages without running their handlers: the owner may already be half gone.
    ~PropertySheet() override;

    // Adds a page for the next opening; the sheet owns it from now on.
    void AddPage(PropertyPage* page);
    int GetPageCount() const { return static_cast<int>(pages_.size()); }
    PropertyPage* GetPage(int index) const;
    int GetActiveIndex() const { return active_; }
    PropertyPage* GetActivePage() const { return GetPage(active_); }
    // Switches to the page `index` as a tab click would; false when the page left refuses.
    bool SetActivePage(int index);

    // Builds the tabs from the pages added and shows the window, the start page initialised.
    // False (and nothing shown) when the window exists already or there are no pages.
    bool Create();
    // The window exists: from Create until DestroyWindow, whether or not it is shown just now.
    bool IsOpen() const { return open_; }
    // Closes the window: destroy handlers, then the pages deleted last first.
    void DestroyWindow();

    // Hides the open window together with its owner and shows it again with it; a sheet that
    // is not open stays closed.
    void HideWithOwner();
    void ShowWithOwner();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void OnTabChanged(int index);
    void Activate(int index);
    void DeletePages();

    QTabBar* tabs_;
    QStackedWidget* stack_;
    std::vector<PropertyPage*> pages_;
    int startPage_;
    int active_ = -1;
    bool open_ = false;
    bool hiddenWithOwner_ = false;
};

}  // namespace ui
