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

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/RegistryKey.h"

struct ParsedRegFile {
    std::vector<RegistryValue> values;  // in file order; a repeated name keeps its first place
    std::vector<int> damagedLines;      // 1-based numbers of lines that could not be read
};

// True when `bytes` can be a key file at all: no zero bytes, and control characters other
// than tab and line ends are rare (a stray one costs its line; binary data is set aside).
bool LooksLikeText(std::string_view bytes);

ParsedRegFile ParseRegFile(std::string_view text);

// The whole file for the key at `keyPath` ('\' separated, below the current user).
std::string FormatRegFile(std::string_view keyPath, std::span<const RegistryValue> values);

// A value name the text form can carry: one line, no zero byte. The empty name is the key's
// default value, written "@".
bool IsStorableValueName(std::string_view name);

// ASCII case-insensitive equality, as registry value names compare.
bool SameValueName(std::string_view a, std::string_view b);
