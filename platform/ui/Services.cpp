// The program's own message box, beep, exit and file chooser, and the handler slots that tests
// replace.
#include "platform/ui/Services.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "platform/system/Clock.h"
#include "platform/ui/ModalRun.h"

namespace ui {
namespace {

std::string& DefaultCaptionText() {
    static std::string caption;
    return caption;
}

bool MessagesGoToStderr() {
    const char* setting = std::getenv("ZELVOCAM_MESSAGES");
    return setting != nullptr && std::strcmp(setting, "stderr") == 0;
}

void ProgramMessageBox(const MessageRequest& request) {
    const std::string& caption = request.caption.empty() ? DefaultCaption() : request.caption;
    if (MessagesGoToStderr()) {
        std::fprintf(stderr, "message: %s: %s\n", caption.c_str(), request.text.c_str());
        std::fflush(stderr);
        return;
    }
    if (CloseRequestWaiting())
        return;  // answered OK without waiting for anybody
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption),
                    QString::fromStdString(request.text), QMessageBox::Ok, request.owner);
    box.setEscapeButton(QMessageBox::Ok);
    ModalRun run(request.owner, &box);
    box.exec();
}

bool ProgramQuestion(const QuestionRequest& request) {
    const std::string& caption = request.caption.empty() ? DefaultCaption() : request.caption;
    if (MessagesGoToStderr()) {
        std::fprintf(stderr, "question: %s: %s\n", caption.c_str(), request.text.c_str());
        std::fflush(stderr);
        return false;
    }
    if (CloseRequestWaiting())
        return false;  // answered No without waiting for anybody
    QMessageBox box(QMessageBox::Question, QString::fromStdString(caption),
                    QString::fromStdString(request.text), QMessageBox::Yes | QMessageBox::No,
                    request.owner);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);  // also the answer when a close request dismisses it
    ModalRun run(request.owner, &box);
    return box.exec() == QMessageBox::Yes;
}

void ProgramBeep(int, int) {
    QApplication::beep();
}

void ProgramExit(int code) {
    std::fflush(nullptr);
    std::exit(code);
}

std::optional<std::string> ProgramFileChooser(const FileRequest& request) {
    if (CloseRequestWaiting())
        return std::nullopt;  // cancelled without waiting for anybody
    QFileDialog chooser(request.owner, QString::fromStdString(request.caption),
                        QString::fromStdString(request.fileName),
                        QString::fromStdString(request.filter));
    chooser.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    chooser.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    ModalRun run(request.owner, &chooser);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return std::nullopt;
    return chooser.selectedFiles().front().toStdString();
}

MessageBoxHandler& MessageBoxSlot() {
    static MessageBoxHandler handler;
    return handler;
}
QuestionHandler& QuestionSlot() {
    static QuestionHandler handler;
    return handler;
}
BeepHandler& BeepSlot() {
    static BeepHandler handler;
    return handler;
}
ExitHandler& ExitSlot() {
    static ExitHandler handler;
    return handler;
}
FileChooserHandler& FileChooserSlot() {
    static FileChooserHandler handler;
    return handler;
}

}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxSlot() = std::move(handler);
}
void SetQuestionHandler(QuestionHandler handler) {
    QuestionSlot() = std::move(handler);
}
void SetBeepHandler(BeepHandler handler) {
    BeepSlot() = std::move(handler);
}
void SetExitHandler(ExitHandler handler) {
    ExitSlot() = std::move(handler);
}
void SetFileChooserHandler(FileChooserHandler handler) {
    FileChooserSlot() = std::move(handler);
}

void SetDefaultCaption(std::string_view caption) {
    DefaultCaptionText() = std::string(caption);
}
const std::string& DefaultCaption() {
    return DefaultCaptionText();
}

namespace {
int boxesShown = 0;
}  // namespace

int MessageBoxesShown() {
    return boxesShown;
}

void MessageBox(QWidget* owner, std::string_view text, std::string_view caption) {
    ++boxesShown;
    const MessageRequest request{owner, std::string(text), std::string(caption)};
    if (MessageBoxSlot()) {
        ModalRun run(owner, nullptr);  // the handler answers by itself
        MessageBoxSlot()(request);
    } else {
        ProgramMessageBox(request);
    }
}

bool AskYesNo(QWidget* owner, std::string_view text, std::string_view caption) {
    const QuestionRequest request{owner, std::string(text), std::string(caption)};
    if (QuestionSlot()) {
        ModalRun run(owner, nullptr);  // the handler answers by itself
        return QuestionSlot()(request);
    }
    return ProgramQuestion(request);
}

void Beep(int frequencyHz, int durationMs) {
    if (BeepSlot()) {
        BeepSlot()(frequencyHz, durationMs);
    } else {
        ProgramBeep(frequencyHz, durationMs);
    }
    sys::Wait(durationMs);
}

void ExitProcess(int code) {
    if (ExitSlot()) {
        ExitSlot()(code);
    } else {
        ProgramExit(code);
    }
}

void AnnounceReady(std::string_view what) {
    static std::set<std::string, std::less<>> announced;
    if (!MessagesGoToStderr() || announced.find(what) != announced.end())
        return;
    announced.emplace(what);
    std::fprintf(stderr, "ready: %.*s\n", static_cast<int>(what.size()), what.data());
    std::fflush(stderr);
}

std::optional<std::string> ChooseFile(const FileRequest& request) {
    if (FileChooserSlot()) {
        ModalRun run(request.owner, nullptr);
        return FileChooserSlot()(request);
    }
    return ProgramFileChooser(request);
}

}  // namespace ui
