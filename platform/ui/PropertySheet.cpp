// The property sheet and its pages: tabs over a stack of pages, first-show initialisation, the
// leave check, and the destroy handlers run before the pages go.
#include "platform/ui/PropertySheet.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace ui {

// --- page ------------------------------------------------------------------------------------

PropertyPage::PropertyPage(const QString& caption, QSize size)
    : Dialog(nullptr), caption_(caption), size_(size) {
    // A page is drawn inside the sheet, never as a window of its own.
    setWindowFlags(Qt::Widget);
    resize(size);
}

PropertyPage::~PropertyPage() = default;

bool PropertyPage::OnKillActive() {
    return UpdateData(true);
}

void PropertyPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
}

void PropertyPage::OnCancel() {
    // The sheet deletes this page as it closes, so the close waits until the key event that
    // got here has returned.
    if (sheet_ != nullptr)
        QMetaObject::invokeMethod(sheet_, &PropertySheet::DestroyWindow, Qt::QueuedConnection);
}

// --- sheet -----------------------------------------------------------------------------------

PropertySheet::PropertySheet(const QString& caption, QWidget* owner, int startPage)
    : QWidget(owner, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      tabs_(new QTabBar(this)),
      stack_(new QStackedWidget(this)),
      startPage_(startPage) {
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(0);
    layout->addWidget(tabs_);
    layout->addWidget(stack_);
    tabs_->setDrawBase(true);
    tabs_->setExpanding(false);
    connect(tabs_, &QTabBar::currentChanged, this, &PropertySheet::OnTabChanged);
    hide();
}

PropertySheet::~PropertySheet() {
    DeletePages();
}

void PropertySheet::AddPage(PropertyPage* page) {
    page->sheet_ = this;
    page->initialized_ = false;
    page->setParent(this);  // owned from now on; shown only once it is in the stack
    // Under a style sheet a font does not flow into a widget made elsewhere and moved in, so
    // the page is given the sheet's font outright.
    page->setFont(font());
    page->hide();
    pages_.push_back(page);
}

PropertyPage* PropertySheet::GetPage(int index) const {
    if (index < 0 || index >= GetPageCount())
        return nullptr;
    return pages_[static_cast<size_t>(index)];
}

bool PropertySheet::Create() {
    if (open_ || pages_.empty())
        return false;
    {
        const QSignalBlocker quiet(tabs_);
        for (PropertyPage* page : pages_) {
            tabs_->addTab(page->Caption());
            stack_->addWidget(page);
        }
    }
    open_ = true;
    hiddenWithOwner_ = false;
    const int start = startPage_ >= 0 && startPage_ < GetPageCount() ? startPage_ : 0;
    Activate(start);
    show();
    return true;
}

bool PropertySheet::SetActivePage(int index) {
    if (!open_ || GetPage(index) == nullptr)
        return false;
    tabs_->setCurrentIndex(index);
    return active_ == index;
}

void PropertySheet::OnTabChanged(int index) {
    if (!open_ || index == active_ || GetPage(index) == nullptr)
        return;
    PropertyPage* leaving = GetActivePage();
    if (leaving != nullptr && !leaving->OnKillActive()) {
        const QSignalBlocker quiet(tabs_);
        tabs_->setCurrentIndex(active_);
        return;
    }
    Activate(index);
}

void PropertySheet::Activate(int index) {
    PropertyPage* page = GetPage(index);
    active_ = index;
    {
        const QSignalBlocker quiet(tabs_);
        tabs_->setCurrentIndex(index);
    }
    if (!page->initialized_) {
        page->initialized_ = true;
        page->OnInitDialog();
    }
    stack_->setCurrentWidget(page);
    page->OnSetActive();
}

void PropertySheet::DestroyWindow() {
    if (!open_)
        return;
    open_ = false;  // a handler's message box may let another close request through
    for (PropertyPage* page : pages_) {
        if (page->initialized_)
            page->OnDestroy();
    }
    hide();
    DeletePages();
}

void PropertySheet::DeletePages() {
    const QSignalBlocker quiet(tabs_);
    while (!pages_.empty()) {
        PropertyPage* page = pages_.back();
        pages_.pop_back();
        if (tabs_->count() > 0)
            tabs_->removeTab(tabs_->count() - 1);
        stack_->removeWidget(page);
        delete page;
    }
    active_ = -1;
    hiddenWithOwner_ = false;
}

void PropertySheet::HideWithOwner() {
    if (open_ && isVisible()) {
        hiddenWithOwner_ = true;
        hide();
    }
}

void PropertySheet::ShowWithOwner() {
    if (open_ && hiddenWithOwner_) {
        hiddenWithOwner_ = false;
        show();
    }
}

void PropertySheet::closeEvent(QCloseEvent* event) {
    DestroyWindow();
    event->accept();
}

void PropertySheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        DestroyWindow();
        event->accept();
        return;
    }
    // Ctrl+Tab and Ctrl+Page Down go to the next tab, with Shift or Page Up to the one before,
    // round the ends.
    const int count = GetPageCount();
    if ((event->modifiers() & Qt::ControlModifier) && count > 0 && active_ >= 0) {
        int step = 0;
        if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_PageDown)
            step = (event->modifiers() & Qt::ShiftModifier) ? -1 : 1;
        if (event->key() == Qt::Key_Backtab || event->key() == Qt::Key_PageUp)
            step = -1;
        if (step != 0) {
            SetActivePage((active_ + step + count) % count);
            event->accept();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

}  // namespace ui
