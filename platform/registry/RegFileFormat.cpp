// Writing and reading the REGEDIT4 text form of a key (see RegFileFormat.h).
#include "platform/registry/RegFileFormat.h"

#include <cstdint>
#include <optional>

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kHeaderV5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRootName = "HKEY_CURRENT_USER";
constexpr char kHexDigits[] = "0123456789abcdef";

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7f;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

char ToLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

void AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
}

void AppendHexBytes(std::string& out, std::span<const uint8_t> data) {
    for (size_t i = 0; i < data.size(); ++i) {
        if (i > 0)
            out += ',';
        out += kHexDigits[data[i] >> 4];
        out += kHexDigits[data[i] & 0x0f];
    }
}

// A REG_SZ prints as a quoted string only when reading it back gives the same bytes: one line of
// text and exactly one terminator, at the end.
bool IsPrintableText(std::span<const uint8_t> data) {
    if (data.empty() || data.back() != 0)
        return false;
    for (size_t i = 0; i + 1 < data.size(); ++i) {
        if (data[i] != '\t' && IsControl(data[i]))
            return false;
    }
    return true;
}

// Reads a quoted string with '\\' and '\"' escapes from the front of `s`, leaving `s` just past
// the closing quote.
std::optional<std::string> TakeQuoted(std::string_view& s) {
    if (s.empty() || s.front() != '"')
        return std::nullopt;
    std::string out;
    for (size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            s.remove_prefix(i + 1);
            return out;
        }
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"'))
                return std::nullopt;
            out += s[++i];
            continue;
        }
        if (c != '\t' && IsControl(static_cast<unsigned char>(c)))
            return std::nullopt;
        out += c;
    }
    return std::nullopt;  // no closing quote
}

// 1 to 8 hex digits, the whole of `s`.
std::optional<uint32_t> ParseHex32(std::string_view s) {
    if (s.empty() || s.size() > 8)
        return std::nullopt;
    uint32_t v = 0;
    for (char c : s) {
        const int d = HexValue(c);
        if (d < 0)
            return std::nullopt;
        v = (v << 4) | static_cast<uint32_t>(d);
    }
    return v;
}

// "aa,bb, cc" (possibly empty): bytes of two hex digits each, separated by commas. A byte of
// one digit is a line cut short ("hex:01,0"), not a small number.
std::optional<std::vector<uint8_t>> ParseHexList(std::string_view s) {
    std::vector<uint8_t> bytes;
    s = TrimSpaces(s);
    if (s.empty())
        return bytes;
    while (true) {
        const size_t comma = s.find(',');
        const std::string_view item = TrimSpaces(s.substr(0, comma));
        if (item.size() != 2)
            return std::nullopt;
        const auto v = ParseHex32(item);
        if (!v)
            return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(*v));
        if (comma == std::string_view::npos)
            return bytes;
        s.remove_prefix(comma + 1);
    }
}

std::optional<RegistryValue> ParseValueLine(std::string_view line) {
    RegistryValue value;
    if (!line.empty() && line.front() == '@') {
        line.remove_prefix(1);
    } else {
        auto name = TakeQuoted(line);
        if (!name)
            return std::nullopt;
        value.name = std::move(*name);
    }
    line = TrimSpaces(line);
    if (line.empty() || line.front() != '=')
        return std::nullopt;
    line = TrimSpaces(line.substr(1));

    if (!line.empty() && line.front() == '"') {
        auto text = TakeQuoted(line);
        if (!text || !TrimSpaces(line).empty())
            return std::nullopt;
        value.type = REG_SZ;
        value.data.assign(text->begin(), text->end());
        value.data.push_back(0);
        return value;
    }
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    std::string lead(line.substr(0, colon));
    for (char& c : lead)
        c = ToLowerAscii(c);
    const std::string_view rest = line.substr(colon + 1);

    if (lead == "dword") {
        // Always all eight digits: "dword:0000" is a line cut short, not the number 0.
        const std::string_view digits = TrimSpaces(rest);
        const auto v = ParseHex32(digits);
        if (!v || digits.size() != 8)
            return std::nullopt;
        value.type = REG_DWORD;
        value.data = {static_cast<uint8_t>(*v), static_cast<uint8_t>(*v >> 8),
                      static_cast<uint8_t>(*v >> 16), static_cast<uint8_t>(*v >> 24)};
        return value;
    }
    if (lead == "hex") {
        value.type = REG_BINARY;
    } else if (lead.size() > 5 && lead.starts_with("hex(") && lead.back() == ')') {
        const auto type = ParseHex32(std::string_view(lead).substr(4, lead.size() - 5));
        if (!type)
            return std::nullopt;
        value.type = *type;
    } else {
        return std::nullopt;
    }
    auto bytes = ParseHexList(rest);
    if (!bytes)
        return std::nullopt;
    value.data = std::move(*bytes);
    return value;
}

void AppendHeader(std::string& out, std::string_view keyPath) {
    out += kHeader;
    out += "\n[";
    out += kRootName;
    out += '\\';
    out += keyPath;
    out += "]\n";
}

void AppendValueLine(std::string& out, const RegistryValue& v) {
    if (v.name.empty()) {
        out += '@';
    } else {
        AppendQuoted(out, v.name);
    }
    out += '=';
    if (v.type == REG_DWORD && v.data.size() == 4) {
        const uint32_t dword = uint32_t{v.data[0]} | uint32_t{v.data[1]} << 8 |
                               uint32_t{v.data[2]} << 16 | uint32_t{v.data[3]} << 24;
        out += "dword:";
        for (int shift = 28; shift >= 0; shift -= 4)
            out += kHexDigits[(dword >> shift) & 0xf];
    } else if (v.type == REG_SZ && IsPrintableText(v.data)) {
        AppendQuoted(
            out, std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1));
    } else {
        if (v.type == REG_BINARY) {
            out += "hex:";
        } else {
            out += "hex(";
            bool leading = true;
            for (int shift = 28; shift >= 0; shift -= 4) {
                const uint32_t digit = (v.type >> shift) & 0xf;
                if (digit == 0 && leading && shift > 0)
                    continue;
                leading = false;
                out += kHexDigits[digit];
            }
            out += "):";
        }
        AppendHexBytes(out, v.data);
    }
    out += '\n';
}

}  // namespace

bool IsStorableValueName(std::string_view name) {
    for (char c : name) {
        if (c != '\t' && IsControl(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

bool LooksLikeText(std::string_view bytes) {
    size_t controls = 0;
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 0)
            return false;
        if (IsControl(c) && c != '\t' && c != '\n' && c != '\r')
            ++controls;
    }
    return controls * 32 <= bytes.size();
}

ParsedRegFile ParseRegFile(std::string_view text) {
    ParsedRegFile parsed;
    // A repeated name keeps its first place and its last contents, found by the index so that
    // reading stays linear in the size of the file.
    ValueIndex index;
    // Editors that save UTF-8 may put a byte-order mark first.
    if (text.starts_with("\xef\xbb\xbf"))
        text.remove_prefix(3);
    int lineNumber = 0;
    while (!text.empty()) {
        // One logical line: a hex list may go on over lines that end in ",\".
        const int firstLine = ++lineNumber;
        std::string logical;
        while (true) {
            const size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            line = TrimSpaces(line);
            if (line.ends_with(",\\") && !text.empty()) {
                line.remove_suffix(1);
                logical += line;
                ++lineNumber;
                continue;
            }
            logical += line;
            break;
        }
        const std::string_view line = logical;
        if (!line.empty() && line.front() == ';') {
            parsed.hasComments = true;
            continue;
        }
        if (line.empty() || line == kHeader || line == kHeaderV5)
            continue;
        if (line.front() == '[' && line.back() == ']')
            continue;  // the key's own line
        if (auto value = ParseValueLine(line)) {
            const auto [at, added] =
                index.try_emplace(FoldedName(value->name), parsed.values.size());
            if (added) {
                parsed.values.push_back(std::move(*value));
            } else {
                parsed.values[at->second].type = value->type;
                parsed.values[at->second].data = std::move(value->data);
            }
        } else {
            parsed.damagedLines.push_back(firstLine);
        }
    }
    return parsed;
}

std::string FoldedName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded)
        c = ToLowerAscii(c);
    return folded;
}

std::string FormatRegFile(std::string_view keyPath, std::span<const RegistryValue> values) {
    std::string out;
    out.reserve(64 + values.size() * 40);
    AppendHeader(out, keyPath);
    for (const RegistryValue& v : values)
        AppendValueLine(out, v);
    return out;
}

size_t FormattedHeaderSize(std::string_view keyPath) {
    std::string out;
    AppendHeader(out, keyPath);
    return out.size();
}

size_t FormattedValueSize(const RegistryValue& value) {
    std::string out;
    AppendValueLine(out, value);
    return out.size();
}
