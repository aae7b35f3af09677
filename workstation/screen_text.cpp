#include "workstation/screen_text.h"

#include <cstring>
#include <string_view>

namespace lumora {

std::string ScreenNumber(const NumberText& number) {
  return lamp::Cp1251ToUtf8(std::string_view(number.data(), strnlen(number.data(), number.size())));
}

}  // namespace lumora
