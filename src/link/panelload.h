// Loading the program's panels and menu bars from its resource file in the current language
// (LanguageFile), and what happens when a language file cannot be used.
//
// A language file that does not fit a panel (a file of another version of the program, a
// damaged or missing one) must not leave the user without the panel: a load that the language
// file refuses is repeated in English, with the English file, and failing that with the
// resource's own texts. Those are the English texts too: the English file is made from them
// (docs/language-files.md). The shell decides what to tell the user; these functions only load.
#pragma once

#include "localui/localui.h"

#include <initializer_list>
#include <string>

// Language number -> language file name ("kr7mdeu.lwl", "kr7meng.lwl", ...); numbers outside
// the known ones give the English file.
const char *LanguageFileName(int language);
constexpr int kEnglish = 1;

// True for the codes by which the language layer refuses a language file, as against a
// resource that cannot be loaded.
bool IsLanguageFileError(int code);

// Loads panel `resourceId` as a child of `parent` (0: a top-level window) with the texts of
// `languageFile`, nothing else tried. 0 with *panel set, or the code with *panel 0.
int LoadPanelWith(int parent, int resourceId, const char *languageFile, int *panel);
int LoadMenuBarWith(int panel, int resourceId, const char *languageFile, int *menuBar);

// Loads a panel or menu bar in the current language, in English when the language file
// refuses it (see above). Returns the handle, or a negative code when even the resource's own
// texts cannot be loaded.
int LoadPanelInLanguage(int parent, int resourceId);
int LoadMenuBarInLanguage(int panel, int resourceId);

// The first refusal by a language file since the last ClearLanguageRefusal: the file as named
// (a name or a path) and the code; code 0 when there was none. The shell tells the user.
struct LanguageRefusal {
    char file[sizeof LanguageFile];
    int code;
};
const LanguageRefusal &FirstLanguageRefusal();
void ClearLanguageRefusal();

// The name that stands for the resource's own texts instead of a language file: the texts to
// fall back on when the English file itself cannot be used. LanguageFile may hold it.
extern const char kBuiltInTexts[];
const char *BuiltInLanguageFile();
// True when `languageFile` names the resource's own texts.
bool IsBuiltInLanguageFile(const char *languageFile);

// Texts the program writes itself sit as entries of hidden text rings of their panel, so that
// they are translated with it: entry `entry` of ring `ring` with each "%s" replaced, in order,
// by the next of `values`. A translation is never used as a format.
std::string TextOfRing(int panel, int ring, int entry, std::initializer_list<std::string> values);
