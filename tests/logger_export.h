// What the logger's export holds for kr7m-sim started with "--logger active --logger-mode ask
// --logger-records 6 --logger-failed 3" and the newest record at 14.03.26 12:00:00 (UTC): the
// view and kr7mctl must both write exactly these bytes.
#pragma once

inline constexpr char kExpectedLoggerExport[] =
    " 1010\t 14.03.26  12:00:00 \t   1.88\t[kW]\t- OK -\t\r\n"
    " 1008\t 14.03.26  11:45:00 \t   1.86\t[kW]\t- OK -\t\r\n"
    " 1006\t(14.03.26  11:30:00)\t   0.00\t[kW]\tFAILED\t\r\n"
    " 1004\t(14.03.26  11:15:00)\t   2.39\t[kW]\t- OK -\t\r\n"
    " 1002\t(14.03.26  11:00:00)\t   2.40\t[kW]\t- OK -\t\r\n"
    " 1000\t(14.03.26  10:45:00)\t   2.31\t[kW]\t- OK -\t\r\n";
