// The REGEDIT4 text form of one registry key: writing it, and reading it back line by line.
//
//   REGEDIT4
//   [HKEY_CURRENT_USER\Software\ZelvoCam USB]
//   "Top"=dword:0000007c
//   "Path"="/home/ops/"
//   "Blob"=hex:01,02,ff
//   "Odd"=hex(4):01,02
//
// A DWORD of exactly 4 bytes is written as dword:, a REG_SZ that is one line of text followed
// by its single terminator as a quoted string (only '\' and '"' are escaped), REG_BINARY as
// hex:, and anything else as hex(type): so its type and bytes survive unchanged. Reading is
// per line: a line that cannot be read is reported by number and costs that value only.
// No I/O here: the key file and its atomic replacement live in RegistryKey and AtomicFile.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/registry/RegistryKey.h"

struct ParsedRegFile {
    std::vector<RegistryValue> values;  // in file order; a repeated name keeps its first place
    std::vector<int> damagedLines;      // 1-based numbers of lines that could not be read
    bool hasComments = false;           // lines starting with ';', which no rewrite carries over

    // What writing the values back would drop: comments and lines that could not be read.
    bool LosesLinesOnRewrite() const { return hasComments || !damagedLines.empty(); }
};

// True when `bytes` can be a key file at all: no zero bytes, and control characters other
// than tab and line ends are rare (a stray one costs its line; binary data is set aside).
bool LooksLikeText(std::string_view bytes);

// Linear in the length of `text`.
ParsedRegFile ParseRegFile(std::string_view text);

// The whole file for the key at `keyPath` ('\' separated, below the current user).
std::string FormatRegFile(std::string_view keyPath, std::span<const RegistryValue> values);
// What the file's first two lines take, and what one value's line takes, so a writer can know
// the file's size without formatting it whole.
size_t FormattedHeaderSize(std::string_view keyPath);
size_t FormattedValueSize(const RegistryValue& value);

// A value name the text form can carry: one line, no zero byte. The empty name is the key's
// default value, written "@".
bool IsStorableValueName(std::string_view name);

// The name with ASCII letters in lower case: names that are the same value fold alike.
std::string FoldedName(std::string_view name);
// Position of each value in a list, by folded name.
using ValueIndex = std::unordered_map<std::string, size_t>;
