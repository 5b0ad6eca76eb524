#include "platform/console.h"

namespace tessaly::platform {

void UseUtf8Console() {}

}  // namespace tessaly::platform
