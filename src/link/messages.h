// English texts of the numbered error and confirmation messages. The console reporter prints
// them; the error and warning panels carry the same texts as their English ring items. The
// tables live in this header so that every reporter can use them without linking the link.
#pragma once

namespace messages {

inline constexpr const char *kErrorTitles[] = {
    "Communication error", // 0: serial port or instrument exchange
    "Instrument error",    // 1
    "File error",          // 2: a file cannot be opened
    "Configuration file",  // 3: not a valid configuration file
    "Rated current",       // 4: configuration and instrument disagree
    "Error",               // 5
    "Logger",              // 6
};

inline constexpr const char *kErrorMessages[] = {
    // 0: port missing, none present, or busy
    "The serial port does not exist, no serial port is present, or the port cannot be opened "
    "(it may be in use by another program).",
    // 1: any other open failure
    "The serial port could not be opened.",
    // 2: no answer
    "The instrument does not answer. Check the cable, the interface settings and the device "
    "address.",
    // 3
    "The instrument reported an error.",
    // 4: wrong length or checksum
    "The instrument's answer is faulty (wrong length or checksum).",
    // 5
    "The file cannot be opened.",
    // 6
    "The file is not a valid configuration file.",
    // 7: configuration for rated-current code 100, instrument reports 500
    "The configuration is for a 1 A instrument, but the instrument is a 5 A type. Nothing was "
    "sent.",
    // 8: configuration for rated-current code 500, instrument reports 100
    "The configuration is for a 5 A instrument, but the instrument is a 1 A type. Nothing was "
    "sent.",
    // 9: register 539 selects no logger quantity
    "Logger acquisition is not possible: the instrument's configuration selects no logger "
    "quantity.",
    // 10: a recording file failed while values were being written to it
    "The recording could not be written and has been stopped.",
    // 11: a configuration file's values were brought into range
    "Some values of the file lie outside what the instrument and the panel accept. They were "
    "changed as listed below; check them before sending.",
};

inline constexpr const char *kWarningTitles[] = {
    "Send configuration",   // 0
    "Clear logger",         // 1
    "Output simulation",    // 2
    "Reset min/max values", // 3
    "Reset energy meters",  // 4
    "Set energy meter",     // 5
};

inline constexpr const char *kWarningMessages[] = {
    "Send the configuration to the instrument? The instrument's present configuration will be "
    "overwritten.",
    "Clear the logger? All records stored in the instrument will be lost.",
    "Switch the instrument's outputs to simulation? The outputs are then switched by hand until "
    "the simulation is closed.",
    "Reset the chosen groups of min/max values? The extremes the instrument has kept will be "
    "lost.",
    "Reset the chosen energy meters to zero? Their present counts will be lost.",
    "Set the energy meter to the value given? Its present count will be lost.",
};

template <typename T, int N> constexpr int Count(T (&)[N]) {
    return N;
}

// Text of an entry, or a neutral text for a number outside the table, so that a wrong number
// still produces a readable report instead of a crash.
template <int N>
constexpr const char *Pick(const char *const (&table)[N], int n, const char *fallback) {
    return (n >= 0 && n < N) ? table[n] : fallback;
}

inline const char *ErrorTitle(int n) {
    return Pick(kErrorTitles, n, "Error");
}
inline const char *ErrorMessage(int n) {
    return Pick(kErrorMessages, n, "An error occurred.");
}
inline const char *WarningTitle(int n) {
    return Pick(kWarningTitles, n, "Confirm");
}
inline const char *WarningMessage(int n) {
    return Pick(kWarningMessages, n, "Continue?");
}

} // namespace messages
