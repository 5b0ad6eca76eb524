#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/console.h"

namespace tessaly::platform {

void UseUtf8Console() {
  SetConsoleOutputCP(CP_UTF8);
  SetConsoleCP(CP_UTF8);
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace tessaly::platform
