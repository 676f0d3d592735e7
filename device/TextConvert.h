// UTF-16 <-> UTF-8 for the device layer's texts: the information reply's wide texts handed out
// narrow, and device paths between the operating system (UTF-8) and the transport (UTF-16).
#pragma once

#include <string>
#include <string_view>

// False (and `out` cleared) for an unpaired surrogate.
bool Utf16ToUtf8(std::u16string_view in, std::string& out);
// False (and `out` cleared) for bytes that are not well-formed UTF-8.
bool Utf8ToUtf16(std::string_view in, std::u16string& out);
