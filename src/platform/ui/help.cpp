// The help window: one HTML page at a time, with back, forward, home, search in the page and a
// link policy that keeps a click inside the help unless it is plainly a web or mail address.
#include "platform/ui/help.h"

#include "platform/ui/uiqt.h"

#include <QAction>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace uiq {
namespace {

// A help page is a few hundred kilobytes; anything far bigger is not one and would hang the
// window while it is laid out.
constexpr qint64 kMaxPageBytes = 16 * 1024 * 1024;

// The window's own few words, in the language the shown page declares (<html lang="de">).
struct ChromeTexts {
    const char *back, *forward, *home, *find, *findHint, *next, *previous, *closeFind;
    const char *notFound, *refused, *external, *title;
};
const ChromeTexts kEnglish = {"Back (Alt+Left)",
                              "Forward (Alt+Right)",
                              "To the start of the page",
                              "Find in page (Ctrl+F)",
                              "Find in page",
                              "Find next (F3)",
                              "Find previous (Shift+F3)",
                              "Close the search (Esc)",
                              "Not found on this page",
                              "Not opened: the link leads outside the help",
                              "Opened in the browser",
                              "Help"};
const ChromeTexts kGerman = {"Zurück (Alt+Links)",
                             "Vor (Alt+Rechts)",
                             "Zum Anfang der Seite",
                             "Auf der Seite suchen (Strg+F)",
                             "Auf der Seite suchen",
                             "Weitersuchen (F3)",
                             "Rückwärts suchen (Umschalt+F3)",
                             "Suche schließen (Esc)",
                             "Auf dieser Seite nicht gefunden",
                             "Nicht geöffnet: der Verweis führt aus der Hilfe hinaus",
                             "Im Browser geöffnet",
                             "Hilfe"};

QString T(const char *text) {
    return QString::fromUtf8(text);
}

// The language a page declares on its html element; "" when it names none.
QString PageLanguage(const QByteArray &head) {
    static const QRegularExpression lang(R"(<html[^>]*\slang\s*=\s*["']?([A-Za-z]+))",
                                         QRegularExpression::CaseInsensitiveOption);
    QRegularExpressionMatch m = lang.match(QString::fromUtf8(head));
    return m.hasMatch() ? m.captured(1).toLower() : QString();
}

bool IsPageFile(const QString &path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == "html" || suffix == "htm";
}

class HelpWindow : public QMainWindow {
  public:
    HelpWindow();
    void Load(const QString &path);
    int Follow(const QUrl &href, bool handOut);
    bool Find(const QString &text, bool backwards);
    bool Navigate(int where);
    QString Page() const { return page_; }
    QString Anchor() const { return browser_->source().fragment(); }
    QStringList Names(int which) const;

  private:
    void Shown();
    void ApplyTexts();
    void ShowFindBar();
    void Note(const QString &text, int ms = 4000) { statusBar()->showMessage(text, ms); }

    QTextBrowser *browser_;
    QToolBar *findBar_;
    QLineEdit *findField_;
    QAction *back_, *forward_, *home_, *find_, *next_, *previous_, *closeFind_;
    const ChromeTexts *texts_ = &kEnglish;
    QString page_; // absolute path of the page file shown
};

HelpWindow::HelpWindow() {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_QuitOnClose, false);
    browser_ = new QTextBrowser(this);
    // Every click is judged here: a page must never make the viewer load whatever it names.
    browser_->setOpenLinks(false);
    browser_->setOpenExternalLinks(false);
    setCentralWidget(browser_);

    QToolBar *bar = addToolBar("navigation");
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    back_ = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), "");
    forward_ = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), "");
    home_ = bar->addAction(style()->standardIcon(QStyle::SP_ArrowUp), "");
    bar->addSeparator();
    find_ = bar->addAction(style()->standardIcon(QStyle::SP_FileDialogContentsView), "");
    back_->setShortcut(QKeySequence::Back);
    forward_->setShortcut(QKeySequence::Forward);
    home_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    find_->setShortcut(QKeySequence::Find);
    back_->setEnabled(false);
    forward_->setEnabled(false);

    findBar_ = new QToolBar("find", this);
    findBar_->setMovable(false);
    addToolBar(Qt::BottomToolBarArea, findBar_);
    findField_ = new QLineEdit(findBar_);
    findField_->setClearButtonEnabled(true);
    findField_->setMaximumWidth(320);
    findBar_->addWidget(findField_);
    previous_ = findBar_->addAction(style()->standardIcon(QStyle::SP_ArrowUp), "");
    next_ = findBar_->addAction(style()->standardIcon(QStyle::SP_ArrowDown), "");
    closeFind_ = findBar_->addAction(style()->standardIcon(QStyle::SP_DialogCloseButton), "");
    next_->setShortcut(QKeySequence::FindNext);
    previous_->setShortcut(QKeySequence::FindPrevious);
    closeFind_->setShortcut(Qt::Key_Escape);
    findBar_->hide();

    // Zoom for a small screen or a projector.
    auto *zoomIn = new QAction(this);
    zoomIn->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    auto *zoomOut = new QAction(this);
    zoomOut->setShortcut(QKeySequence::ZoomOut);
    addAction(zoomIn);
    addAction(zoomOut);
    connect(zoomIn, &QAction::triggered, browser_, [this] { browser_->zoomIn(1); });
    connect(zoomOut, &QAction::triggered, browser_, [this] { browser_->zoomOut(1); });

    connect(back_, &QAction::triggered, this, [this] { Navigate(HELP_BACK); });
    connect(forward_, &QAction::triggered, this, [this] { Navigate(HELP_FORWARD); });
    connect(home_, &QAction::triggered, this, [this] { Navigate(HELP_HOME); });
    connect(find_, &QAction::triggered, this, [this] { ShowFindBar(); });
    connect(next_, &QAction::triggered, this, [this] { Find(findField_->text(), false); });
    connect(findField_, &QLineEdit::returnPressed, this,
            [this] { Find(findField_->text(), false); });
    connect(previous_, &QAction::triggered, this, [this] { Find(findField_->text(), true); });
    connect(closeFind_, &QAction::triggered, this, [this] {
        findBar_->hide();
        browser_->setFocus();
    });
    // Typing searches as it goes, from where the page's cursor stands.
    connect(findField_, &QLineEdit::textEdited, this, [this](const QString &text) {
        QTextCursor c = browser_->textCursor();
        c.setPosition(c.selectionStart());
        browser_->setTextCursor(c);
        Find(text, false);
    });
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::anchorClicked, this,
            [this](const QUrl &url) { Follow(url, true); });
    // Where a link leads, before it is clicked.
    connect(browser_, QOverload<const QUrl &>::of(&QTextBrowser::highlighted), this,
            [this](const QUrl &url) {
                if (url.isEmpty())
                    statusBar()->clearMessage();
                else if (!url.scheme().isEmpty() && url.scheme() != "file")
                    Note(url.toString(), 0);
            });

    QSize size(880, 760);
    if (QScreen *screen = QApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.9);
    resize(size);
    ApplyTexts();
}

void HelpWindow::ApplyTexts() {
    back_->setToolTip(T(texts_->back));
    forward_->setToolTip(T(texts_->forward));
    home_->setToolTip(T(texts_->home));
    find_->setToolTip(T(texts_->find));
    findField_->setPlaceholderText(T(texts_->findHint));
    next_->setToolTip(T(texts_->next));
    previous_->setToolTip(T(texts_->previous));
    closeFind_->setToolTip(T(texts_->closeFind));
}

void HelpWindow::Load(const QString &path) {
    const QUrl url = QUrl::fromLocalFile(path);
    const bool again = browser_->source().matches(url, QUrl::RemoveFragment);
    browser_->setSource(url, QTextDocument::HtmlResource);
    // Asked for again after its window was closed: read afresh (it may have been replaced).
    if (again) browser_->reload();
    // Another page starts a history of its own: back never leads into the other language.
    browser_->clearHistory();
    browser_->verticalScrollBar()->setValue(0);
    Shown();
}

// The page file now shown, the language of the window's own words and its title follow the
// page. Called after each move: the browser's own signal comes before it has the new source.
void HelpWindow::Shown() {
    const QString shown = browser_->source().toLocalFile();
    if (!shown.isEmpty()) page_ = QFileInfo(shown).absoluteFilePath();
    QFile file(page_);
    const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(4096) : QByteArray();
    texts_ = PageLanguage(head) == "de" ? &kGerman : &kEnglish;
    ApplyTexts();
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? T(texts_->title) : title);
}

int HelpWindow::Follow(const QUrl &href, bool handOut) {
    const QUrl target = browser_->source().resolved(href);
    const QString scheme = target.scheme().toLower();
    if (scheme == "http" || scheme == "https" || scheme == "mailto") {
        if (handOut) {
            QDesktopServices::openUrl(target);
            Note(T(texts_->external) + ": " + target.toString());
        }
        return HELP_LINK_EXTERNAL;
    }
    // Other pages of the help sit beside the page shown; nothing else is opened, however the
    // link is written (../, absolute paths, symbolic links).
    if (scheme == "file" && !target.toLocalFile().isEmpty()) {
        const QFileInfo to(target.toLocalFile()), from(page_);
        if (to.isFile() && IsPageFile(to.filePath()) &&
            to.canonicalPath() == from.canonicalPath()) {
            browser_->setSource(target, QTextDocument::HtmlResource);
            Shown();
            return HELP_LINK_SHOWN;
        }
    }
    Note(T(texts_->refused) + ": " + href.toString());
    return HELP_LINK_REFUSED;
}

bool HelpWindow::Navigate(int where) {
    switch (where) {
    case HELP_BACK:
        if (!browser_->isBackwardAvailable()) return false;
        browser_->backward();
        break;
    case HELP_FORWARD:
        if (!browser_->isForwardAvailable()) return false;
        browser_->forward();
        break;
    case HELP_HOME:
        if (page_.isEmpty()) return false;
        browser_->setSource(QUrl::fromLocalFile(page_), QTextDocument::HtmlResource);
        browser_->verticalScrollBar()->setValue(0);
        break;
    default:
        return false;
    }
    Shown();
    return true;
}

void HelpWindow::ShowFindBar() {
    findBar_->show();
    findField_->setFocus();
    findField_->selectAll();
}

bool HelpWindow::Find(const QString &text, bool backwards) {
    findField_->setStyleSheet("");
    if (text.isEmpty()) return false;
    const QTextDocument::FindFlags flags =
        backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    bool found = browser_->find(text, flags);
    if (!found) {
        // Once at the end, the search goes round to the other end of the page.
        QTextCursor c = browser_->textCursor();
        c.movePosition(backwards ? QTextCursor::End : QTextCursor::Start);
        browser_->setTextCursor(c);
        found = browser_->find(text, flags);
    }
    if (found) {
        // A match at the very edge of the view is easily missed: bring it up to a third.
        const int height = browser_->viewport()->height();
        const QRect at = browser_->cursorRect();
        if (at.top() < height / 6 || at.bottom() > height * 5 / 6) {
            QScrollBar *bar = browser_->verticalScrollBar();
            bar->setValue(bar->value() + at.center().y() - height / 3);
        }
        return true;
    }
    findField_->setStyleSheet("background: #F8D8D8");
    Note(T(texts_->notFound));
    return false;
}

QStringList HelpWindow::Names(int which) const {
    QStringList names;
    for (QTextBlock b = browser_->document()->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (which == HELP_PAGE_ANCHORS) {
                for (const QString &n : f.anchorNames())
                    if (!names.contains(n)) names << n;
            } else if (f.isAnchor() && !f.anchorHref().isEmpty() &&
                       !names.contains(f.anchorHref())) {
                names << f.anchorHref();
            }
        }
    }
    return names;
}

QPointer<HelpWindow> g_window;
int g_windowsMade = 0;

// Says why a help file cannot be shown, over the window the user asked from.
void ReportUnreadable(const QString &path, const QString &why) {
    const QString text = "The help file " + path + " cannot be opened: " + why + ".";
    SetLastError(text.toStdString());
    QWidget *over = nullptr;
    if (PanelRec *p = FindPanel(ActivePanel()); p && p->window) over = p->window->window();
    QMessageBox box(QMessageBox::Warning, "Help", text, QMessageBox::Ok, over);
    box.exec();
}

} // namespace
} // namespace uiq

using namespace uiq;

int SystemHelp(const char *helpFile, int command, int topic) {
    if (!helpFile || !*helpFile) return UIE_MISSING_ARGUMENT;
    if (command != HELP_CONTENTS || topic != 0) return UIE_BAD_VALUE;
    if (!EnsureApp()) return UIE_NO_DISPLAY;
    const QString path = QFileInfo(Q(helpFile)).absoluteFilePath();
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        const int err = errno;
        ReportUnreadable(path, T(std::strerror(err)).toLower());
        return err == EACCES ? UIE_FILE_ACCESS : UIE_FILE_NOT_FOUND;
    }
    if (!S_ISREG(st.st_mode)) {
        ReportUnreadable(path, "it is not a file");
        return UIE_FILE_NOT_FOUND;
    }
    if (st.st_size > kMaxPageBytes) {
        ReportUnreadable(path, "it is too large for a help page");
        return UIE_FILE_ACCESS;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ReportUnreadable(path, file.errorString().toLower());
        return UIE_FILE_ACCESS;
    }
    file.close();

    if (!g_window) {
        g_window = new HelpWindow();
        ++g_windowsMade;
    }
    if (g_window->Page() != path || !g_window->isVisible()) g_window->Load(path);
    g_window->show();
    if (g_window->isMinimized()) g_window->showNormal();
    g_window->raise();
    g_window->activateWindow();
    return 0;
}

int CloseHelpWindow() {
    if (!g_window || !g_window->isVisible()) return UIE_BAD_HANDLE;
    g_window->hide();
    return 0;
}

int GetHelpWindowPage(char *page, int pageSize, char *anchor, int anchorSize) {
    if (page && pageSize > 0) page[0] = '\0';
    if (anchor && anchorSize > 0) anchor[0] = '\0';
    if (!g_window || !g_window->isVisible()) return 0;
    if (page && CopyOut(g_window->Page(), page, pageSize) != 0) return UIE_BAD_VALUE;
    if (anchor && CopyOut(g_window->Anchor(), anchor, anchorSize) != 0) return UIE_BAD_VALUE;
    return 1;
}

int HelpWindowsMade() {
    return g_windowsMade;
}

int GetHelpPageNames(int which, char *names, int size) {
    if (!names || size <= 0) return UIE_MISSING_ARGUMENT;
    names[0] = '\0';
    if (which != HELP_PAGE_ANCHORS && which != HELP_PAGE_LINKS) return UIE_BAD_VALUE;
    if (!g_window || !g_window->isVisible()) return UIE_BAD_HANDLE;
    return CopyOut(g_window->Names(which).join('\n'), names, size);
}

int UserFollowHelpLink(const char *href) {
    if (!href) return UIE_MISSING_ARGUMENT;
    if (!g_window || !g_window->isVisible()) return UIE_BAD_HANDLE;
    return g_window->Follow(QUrl(Q(href)), false);
}

int UserHelpNavigate(int where) {
    if (!g_window || !g_window->isVisible()) return UIE_BAD_HANDLE;
    if (where != HELP_BACK && where != HELP_FORWARD && where != HELP_HOME) return UIE_BAD_VALUE;
    return g_window->Navigate(where) ? 1 : 0;
}

int UserFindInHelp(const char *text, int backwards) {
    if (!text) return UIE_MISSING_ARGUMENT;
    if (!g_window || !g_window->isVisible()) return UIE_BAD_HANDLE;
    return g_window->Find(Q(text), backwards != 0) ? 1 : 0;
}
