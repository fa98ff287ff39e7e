// Build-time checks of the message tables: the numbers that the program raises must all have
// a text. The texts themselves are in the header.
#include "link/messages.h"

namespace messages {

static_assert(Count(kErrorTitles) == 7, "error titles 0..6 are raised");
static_assert(Count(kErrorMessages) == 12, "error messages 0..11 are raised");
static_assert(Count(kWarningTitles) == 6 && Count(kWarningMessages) == 6,
              "confirmations 0..5 are asked");

} // namespace messages
