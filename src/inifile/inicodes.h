// Result codes of the line reader and the INI engine: 0 or positive is success, negative an error.
#pragma once

// Result codes shared by the line reader and the INI engine. The -50xx values with texts of their
// own come first; the conditions after them are the ones the user-interface library also knows,
// with values of our own so that a caller can always tell the two libraries' codes apart.
enum {
    INI_ERR_OPEN_READ = -5001,      // "Could Not Open File For Reading"
    INI_ERR_READ = -5002,           // "Error Reading From File"
    INI_ERR_NO_TEMP_NAME = -5003,   // "Could Not Find Unused Temporary File Name"
    INI_ERR_CREATE_TEMP = -5004,    // "Could Not Create Temporary File"
    INI_ERR_INVALID_INT = -5021,    // "Invalid Integer Number"
    INI_ERR_INVALID_UINT = -5022,   // "Invalid Unsigned Integer Number"
    INI_ERR_INVALID_DOUBLE = -5023, // "Invalid Floating Point Number"
    INI_ERR_INVALID_BOOL = -5024,   // "Invalid Boolean Value"

    INI_ERR_OUT_OF_MEMORY = -5101,
    INI_ERR_NULL_ARGUMENT = -5102, // missing document, reader or required argument
    INI_ERR_NOT_FOUND = -5103,
    INI_ERR_ACCESS_DENIED = -5104, // target not writable, write or rename refused
    INI_ERR_DISK_FULL = -5105,
    INI_ERR_IO = -5106,        // any other write or rename failure
    INI_ERR_BAD_DATA = -5107,  // a data text that no Ini_PutData can have written
    INI_ERR_BAD_NAME = -5108,  // empty, too long, or a name that would not read back the same
    INI_ERR_BAD_VALUE = -5109, // a raw value holding a line end, which would split its line
};

// Text of any of the codes above ("" for 0 and unknown codes). Never null.
const char *Ini_ErrorText(int code);
