// The mean-value view's restart button: starts a new averaging interval in the instrument.
#include "app/app.h"
#include "config/record.h"
#include "link/commands.h"
#include "link/frame.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "platform/ui/userint.h"

int CmRestartInterval(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                      int /*eventData1*/, int /*eventData2*/) {
    if (event != EVENT_COMMIT) return 0;
    // The mean-value view that carries the button keeps the port open for its readings:
    // closing it here would leave every later reading of the view failing.
    int wasOpen = CommPortOpen;
    // A failed open has been reported by the link; there is nothing more to do.
    if (!InitInterface(CommPort)) return 0;
    status = Write(&Konf, WriteIntervalRestart, 1, 0);
    if (!wasOpen) CloseInterface();
    return 0;
}
