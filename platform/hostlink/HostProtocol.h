// The words host and station exchange, and how a byte stream is cut into lines.
//
// Every message is one UTF-8 line ending in "\n" (a "\r" before it is tolerated):
//   host to station   register | hide | show | close
//   station answers   ok WORD              once the request has been carried out
//                     error REASON         and the station closes the connection
//   station to host   stored PATH | stored (the clipboard) | closed
// No Qt here: the host tool and the station share it.
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
