// Records what dialogs ask of the desktop, for tests: every message box (answered OK), beep,
// process exit and file-chooser request, in one ordered list with the clock's time. Installs
// itself on construction and restores the program's handlers when it goes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Services.h"

namespace ui {

class ServiceRecorder {
  public:
    enum class Kind { kMessage, kQuestion, kBeep, kExit, kFileChooser };
    struct Event {
        Kind kind;
        std::string text;     // message or question text, or the file chooser's caption
        std::string caption;  // message or question caption; the file chooser's proposed name
        int a = 0;            // beep frequency, exit code
        int b = 0;            // beep duration
        int64_t atMs = 0;     // clock time when asked
    };

    ServiceRecorder();
    ~ServiceRecorder();
    ServiceRecorder(const ServiceRecorder&) = delete;
    ServiceRecorder& operator=(const ServiceRecorder&) = delete;

    const std::vector<Event>& Events() const { return events_; }
    std::vector<std::string> Messages() const;   // "CAPTION: TEXT" lines, in order
    std::vector<std::string> Questions() const;  // the same, for questions
    std::optional<int> ExitCode() const;         // the first exit requested, if any
    // The answer the next file-chooser requests get (nothing: cancelled).
    void AnswerFileChooser(std::optional<std::string> path) { fileAnswer_ = std::move(path); }

    // The answers the next questions get, in order; once they run out every question gets No.
    void AnswerQuestions(std::vector<bool> answers) { answers_ = std::move(answers); }

  private:
    std::vector<Event> events_;
    std::vector<bool> answers_;
    size_t nextAnswer_ = 0;
    std::optional<std::string> fileAnswer_;
};

}  // namespace ui
