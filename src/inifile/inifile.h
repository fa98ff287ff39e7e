// INI documents: ordered sections of ordered items with text values, typed accessors, and text
// files written so that the old file is replaced only by a complete new one. The settings file
// and the language files are both such documents.
//
// Every operation takes the document first and returns an int: negative is an error code
// (inicodes.h), 0 means not found or nothing done, positive (as a rule 1) means success.
// Section and item names are compared without regard to letter case and surrounding white space.
//
// Text syntax: "[Section]" headers, "Name = Value" items, lines starting with ";" are comments.
// A value enclosed in double quotes is stored without them and written with them again. Values
// longer than 80 characters are written as items "Name Line0001", "Name Line0002", ... and joined
// again when read. There are no end-of-line comments.
#pragma once

#include <cstddef>

#include "inifile/inicodes.h"
#include "inifile/linefile.h"

typedef struct IniDocRec *IniDoc;

// Longest line the reader takes; the rest of a longer line is dropped.
constexpr int INI_MAX_LINE_CHARS = 255;
// Longest value text written on one line before it is cut into "Line" pieces.
constexpr int INI_MAX_VALUE_PIECE = 80;

// ---- life cycle and files ----------------------------------------------------------------------

// A new empty document (sorted when automaticSorting is non-zero), or nullptr without memory.
IniDoc Ini_New(int automaticSorting);
void Ini_Dispose(IniDoc ini);

// Adds the sections of the file to the document. 0 or an error (INI_ERR_OPEN_READ when the file
// cannot be opened); after a failed read the document keeps what was read up to the failure.
int Ini_ReadFromFile(IniDoc ini, const char *path);

// Writes the whole document with CR LF line ends; a null path writes to standard output.
// The text goes to a temporary file beside the target, is flushed to disk and renamed over the
// target, so the target is at every moment either the old or the new file. A target that cannot
// be written (a file or, for a new file, a folder without write permission, a missing folder, a
// path that is no plain file) gives INI_ERR_ACCESS_DENIED and stays unchanged; permission is
// judged by the mode bits too, so it holds for the super-user as well. 0 or an error.
int Ini_WriteToFile(IniDoc ini, const char *path);

// Line source for Ini_ReadGeneric: stores the next non-empty line (at most INI_MAX_LINE_CHARS
// characters, terminated) into line, which holds INI_MAX_LINE_CHARS + 1 bytes, and its line number
// into *lineNumber; sets *endOfSource (and stores nothing) when no line is left.
// Returns 0 or a negative error code, which ends the read.
typedef int (*Ini_LineSourceFunc)(void *callbackData, char *line, int *endOfSource,
                                  int *lineNumber);
int Ini_ReadGeneric(IniDoc ini, Ini_LineSourceFunc lineSource, void *callbackData);

// Line source over a LineFile (callbackData is the LineFile).
int Ini_LineFileSource(void *callbackData, char *line, int *endOfSource, int *lineNumber);

// Parses size bytes of INI text held in memory, like Ini_ReadFromFile. 0 or an error.
int Ini_ReadFromMemory(IniDoc ini, const char *text, size_t size);

// Receives each output line without its terminator; a negative result stops the write.
typedef int (*Ini_LineSinkFunc)(void *callbackData, const char *line);
// Hands every line of the document to writeLine. 0, or the first negative result of writeLine.
int Ini_WriteGeneric(IniDoc ini, Ini_LineSinkFunc writeLine, void *callbackData);

// ---- configuration -----------------------------------------------------------------------------

// A NUL character or a null or empty text leaves that token as it is. Texts are cut to 7
// characters. Defaults: '[', ']', "=", ";".
int Ini_SetTokens(IniDoc ini, char sectionStart, char sectionEnd, const char *valueSeparator,
                  const char *commentMarker);

// Called for every section header while reading; a section is kept when it returns non-zero.
typedef int (*Ini_SectionFilterFunc)(IniDoc ini, void *callbackData, const char *sectionName);
int Ini_SetSectionFilter(IniDoc ini, Ini_SectionFilterFunc filter, void *callbackData);

// With duplicate checking on (the default) a Put replaces every item of the same name in place.
// Returns the previous setting.
int Ini_SetDuplicateChecking(IniDoc ini, int on);

// Sorts sections and items now and keeps them sorted from then on.
int Ini_Sort(IniDoc ini);
// Stops keeping the document sorted; the current order stays.
int Ini_DisableSorting(IniDoc ini);
// Sorted lookup indexes that speed up finding names while the visible order stays as it is.
int Ini_SortInternally(IniDoc ini);
int Ini_DisableInternalSorting(IniDoc ini);

// ---- writing values (the section is created when missing; 0 or an error) ------------------------

int Ini_PutInt(IniDoc ini, const char *section, const char *item, int value);
int Ini_PutUInt(IniDoc ini, const char *section, const char *item, unsigned int value);
int Ini_PutDouble(IniDoc ini, const char *section, const char *item, double value);
int Ini_PutBoolean(IniDoc ini, const char *section, const char *item, int value);
// Stored with escape codes (\" \\ \t \n \r \xhh) and written quoted; null is stored as "".
int Ini_PutString(IniDoc ini, const char *section, const char *item, const char *value);
// Stored as given and written quoted; null is stored as "". A value holding a line end gives
// INI_ERR_BAD_VALUE (use Ini_PutString for such texts).
int Ini_PutRawString(IniDoc ini, const char *section, const char *item, const char *value);
// Bytes in a 6-bit text encoding ("0" to "o"), written quoted.
int Ini_PutData(IniDoc ini, const char *section, const char *item, const void *data,
                size_t dataSize);

// ---- reading values ----------------------------------------------------------------------------
// 1 when the item exists and has a value, 0 when the section or item is missing (the output is
// then left as it was unless said otherwise), a negative code for a value of the wrong form.

// An empty or blank value counts as missing for both integer readers.
int Ini_GetInt(IniDoc ini, const char *section, const char *item, int *value);
int Ini_GetUInt(IniDoc ini, const char *section, const char *item, unsigned int *value);
// "Inf", "+Inf" and "-Inf" (any letter case) read as infinities.
int Ini_GetDouble(IniDoc ini, const char *section, const char *item, double *value);
// "True" or "False", any letter case.
int Ini_GetBoolean(IniDoc ini, const char *section, const char *item, int *value);
// The value with escape codes resolved, in the document's string buffer: valid until the next
// call of this function on the same document. *value is set to null first.
int Ini_GetPointerToString(IniDoc ini, const char *section, const char *item, const char **value);
// The stored value itself: valid until the item, its section or the document changes.
int Ini_GetPointerToRawString(IniDoc ini, const char *section, const char *item,
                              const char **value);
// Copies the caller releases with free(); *value is set to null first.
int Ini_GetStringCopy(IniDoc ini, const char *section, const char *item, char **value);
int Ini_GetRawStringCopy(IniDoc ini, const char *section, const char *item, char **value);
// Copies into buffer, cut to bufferSize - 1 characters; the buffer is emptied first.
int Ini_GetStringIntoBuffer(IniDoc ini, const char *section, const char *item, char *buffer,
                            size_t bufferSize);
int Ini_GetRawStringIntoBuffer(IniDoc ini, const char *section, const char *item, char *buffer,
                               size_t bufferSize);
// Decoded bytes the caller releases with free(), and their count. *data is set to null first;
// INI_ERR_BAD_DATA for a text that is not in the data encoding.
int Ini_GetData(IniDoc ini, const char *section, const char *item, unsigned char **data,
                size_t *dataSize);

// ---- queries and edits -------------------------------------------------------------------------

int Ini_SectionExists(IniDoc ini, const char *section);
int Ini_ItemExists(IniDoc ini, const char *section, const char *item);
// Same answer as Ini_ItemExists: multi-line items are joined when read.
int Ini_ItemOrMultiLineItemExists(IniDoc ini, const char *section, const char *item);

int Ini_NumberOfSections(IniDoc ini);
// n counts from 1. 1 and a pointer to the stored name, or 0 when n is out of range.
int Ini_NthSectionName(IniDoc ini, int n, const char **name);
int Ini_NumberOfItems(IniDoc ini, const char *section); // 0 for a missing section
int Ini_NthItemName(IniDoc ini, const char *section, int n, const char **name);

// File line of the item found by the last successful read access; -1 before any, 0 for an item
// added in memory.
int Ini_LineOfLastAccess(IniDoc ini);

// 1 when removed, 0 when missing.
int Ini_RemoveSection(IniDoc ini, const char *section);
// Removes every item of that name in the section; 1 when any was removed, else 0.
int Ini_RemoveItem(IniDoc ini, const char *section, const char *item);

// Copies the named section (every section when sectionName is null) into destination, each item
// as a raw string. With replaceExisting a destination section of the same name is removed first.
// Copying a document onto itself does nothing. 0 or an error.
int Ini_CopySection(IniDoc source, const char *sectionName, IniDoc destination,
                    int replaceExisting);
