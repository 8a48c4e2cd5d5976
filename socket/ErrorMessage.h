// The Japanese text for a Windows Sockets error number.
#pragma once

#include <cstdint>
#include <string>

namespace RezUrav {

// Empty for 0; the table's text for its 40 numbers; otherwise the default text
// "winsock 不明なｴﾗｰ[ｴﾗｰ番号 %3d]" with the number filled in.
std::string ErrorText(std::int32_t number);

}  // namespace RezUrav
