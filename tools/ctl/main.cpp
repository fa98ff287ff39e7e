// kr7mctl: the configurator's instrument functions from the command line, for engineers who
// script commissioning, and for tests.
#include <cstdio>
#include <string>

#include "ctl/ctl.h"
#include "link/report_console.h"

int main(int argc, char **argv) {
    CtlOptions options;
    std::string error;
    switch (ParseCtlCommandLine(argc, argv, &options, &error)) {
    case kShowHelp:
        std::fputs(CtlHelpText().c_str(), stdout);
        return kExitOk;
    case kShowVersion:
        std::fputs(VersionText("kr7mctl").c_str(), stdout);
        return kExitOk;
    case kBadUsage:
        std::fputs(UsageText("kr7mctl", error).c_str(), stderr);
        return kExitUsage;
    case kRunProgram:
        break;
    }
    int applied = ApplyCtlOptions(options);
    if (applied != kExitOk) return applied;
    Console_SetOutput(stderr);
    return options.command->run(options);
}
