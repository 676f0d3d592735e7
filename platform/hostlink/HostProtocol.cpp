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

constexpr std::array<std::pair<std::string_view, Notice>, 3> kNotices{{
    {"stored", Notice::kStored},
    {"failed", Notice::kFailed},
    {"closed", Notice::kClosed},
}};

constexpr char kHexDigits[] = "0123456789abcdef";

bool NeedsHexEscape(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

// The letter of a byte's short escape, or 0 when it has none.
char ShortEscape(unsigned char byte) {
    switch (byte) {
        case '\\':
            return '\\';
        case '\n':
            return 'n';
        case '\r':
            return 'r';
        case '\t':
            return 't';
        default:
            return 0;
    }
}

int HexValue(char digit) {
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    return -1;  // upper case is not the escaped form
}

}  // namespace

std::string EscapeLineText(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (const char letter = ShortEscape(byte)) {
            escaped += '\\';
            escaped += letter;
        } else if (NeedsHexEscape(byte)) {
            escaped += "\\x";
            escaped += kHexDigits[byte >> 4];
            escaped += kHexDigits[byte & 0xF];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::optional<std::string> UnescapeLineText(std::string_view escaped) {
    std::string text;
    text.reserve(escaped.size());
    for (size_t i = 0; i < escaped.size(); ++i) {
        const auto byte = static_cast<unsigned char>(escaped[i]);
        if (NeedsHexEscape(byte))
            return std::nullopt;
        if (byte != '\\') {
            text += escaped[i];
            continue;
        }
        if (++i == escaped.size())
            return std::nullopt;
        switch (escaped[i]) {
            case '\\':
                text += '\\';
                break;
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            case 't':
                text += '\t';
                break;
            case 'x': {
                if (escaped.size() - i < 3)
                    return std::nullopt;
                const int high = HexValue(escaped[i + 1]);
                const int low = HexValue(escaped[i + 2]);
                const int value = high < 0 || low < 0 ? 0x20 : high * 16 + low;
                if (!NeedsHexEscape(static_cast<unsigned char>(value)) ||
                    ShortEscape(static_cast<unsigned char>(value)) != 0) {
                    return std::nullopt;
                }
                text += static_cast<char>(value);
                i += 2;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    return text;
}

std::string NotificationLine(Notice notice, std::string_view text) {
    std::string line;
    for (const auto& [word, n] : kNotices) {
        if (n == notice)
            line = word;
    }
    // "stored" alone is the clipboard; "closed" carries nothing.
    if (!text.empty() && notice != Notice::kClosed) {
        line += ' ';
        line += EscapeLineText(text);
    }
    return line;
}

std::optional<Notification> ParseNotification(std::string_view line) {
    const size_t space = line.find(' ');
    const std::string_view word = line.substr(0, space);
    const std::string_view rest =
        space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
    for (const auto& [known, notice] : kNotices) {
        if (word != known)
            continue;
        if (notice == Notice::kClosed && space != std::string_view::npos)
            return std::nullopt;
        std::optional<std::string> text = UnescapeLineText(rest);
        if (!text)
            return std::nullopt;
        return Notification{notice, std::move(*text)};
    }
    return std::nullopt;
}

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
