// The configuration being edited as a document: which file it belongs to, whether it has
// changes that are not in that file, and the question before such changes would be lost.
//
// Changes are found by comparison, not by flags: the document is modified exactly when the
// value line a save would write now differs from the one at the last new, open or save. So no
// callback has to remember to mark it, and an edit that is undone leaves it unmodified again.
#pragma once

// The file the edited configuration was opened from or last saved to; empty for a new one.
extern char DocumentPath[260];

// Konf is now what `path` holds (empty: a new configuration that no file holds).
void StartDocument(const char *path);
// Konf is to count as changed whatever it holds (its file's values had to be corrected).
void MarkDocumentChanged();
// 1 when Konf differs from what its file (or the new configuration) held.
int DocumentModified();
// The file's name without its folder, or the panel's text for a configuration never saved.
void DocumentName(char *name, int size);

// Before an action that replaces the edited configuration (new, open, exit): when it has
// unsaved changes, asks whether to save them. 1 when the action may go on (saved, or the user
// chose not to save), 0 when it must stop (cancelled, or the save failed or was cancelled).
int KeepOrDropChanges();

// Saves the configuration: to its file, or (with choose set, or when it has none) to a file the
// user chooses. 1 when saved.
int SaveDocument(int choose);
