// kr7m: the KR7M configurator's graphical program.
#include "MainPan.h"
#include "app/app.h"
#include "platform/ui/userint.h"

#include <cstdio>

int main(int argc, char **argv) {
    RegisterMainPanCallbacks();
    int started = StartProgram(argc, argv);
    if (started == -1) {
        std::fprintf(stderr, "kr7m: cannot start the user interface (is a display available?)\n");
        return -1;
    }
    if (started != 0) {
        // Without its window the program has nothing to offer; say why instead of hanging.
        std::fprintf(stderr, "kr7m: %s\n", StartupError());
        ShutdownProgram();
        return 1;
    }
    RunUserInterface();
    ShutdownProgram();
    return 0;
}
