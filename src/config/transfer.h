// Moving the configuration between the instrument and the program, without panel work: the GUI's
// send and adopt commands and kr7mctl wrap these.
#pragma once

// Reads the instrument's identification, device type and configuration block into Lese, with
// progress through TransferWindow. The port must be open; it is left open. 1 when all three
// reads succeeded (the transformer ratings of Lese are then restored from their fields).
int LeseKonfiguration();

// Sends Konf to the instrument: confirmation, open, identification and device type, the
// rated-current check, the display byte, in bus mode the program's own address and line
// settings, the configuration block, close. 1 when the block was written; 0 when the user
// declined or a step failed (the message was shown; the caller redraws); -1 on a rated-current
// mismatch (Error 4/7 or 4/8 shown, nothing written; the caller must not redraw).
int SendConfiguration();

// Reads the instrument's configuration and makes it the edited one, keeping Konf.Module and
// clearing NoVoltageTransf and NoCurrentTransf. 1 when Konf was replaced, 0 when the port could
// not be opened or a read failed (Konf unchanged). The caller saves settings and redraws.
int AdoptDeviceConfiguration();
