// Request words and line framing.
#include "platform/hostlink/HostProtocol.h"

#include <array>
#include <utility>

namespace hostlink {
namespace {

constexpr std::array<std::pair<std::string_view, Request>, 4> kRequests{{
    {"register", Request::kRegister},
    {"hide", Request::kHide},
    {"show", Request::kShow},
    {"close", Request::kClose},
}};

}  // namespace

std::optional<Request> ParseRequest(std::string_view line) {
    for (const auto& [word, request] : kRequests) {
        if (line == word)
            return request;
    }
    return std::nullopt;
}

std::string_view RequestWord(Request request) {
    for (const auto& [word, r] : kRequests) {
        if (r == request)
            return word;
    }
    return {};
}

void LineReader::Append(std::string_view bytes) {
    if (!overlong_)
        pending_.append(bytes);
}

std::optional<std::string> LineReader::Next() {
    if (overlong_)
        return std::nullopt;
    const size_t end = pending_.find('\n', scanned_);
    if (end == std::string::npos) {
        scanned_ = pending_.size();
        // A "\r" may still come before the "\n", so one byte more than a line is allowed.
        if (pending_.size() > maxLine_ + 1 ||
            (pending_.size() == maxLine_ + 1 && pending_.back() != '\r')) {
            overlong_ = true;
            pending_.clear();
        }
        return std::nullopt;
    }
    std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    scanned_ = 0;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.size() > maxLine_) {
        overlong_ = true;
        pending_.clear();
        return std::nullopt;
    }
    return line;
}

}  // namespace hostlink
