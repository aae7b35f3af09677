#include "server/station_frame.h"

#include "platform/forms/application.h"
#include "platform/net/winsock.h"

namespace tolvex {

void StartWinsock() {
  wsock::WSADATA data;
  const std::uint16_t version = wsock::MakeWord(2, 2);
  if (wsock::WSAStartup(version, &data) != 0) {
    forms::Application().MessageBox("Ошибка инициализации WinSock", "", forms::MB_OK);
  }
  if (data.wVersion != version) {
    forms::Application().MessageBox("Не верная версия WinSock", "", forms::MB_OK);
  }
}

}  // namespace tolvex
