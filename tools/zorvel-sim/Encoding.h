// Japanese answer texts in the encoding the simulated device speaks.
#pragma once

#include <string>

#include "tools/zorvel-sim/Options.h"

namespace zorvel {

// UTF-8 in, the device's bytes out (Shift_JIS as code page 932, EUC-JP, or
// ISO-2022-JP with half-width katakana through ESC ( I).
std::string Encode(const std::string& utf8, Encoding encoding);

}  // namespace zorvel
