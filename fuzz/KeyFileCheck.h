// An arbitrary byte string read as a key file, and the promises the reader makes about any
// input checked: line numbers of unreadable lines rise and lie inside the text, value names are
// unique (ignoring ASCII case), and what was kept is written so that reading it back gives the
// same values, in the same order, with nothing unreadable and at the size the writer predicts.
// Shared by the fuzz target and the test that replays the key-file corpus.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_set>

#include "platform/registry/RegFileFormat.h"

namespace fuzzing {

// Empty when every promise holds; otherwise what broke.
inline std::string CheckKeyFile(std::string_view text) {
    LooksLikeText(text);
    const ParsedRegFile parsed = ParseRegFile(text);

    const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    int previous = 0;
    for (const int line : parsed.damagedLines) {
        if (line <= previous || line > lines)
            return "unreadable line " + std::to_string(line) + " out of order or range";
        previous = line;
    }
    std::unordered_set<std::string> names;
    for (const RegistryValue& v : parsed.values) {
        if (!names.insert(FoldedName(v.name)).second)
            return "value \"" + v.name + "\" kept twice";
    }

    constexpr std::string_view kKeyPath = "Software\\ZelvoCam USB";
    const std::string written = FormatRegFile(kKeyPath, parsed.values);
    size_t predicted = FormattedHeaderSize(kKeyPath);
    for (const RegistryValue& v : parsed.values)
        predicted += FormattedValueSize(v);
    if (predicted != written.size())
        return "predicted size " + std::to_string(predicted) + ", written " +
               std::to_string(written.size());
    if (!LooksLikeText(written))
        return "written file does not look like text";

    const ParsedRegFile again = ParseRegFile(written);
    if (!again.damagedLines.empty() || again.hasComments)
        return "written file has unreadable lines or comments";
    if (again.values.size() != parsed.values.size())
        return "written file reads back " + std::to_string(again.values.size()) + " of " +
               std::to_string(parsed.values.size()) + " values";
    for (size_t i = 0; i < parsed.values.size(); ++i) {
        const RegistryValue& a = parsed.values[i];
        const RegistryValue& b = again.values[i];
        if (a.name != b.name || a.type != b.type || a.data != b.data)
            return "value \"" + a.name + "\" reads back differently";
    }
    return {};
}

}  // namespace fuzzing
