#pragma once
// The terminal of the command line.

namespace tessaly::platform {

// Makes the standard streams carry the program's bytes unchanged: on
// Windows no "\r" is added before line ends (the output is the same, byte
// for byte, as on Linux) and the console shows UTF-8. Nothing to do
// elsewhere.
void UseUtf8Console();

}  // namespace tessaly::platform
