// Whether a descriptor is a terminal that expects UTF-8.
//
// Terminals on this platform are UTF-8, where the original console showed code
// page 932. Text for such a terminal is converted on the way out; files and
// pipes always get the program's Shift_JIS bytes.
#pragma once

namespace rtl {

// True when `fd` is a terminal and the character set of the environment's
// locale (LC_ALL, LC_CTYPE, LANG) is UTF-8. The process's own locale stays as it is.
bool IsUtf8Terminal(int fd);

}  // namespace rtl
