// Windows-1254 (Turkish) bytes <-> UTF-8. The five bytes the code page leaves
// undefined map to the C1 controls of the same value, so every byte string
// survives a round trip through text.
#pragma once

#include <string>
#include <string_view>

namespace vt {

std::string cp1254ToUtf8(std::string_view bytes);
// Characters outside the code page become '?'.
std::string utf8ToCp1254(std::string_view utf8);

}  // namespace vt
