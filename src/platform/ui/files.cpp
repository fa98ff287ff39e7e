// Files, printing and pictures: the file selection dialog, the program's directory, printing a
// panel (to a printer or a PDF file), panel screenshots, and the images of pictures and toolbar
// buttons.
#include "platform/ui/uiqt.h"

#include "platform/ui/programdir.h"

#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace uiq {
namespace {

bool g_haveAnswer = false;
std::string g_answer;
std::string g_printFile;
int g_printLandscape = 0;
int g_printNoDialog = 0;
QString g_printHeading;

// "*.KR7" also matches "x.kr7": configuration files travel between systems that do not keep
// the case of names.
QString FilterFor(const QString &pattern, const QString &types) {
    QStringList patterns;
    auto add = [&](const QString &pat) {
        if (pat.isEmpty() || !pat.contains('*')) return;
        if (!patterns.contains(pat)) patterns << pat;
        if (!patterns.contains(pat.toLower())) patterns << pat.toLower();
        if (!patterns.contains(pat.toUpper())) patterns << pat.toUpper();
    };
    for (const QString &t : types.split(';', Qt::SkipEmptyParts)) add(t.trimmed());
    add(pattern);
    QString filter;
    if (!patterns.isEmpty()) filter = "Files (" + patterns.join(' ') + ");;";
    return filter + "All files (*)";
}

// Draws the panel onto the printer's page as the widgets paint themselves, so that texts and
// frames stay vectors (a PDF keeps them sharp and searchable) on the white paper, without the
// window's grey background; below the heading line when one is set, scaled to fit the width.
bool RenderOnto(QPrinter *printer, QWidget *w) {
    QPainter painter;
    if (!painter.begin(printer)) return false;
    QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
    page.moveTo(0, 0);
    // The panel's pixels as on the screen (96 per inch), so a heading in points fits with it.
    const double perPixel = printer->resolution() / 96.0;
    int top = 0;
    if (!g_printHeading.isEmpty()) {
        QFont font = QApplication::font();
        font.setPointSizeF(11);
        font.setBold(true);
        painter.setFont(font);
        QRect box(0, 0, page.width(), static_cast<int>(30 * perPixel));
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, g_printHeading);
        painter.drawLine(0, box.bottom(), page.width(), box.bottom());
        top = box.bottom() + static_cast<int>(12 * perPixel);
    }
    double scale = perPixel;
    if (w->width() * scale > page.width()) scale = page.width() / double(w->width());
    if (w->height() * scale > page.height() - top)
        scale = (page.height() - top) / double(w->height());
    painter.translate((page.width() - w->width() * scale) / 2, top);
    painter.scale(scale, scale);
    // A widget that fills its own background would paint the grey even so: not on paper.
    const bool filled = w->autoFillBackground();
    w->setAutoFillBackground(false);
    w->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    w->setAutoFillBackground(filled);
    return painter.end();
}

} // namespace

// ---- images --------------------------------------------------------------------------------
// Read once per file: rebuilding the main window (a change of language) needs no decoding.
namespace {

struct Cached {
    time_t mtime = 0;
    long long size = 0;
    QImage image;
};

// Images by path. QImage, not QPixmap: a pixmap must not outlive the application object.
std::map<QString, Cached> &Cache() {
    static std::map<QString, Cached> cache;
    return cache;
}

} // namespace

QImage LoadImageFile(const QString &path) {
    struct stat st;
    const QByteArray local = QFile::encodeName(path);
    if (path.isEmpty() || ::stat(local.constData(), &st) != 0) return QImage();
    auto it = Cache().find(path);
    if (it != Cache().end() && it->second.mtime == st.st_mtime &&
        it->second.size == static_cast<long long>(st.st_size))
        return it->second.image;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QImage();
    const QByteArray bytes = file.readAll();
    QImage img = QImage::fromData(bytes);
    if (img.isNull()) return img; // not kept: the file may be mended
    Cache()[path] = Cached{st.st_mtime, static_cast<long long>(st.st_size), img};
    return img;
}

} // namespace uiq

using namespace uiq;

int SetFileSelectAnswer(const char *path) {
    g_haveAnswer = true;
    g_answer = path ? path : "";
    return 0;
}

int FileSelectPopup(const char *defaultDirectory, const char *defaultSpec, const char *fileTypes,
                    const char *title, int buttonLabel, char *path, int size) {
    if (!path || size <= 0) return UIE_MISSING_ARGUMENT;
    path[0] = '\0';
    QString chosen;
    if (g_haveAnswer) {
        g_haveAnswer = false;
        chosen = QString::fromStdString(g_answer);
    } else {
        if (!EnsureApp()) return UIE_NO_DISPLAY;
        QString pattern = Q(defaultSpec);
        QString dir = Q(defaultDirectory);
        // No folder given: the user's home. The program's folder is no place for the user's
        // files, and the current folder of a program started from a menu is anybody's guess.
        if (dir.isEmpty()) dir = QDir::homePath();
        QFileDialog dlg(nullptr, Q(title), dir, FilterFor(pattern, Q(fileTypes)));
        if (PanelRec *p = FindPanel(ActivePanel()); p && p->window)
            dlg.setParent(p->window->window(), Qt::Dialog);
        dlg.setOption(QFileDialog::DontUseNativeDialog, true);
        bool save = buttonLabel == VAL_SAVE_BUTTON;
        dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        if (!pattern.isEmpty() && !pattern.contains('*')) {
            // A name rather than a pattern: offer it, in its own folder when it has one.
            QFileInfo fi(pattern);
            if (fi.isAbsolute()) dlg.setDirectory(fi.absolutePath());
            dlg.selectFile(fi.fileName());
        }
        if (save && pattern.contains('*')) dlg.setDefaultSuffix(QFileInfo(pattern).suffix());
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
            return VAL_NO_FILE_SELECTED;
        chosen = dlg.selectedFiles().first();
    }
    if (chosen.isEmpty()) return VAL_NO_FILE_SELECTED;
    // A path cut to fit would name another file: refuse instead.
    if (CopyOut(chosen, path, size) != 0) {
        path[0] = '\0';
        return UIE_BAD_VALUE;
    }
    return QFileInfo::exists(chosen) ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
}

int GetProjectDir(char *directory, int size) {
    if (!directory || size <= 0) return UIE_MISSING_ARGUMENT;
    std::string dir = ProgramDir();
    if (static_cast<int>(dir.size()) >= size) {
        directory[0] = '\0';
        return UIE_BAD_VALUE;
    }
    memcpy(directory, dir.c_str(), dir.size() + 1);
    return 0;
}

int MakePathname(const char *directory, const char *file, char *path, int size) {
    if (!directory || !file || !path || size <= 0) return UIE_MISSING_ARGUMENT;
    std::string d = directory, out;
    if (d.empty())
        out = file;
    else if (d.back() == '/')
        out = d + file;
    else
        out = d + "/" + file;
    if (static_cast<int>(out.size()) >= size) {
        path[0] = '\0';
        return UIE_BAD_VALUE;
    }
    memcpy(path, out.c_str(), out.size() + 1);
    return 0;
}

int GetFileInfo(const char *path, long *size) {
    if (size) *size = 0;
    if (!path) return 0;
    struct stat st;
    if (stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    if (size) *size = static_cast<long>(st.st_size);
    return 1;
}

int SetPrintAttribute(int attribute, int value) {
    switch (attribute) {
    case ATTR_PRINT_ORIENTATION:
        g_printLandscape = value;
        return 0;
    case ATTR_PRINT_NO_DIALOG:
        g_printNoDialog = value;
        return 0;
    default:
        return UIE_BAD_ATTRIBUTE;
    }
}

int SetPrintAttribute(int attribute, const char *text) {
    if (attribute == ATTR_PRINT_HEADING) {
        g_printHeading = Q(text);
        return 0;
    }
    if (attribute != ATTR_PRINT_OUTPUT_FILE) return UIE_BAD_ATTRIBUTE;
    g_printFile = text ? text : "";
    return 0;
}

int PrintPanel(int panel) {
    PanelRec *p = FindPanel(panel);
    if (!p || !p->window) return UIE_BAD_HANDLE;
    // A child panel prints whole, also the part its window scrolls out of sight.
    QWidget *w = p->main || p->popupKind ? p->window.data() : p->client.data();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(g_printLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setDocName(p->window->property("kr7mTitle").toString());
    if (!g_printFile.empty()) {
        // To a PDF file without a dialog: written beside the target and renamed over it, so a
        // failed print never leaves half a file.
        std::string tmp = g_printFile + ".part";
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(tmp));
        if (!RenderOnto(&printer, w)) {
            unlink(tmp.c_str());
            SetLastError(g_printFile + ": cannot write the PDF file");
            return UIE_PRINT_FAILED;
        }
        if (rename(tmp.c_str(), g_printFile.c_str()) != 0) {
            SetLastError(g_printFile + ": " + strerror(errno));
            unlink(tmp.c_str());
            return UIE_PRINT_FAILED;
        }
        return 0;
    }
    if (!g_printNoDialog) {
        QPrintDialog dlg(&printer, p->window->window());
        dlg.setWindowTitle("Print");
        // With no printer installed the dialog still offers printing to a PDF file.
        dlg.setOption(QAbstractPrintDialog::PrintToFile, true);
        if (dlg.exec() != QDialog::Accepted) return 1;
    }
    if (!RenderOnto(&printer, w)) {
        SetLastError("printing failed");
        return UIE_PRINT_FAILED;
    }
    return 0;
}

int ClipboardPutText(const char *text) {
    if (!text) return UIE_MISSING_ARGUMENT;
    if (!EnsureApp()) return UIE_NO_DISPLAY;
    QApplication::clipboard()->setText(Q(text));
    return 0;
}

int ClipboardGetText(char *text, int size) {
    if (!text) return UIE_MISSING_ARGUMENT;
    if (!EnsureApp()) return UIE_NO_DISPLAY;
    return CopyOut(QApplication::clipboard()->text(), text, size);
}

int SavePanelImage(int panel, const char *pngPath) {
    PanelRec *p = FindPanel(panel);
    if (!p || !p->window) return UIE_BAD_HANDLE;
    if (!pngPath || !*pngPath) return UIE_MISSING_ARGUMENT;
    // As printed: a child panel whole, also what its window scrolls out of sight.
    QPixmap pix = (p->main || p->popupKind ? p->window.data() : p->client.data())->grab();
    if (pix.isNull() || !pix.save(Q(pngPath), "PNG")) {
        SetLastError(std::string(pngPath) + ": cannot write the picture");
        return UIE_FILE_NOT_FOUND;
    }
    return 0;
}

int UserAnswerDialog(int accept) {
    auto *dlg = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    if (!dlg) return UIE_BAD_HANDLE;
    if (accept)
        dlg->accept();
    else
        dlg->reject();
    return 0;
}
