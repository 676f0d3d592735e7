// An arbitrary byte string through both ends of the host line protocol, with the properties
// each end relies on checked: the station's line reader and request parser (the bytes as a
// host's requests) and the host's notification parser (the bytes as station lines). Shared by
// the fuzz target and the test that replays its corpus.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hostlink/HostProtocol.h"

namespace fuzzing {

// Lines a reader gives for `bytes` handed over in pieces of `piece` bytes, until it has none
// left or turns overlong ("<overlong>" then ends the list).
inline std::vector<std::string> CutLines(std::string_view bytes, size_t piece, size_t maxLine) {
    hostlink::LineReader reader(maxLine);
    std::vector<std::string> lines;
    for (size_t at = 0; at < bytes.size(); at += piece) {
        reader.Append(bytes.substr(at, piece));
        while (std::optional<std::string> line = reader.Next())
            lines.push_back(std::move(*line));
        if (reader.Overlong()) {
            lines.push_back("<overlong>");
            break;
        }
    }
    return lines;
}

// True when every property holds; the fuzz target stops at the first input for which one
// does not.
inline bool RunHostLines(std::span<const uint8_t> input) {
    // The first byte chooses how the stream is cut into pieces, as the socket might deliver it.
    const size_t piece = input.empty() ? 1 : input[0] % 17 + 1;
    const std::string_view bytes(reinterpret_cast<const char*>(input.data()), input.size());

    // The station's end: however the bytes come, the same lines, none longer than the limit
    // and none holding a line ending; requests parse as the station's reader takes them.
    const std::vector<std::string> requests = CutLines(bytes, piece, hostlink::kMaxLineBytes);
    if (requests != CutLines(bytes, bytes.size() + 1, hostlink::kMaxLineBytes))
        return false;
    for (const std::string& line : requests) {
        if (line == "<overlong>")
            break;
        if (line.size() > hostlink::kMaxLineBytes || line.find('\n') != std::string::npos)
            return false;
        if (line.empty())
            continue;
        const std::optional<hostlink::Request> request = hostlink::ParseRequest(line);
        if (!request)
            break;  // the station closes the connection here
        if (hostlink::RequestWord(*request) != line)
            return false;
    }

    // The host's end: a notification that parses is the one line the station writes for it.
    for (const std::string& line : CutLines(bytes, piece, hostlink::kMaxNotificationBytes)) {
        const std::optional<hostlink::Notification> notification =
            hostlink::ParseNotification(line);
        if (!notification)
            continue;
        const std::string written =
            hostlink::NotificationLine(notification->notice, notification->text);
        const std::optional<hostlink::Notification> again = hostlink::ParseNotification(written);
        if (!again || again->notice != notification->notice || again->text != notification->text)
            return false;
    }

    // Any text, escaped, is one line without control bytes that reads back as the text.
    const std::string escaped = hostlink::EscapeLineText(bytes);
    for (const char c : escaped) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    }
    if (hostlink::UnescapeLineText(escaped) != bytes)
        return false;
    // And escaped text has one form only: what unescapes escapes back to the same bytes.
    if (const std::optional<std::string> text = hostlink::UnescapeLineText(bytes))
        return hostlink::EscapeLineText(*text) == bytes;
    return true;
}

}  // namespace fuzzing
