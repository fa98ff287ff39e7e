// kr7m: the KR7M configurator's graphical program.
#include "MainPan.h"
#include "app/app.h"
#include "platform/ui/userint.h"

#include <cstdio>
#include <cstring>

namespace {

const char kHelp[] = R"(Usage: kr7m [--help | --version]

The KR7M configurator: sets up KR7M measuring instruments and reads out their
values, meters and logger over a serial line, point to point or on an RS-485
bus. Without options it opens its window. Its settings file KR7M.ini is kept in
the program's folder, or in ~/.config/kr7m where that folder is not writable
($KR7M_CONFIG_DIR names another folder).

Options:
  --help      this text
  --version   the program's version

kr7mctl does the instrument work from the command line; kr7m-sim simulates an
instrument (or a bus of them) on a pseudo-terminal.
)";

// The window takes no options, so anything else on the command line is a mistake that should
// be said rather than passed to the window system. Returns -1 to start the window, or the exit
// status.
int ReadCommandLine(int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (std::strcmp(a, "--version") == 0) {
            std::printf("kr7m %s\n", kProgramVersion);
            return 0;
        }
        std::fprintf(stderr, "kr7m: unknown %s '%s'\nTry 'kr7m --help'.\n",
                     a[0] == '-' ? "option" : "argument", a);
        return 2;
    }
    return -1;
}

} // namespace

int main(int argc, char **argv) {
    int done = ReadCommandLine(argc, argv);
    if (done >= 0) return done;
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
    // Not 0 only when the window could not be rebuilt after a language switch.
    int code = RunUserInterface();
    ShutdownProgram();
    return code;
}
