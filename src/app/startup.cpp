// Start-up and shutdown: settings, the empty configuration, the main window; and the teardown
// after the event loop has ended.
#include "app/app.h"
#include "config/document.h"
#include "config/mainpanel.h"
#include "config/record.h"
#include "config/settings.h"
#include "config/windowstate.h"
#include "link/linksettings.h"
#include "platform/serial/rs232.h"
#include "platform/ui/userint.h"
#include "views/logger.h"
#include "views/views.h"

namespace {
// While an exchange waits for the instrument, the windows keep being drawn (the progress
// pop-up, the main window); nothing of the program runs meanwhile.
void KeepWindowsDrawn() {
    ProcessDrawEvents();
}
} // namespace

int StartProgram(int argc, char **argv) {
    if (InitUserInterface(argc, argv) < 0) return -1;
    SetComWaitHook(KeepWindowsDrawn);
    CommPortOpen = 0;

    LoadINIDefault();
    if (!ReadINIFile()) NewINIFile();
    UIMarkStep("settings read");

    filename[0] = '\0';
    gLastTransfer = TransferOutcome{};
    logfile[0] = '\0';
    Search_Result = 0;
    for (int slot = 0; slot < 32; ++slot)
        if (DevSearch[slot] != 0) Search_Result = 1;
    Last_Device = 32;
    NoVoltageTransf = 0;
    NoCurrentTransf = 0;

    InitNeueDatei();
    RegisterViews();
    ReadWindowState();
    if (!ChangeLanguage(Language)) return -2;
    // The new configuration as the panel has settled it is the unmodified document.
    StartDocument("");
    AfterEachCallback();
    SetCallbackEndHook(AfterEachCallback);
    return 0;
}

void ShutdownProgram() {
    SetComWaitHook(nullptr);
    SetCallbackEndHook(nullptr);
    if (BkgndPanel > 0) RememberWindowPlace();
    DiscardMainWindow();
    ForgetLanguageFileErrors();
}
