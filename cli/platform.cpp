#include "platform.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tkcli {

#if defined(_WIN32)
void setBinaryMode(std::FILE *file) { _setmode(_fileno(file), _O_BINARY); }
bool isTerminal(std::FILE *file) { return _isatty(_fileno(file)) != 0; }
#else
void setBinaryMode(std::FILE *) {}
bool isTerminal(std::FILE *file) { return isatty(fileno(file)) != 0; }
#endif

}  // namespace tkcli
