#include "socket/KanjiConvert.h"

namespace RezUrav {

std::string ConvertKanjiCodeText(std::string_view text) { return std::string(text); }

}  // namespace RezUrav
