// The camera head's traffic in the station's words: a write of the command register is
// "command 137", of argument A "A = 124", a read of argument B "read B", with the time
// ("command 137 @ 550 ms"). The registers behind them: command 7, argument A 26, argument B 4.
#pragma once

#include <cstddef>
#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/RecordingDriver.h"

namespace zelvo_test {

inline constexpr uint16_t kCommandRegister = 7;  // property 11
inline constexpr uint16_t kArgARegister = 26;    // property 29
inline constexpr uint16_t kArgBRegister = 4;     // property 6

inline std::string InHeadWords(const std::string& line) {
    static const std::regex command("^write reg 7 = ");
    static const std::regex writeA("^write reg 26 = ");
    static const std::regex readA("^read reg 26 ");
    static const std::regex writeB("^write reg 4 = ");
    static const std::regex readB("^read reg 4 ");
    std::string out = std::regex_replace(line, command, "command ");
    out = std::regex_replace(out, writeA, "A = ");
    out = std::regex_replace(out, readA, "read A ");
    out = std::regex_replace(out, writeB, "B = ");
    return std::regex_replace(out, readB, "read B ");
}

// The register reads and writes from request `first` on, in the station's words, with times
// counted from `startUs`.
inline std::vector<std::string> HeadLinesSince(const RecordingDriver& driver, size_t first,
                                               int64_t startUs) {
    std::vector<std::string> lines;
    const auto& requests = driver.Requests();
    for (size_t i = first; i < requests.size(); ++i) {
        const RecordedRequest& request = requests[i];
        if (request.kind != RecordedRequest::Kind::Read &&
            request.kind != RecordedRequest::Kind::Write)
            continue;
        const std::string text = InHeadWords(request.ToString());
        lines.push_back(text.substr(0, text.rfind(" @ ")) + " @ " +
                        std::to_string((request.timeUs - startUs) / 1000) + " ms");
    }
    return lines;
}

}  // namespace zelvo_test
