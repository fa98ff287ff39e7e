// The edited configuration as a document: its file, its unsaved changes, the question.
#include "config/document.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "MainPan.h"
#include "config/configfile.h"
#include "config/mainpanel.h"
#include "config/record.h"
#include "link/report.h"
#include "platform/ui/userint.h"

char DocumentPath[260] = "";

namespace {

std::string gSaved; // the value line at the last new, open or save

// What a save would write of Konf, less the time stamp.
std::string Image() {
    ConfigStamp stamp{};
    return ConfigValueLine(&Konf, stamp, ConfigShownOf(&Konf));
}

} // namespace

void StartDocument(const char *path) {
    std::snprintf(DocumentPath, sizeof DocumentPath, "%s", path ? path : "");
    gSaved = Image();
}

void MarkDocumentChanged() {
    gSaved = "\n"; // no value line is a single line break
}

int DocumentModified() {
    return Image() != gSaved ? 1 : 0;
}

void DocumentName(char *name, int size) {
    if (!name || size <= 0) return;
    name[0] = '\0';
    if (DocumentPath[0]) {
        const char *slash = std::strrchr(DocumentPath, '/');
        std::snprintf(name, static_cast<size_t>(size), "%s", slash ? slash + 1 : DocumentPath);
        return;
    }
    if (MainPanel > 0) GetLabelFromIndex(MainPanel, PANEL_FILE_CAPTIONS, 3, name, size);
    if (!name[0]) std::snprintf(name, static_cast<size_t>(size), "%s", "Untitled");
}

int KeepOrDropChanges() {
    if (!DocumentModified()) return 1;
    char name[260];
    DocumentName(name, sizeof name);
    switch (AskUnsavedChanges(name)) {
    case 1:
        return SaveDocument(0);
    case 2:
        return 1;
    default:
        return 0;
    }
}
