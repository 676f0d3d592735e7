// The few services a dialog asks of the desktop: message boxes, beeps, ending the process and
// choosing a file.
//
// Each goes through a replaceable handler, so the program shows real modal boxes while a test
// records ("Zoom is locked, See administrator", "Zoom Locked") and carries on. With
// ZELVOCAM_MESSAGES=stderr in the environment the program's message boxes print one line
// "message: CAPTION: TEXT" to stderr and are answered OK at once, for unattended runs (and
// questions print "question: CAPTION: TEXT" and are answered No, so nothing is replaced); such
// runs also announce on stderr when the program is ready for a script's next step.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace ui {

// A message box with an OK button. An empty caption shows the default caption.
struct MessageRequest {
    QWidget* owner = nullptr;
    std::string text;
    std::string caption;
};

// A question with the buttons Yes and No; No is the default button, and Escape or the close box
// answer No as well.
struct QuestionRequest {
    QWidget* owner = nullptr;
    std::string text;
    std::string caption;
};

// What a file chooser is asked for; the answer is the chosen path or nothing (cancelled).
struct FileRequest {
    QWidget* owner = nullptr;
    bool save = true;
    std::string caption;
    std::string fileName;  // proposed name or path
    std::string filter;    // "JPEG files (*.jpg)"
};

using MessageBoxHandler = std::function<void(const MessageRequest&)>;
using QuestionHandler = std::function<bool(const QuestionRequest&)>;
using BeepHandler = std::function<void(int frequencyHz, int durationMs)>;
using ExitHandler = std::function<void(int code)>;
using FileChooserHandler = std::function<std::optional<std::string>(const FileRequest&)>;

// Each setter replaces the handler; an empty function restores the program's own.
void SetMessageBoxHandler(MessageBoxHandler handler);
void SetQuestionHandler(QuestionHandler handler);
void SetBeepHandler(BeepHandler handler);
void SetExitHandler(ExitHandler handler);
void SetFileChooserHandler(FileChooserHandler handler);

// The caption of message boxes that give none (the application's title).
void SetDefaultCaption(std::string_view caption);
const std::string& DefaultCaption();

// Shows a modal message box with an OK button and returns once it is answered. While a close
// request waits (ModalRun.h) the program's box is answered OK at once, without showing.
void MessageBox(QWidget* owner, std::string_view text, std::string_view caption = {});

// How many message boxes have been asked for since the program started, so a caller can tell
// whether a handler it ran answered with one.
int MessageBoxesShown();

// Asks a question and returns once it is answered: true for Yes. Unattended runs
// (ZELVOCAM_MESSAGES=stderr) print "question: CAPTION: TEXT" and answer No; a close request
// answers the program's question No (ModalRun.h).
bool AskYesNo(QWidget* owner, std::string_view text, std::string_view caption = {});

// Sounds a tone. Like the desktop's own beep it blocks for its duration (through the clock,
// so a virtual clock moves by it in tests).
void Beep(int frequencyHz, int durationMs);

// Ends the process with `code`. In tests the handler only records it and returns, so the caller
// must return at once after calling it.
void ExitProcess(int code);

// While a close request waits, the program's chooser is cancelled at once.
std::optional<std::string> ChooseFile(const FileRequest& request);

// In unattended runs (ZELVOCAM_MESSAGES=stderr) prints "ready: WHAT" on stderr the first time
// the program reaches a state a script may wait for ("ready: live picture"), so that a script
// acts on the line instead of sleeping. Each WHAT is printed once; later calls cost a lookup.
void AnnounceReady(std::string_view what);

}  // namespace ui
