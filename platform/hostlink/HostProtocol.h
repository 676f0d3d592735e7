// The words host and station exchange, and how a byte stream is cut into lines.
//
// Every message is one UTF-8 line ending in "\n" (a "\r" before it is tolerated):
//   host to station   register | hide | show | close
//   station answers   ok WORD              once the request has been carried out
//                     error REASON         and the station closes the connection
//   station to host   stored PATH | stored (the clipboard) | failed REASON | closed
// PATH and REASON are escaped (EscapeLineText), so no file name can end a line early or start
// a line of its own. No Qt here: the host tool and the station share it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace hostlink {

// The longest request line the station accepts, without its "\n".
inline constexpr size_t kMaxLineBytes = 256;
// The longest line a host accepts: a "stored" line carries a whole file path.
inline constexpr size_t kMaxNotificationBytes = 8192;

enum class Request { kRegister, kHide, kShow, kClose };

// The request a line names, or nothing for an unknown word.
std::optional<Request> ParseRequest(std::string_view line);
std::string_view RequestWord(Request request);

// Text carried in a line (a path, a reason) in a form that holds no line ending and no other
// control byte: "\\" for a backslash, "\n", "\r" and "\t", and "\xHH" (two lower-case hex
// digits) for every other byte below 0x20 and for 0x7F. All other bytes, UTF-8 included, stand
// as they are.
std::string EscapeLineText(std::string_view text);
// The text back; nothing for text that EscapeLineText cannot have written (a raw control byte,
// a backslash not starting one of its escapes, an escape where a shorter one exists), so each
// text has exactly one escaped form.
std::optional<std::string> UnescapeLineText(std::string_view escaped);

// What the station tells its host.
enum class Notice { kStored, kFailed, kClosed };
struct Notification {
    Notice notice;
    std::string text;  // stored: the file's path ("" for the clipboard); failed: the reason
};
// The line for a notification, without its "\n".
std::string NotificationLine(Notice notice, std::string_view text = {});
// A line read by a host: nothing for a word it does not know (a later station's) or a text
// that is not properly escaped.
std::optional<Notification> ParseNotification(std::string_view line);

// The file names inside the private runtime folder.
inline constexpr char kSocketName[] = "station.sock";
inline constexpr char kLockName[] = "station.lock";

// Cuts a byte stream into lines. Bytes come in any pieces; a line longer than `maxLine` makes
// the reader overlong for good (the peer is not speaking this protocol).
class LineReader {
  public:
    explicit LineReader(size_t maxLine = kMaxLineBytes) : maxLine_(maxLine) {}

    void Append(std::string_view bytes);
    // The next complete line without its ending, or nothing when none is complete yet.
    std::optional<std::string> Next();
    bool Overlong() const { return overlong_; }

  private:
    size_t maxLine_;
    std::string pending_;
    size_t scanned_ = 0;  // bytes of pending_ already known to hold no "\n"
    bool overlong_ = false;
};

}  // namespace hostlink
