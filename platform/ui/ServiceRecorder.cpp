// Test recorder of the desktop services.
#include "platform/ui/ServiceRecorder.h"

#include "platform/system/Clock.h"

namespace ui {

ServiceRecorder::ServiceRecorder() {
    SetMessageBoxHandler([this](const MessageRequest& r) {
        events_.push_back({Kind::kMessage, r.text, r.caption, 0, 0, sys::NowMs()});
    });
    SetQuestionHandler([this](const QuestionRequest& r) {
        events_.push_back({Kind::kQuestion, r.text, r.caption, 0, 0, sys::NowMs()});
        return nextAnswer_ < answers_.size() && answers_[nextAnswer_++];
    });
    SetBeepHandler([this](int hz, int ms) {
        events_.push_back({Kind::kBeep, {}, {}, hz, ms, sys::NowMs()});
    });
    SetExitHandler([this](int code) {
        events_.push_back({Kind::kExit, {}, {}, code, 0, sys::NowMs()});
    });
    SetFileChooserHandler([this](const FileRequest& r) {
        events_.push_back({Kind::kFileChooser, r.caption, r.fileName, 0, 0, sys::NowMs()});
        return fileAnswer_;
    });
}

ServiceRecorder::~ServiceRecorder() {
    SetMessageBoxHandler({});
    SetQuestionHandler({});
    SetBeepHandler({});
    SetExitHandler({});
    SetFileChooserHandler({});
}

std::vector<std::string> ServiceRecorder::Messages() const {
    std::vector<std::string> lines;
    for (const Event& e : events_) {
        if (e.kind == Kind::kMessage)
            lines.push_back(e.caption + ": " + e.text);
    }
    return lines;
}

std::vector<std::string> ServiceRecorder::Questions() const {
    std::vector<std::string> lines;
    for (const Event& e : events_) {
        if (e.kind == Kind::kQuestion)
            lines.push_back(e.caption + ": " + e.text);
    }
    return lines;
}

std::optional<int> ServiceRecorder::ExitCode() const {
    for (const Event& e : events_) {
        if (e.kind == Kind::kExit)
            return e.a;
    }
    return std::nullopt;
}

}  // namespace ui
