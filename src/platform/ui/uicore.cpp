// Run-time of the user-interface platform: the application object, handles, the event loop,
// deferred calls, the callback table, pop-up bookkeeping and waiting for the next commit.
#include "platform/ui/uiqt.h"

#include "platform/ui/programdir.h"
#include "platform/ui/uircompiled.h"

#include <QEventLoop>
#include <QFont>
#include <QIcon>
#include <QStyleFactory>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <sys/stat.h>
#include <unistd.h>

namespace uiq {
namespace {

int g_argc = 1;
char g_arg0[] = "kr7m";
char *g_argv[] = {g_arg0, nullptr};
QApplication *g_app = nullptr;
int g_nextHandle = 1;

std::map<int, std::unique_ptr<PanelRec>> g_panels;
std::map<int, std::unique_ptr<MenuBarRec>> g_menuBars;
std::map<std::string, CallbackBinding> g_callbacks;

struct CachedResource {
    time_t mtime = 0;
    long long size = 0;
    uir::Resource res;
};
std::map<std::string, CachedResource> g_resources;
std::string g_lastError;

std::vector<QEventLoop *> g_mainLoops;
std::vector<QEventLoop *> g_waiters;
bool g_quitPending = false;
int g_quitCode = 0;

std::vector<int> g_popups; // installed pop-ups, the top one last
struct Commit {
    int panel, control;
};
std::deque<Commit> g_commits;
int g_active = 0;

// While ProcessDrawEvents runs (a wait inside a callback), nothing of the program may run: what
// would have fired is held here and fired, in order, by the next ordinary event processing.
enum HeldKind { HELD_COMMIT, HELD_MENU, HELD_TIMER, HELD_PANEL, HELD_DEFERRED };
struct Held {
    HeldKind kind;
    int handle, id;
    DeferredCallbackPtr fn;
    void *data;
};
std::deque<Held> g_held;
int g_drawOnly = 0;
QTimer *g_release = nullptr;
int g_callbackDepth = 0;
CallbackEndHook g_callbackEnd = nullptr;

bool Hold(HeldKind kind, int handle, int id, DeferredCallbackPtr fn = nullptr,
          void *data = nullptr) {
    if (!g_drawOnly) return false;
    // A timer that ticked several times during the wait ticks once afterwards.
    if (kind == HELD_TIMER)
        for (const Held &h : g_held)
            if (h.kind == HELD_TIMER && h.handle == handle && h.id == id) return true;
    g_held.push_back({kind, handle, id, fn, data});
    return true;
}

void ReleaseHeld();

void ArmRelease() {
    if (g_held.empty()) return;
    if (!g_release) {
        g_release = new QTimer(g_app);
        g_release->setSingleShot(true);
        g_release->setInterval(0);
        QObject::connect(g_release, &QTimer::timeout, g_release, [] { ReleaseHeld(); });
    }
    if (!g_release->isActive()) g_release->start();
}

// Counts the program's callbacks on the stack; when the outermost one returns, the program's
// end-of-callback hook runs (the window title follows the document from there).
struct CallbackScope {
    CallbackScope() { ++g_callbackDepth; }
    ~CallbackScope() {
        if (--g_callbackDepth == 0 && g_callbackEnd) {
            ++g_callbackDepth; // the hook is no callback of its own
            g_callbackEnd();
            --g_callbackDepth;
        }
    }
};

bool IsWithin(int panel, int ancestor) {
    for (int h = panel; h != 0;) {
        if (h == ancestor) return true;
        PanelRec *p = FindPanel(h);
        if (!p) return false;
        h = p->parent;
    }
    return false;
}

// Which panel holds a widget: walks up to the nearest widget that is a panel window.
int PanelOfWidget(QWidget *w) {
    for (; w; w = w->parentWidget()) {
        QVariant v = w->property("kr7mPanel");
        if (v.isValid()) return v.toInt();
    }
    return 0;
}

bool HaveDisplay() {
    // Without a display the toolkit would abort the process; say so with a code instead.
    const char *platform = getenv("QT_QPA_PLATFORM");
    if (platform && *platform) return true;
    const char *x = getenv("DISPLAY");
    const char *wl = getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wl && *wl);
}

bool CreateApp(int argc, char **argv) {
    if (g_app) return true;
    if (QCoreApplication::instance()) {
        g_app = qobject_cast<QApplication *>(QCoreApplication::instance());
        return g_app != nullptr;
    }
    if (!HaveDisplay()) return false;
    // The toolkit and the main window together fill about this much of the heap.
    PrepareHeap(2u << 20);
    static int argcKeep;
    argcKeep = argc;
    g_app = new QApplication(argcKeep, argv);
    // The desktop entry and the icon an installed program brings: the window shows the icon,
    // and desktops match the window to its entry.
    QGuiApplication::setDesktopFileName("kr7m");
    QApplication::setWindowIcon(QIcon::fromTheme("kr7m"));
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QFont font("DejaVu Sans", 10);
    QApplication::setFont(font);
    // Windows close through EVENT_CLOSE and the program's own decision, never by themselves.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(g_app, &QApplication::focusChanged, [](QWidget *, QWidget *now) {
        int p = PanelOfWidget(now);
        if (p && FindPanel(p)) g_active = p;
    });
    return true;
}

} // namespace

bool EnsureApp() {
    return CreateApp(g_argc, g_argv);
}
int NewHandle() {
    return g_nextHandle++;
}
std::map<int, std::unique_ptr<PanelRec>> &Panels() {
    return g_panels;
}
std::map<int, std::unique_ptr<MenuBarRec>> &MenuBars() {
    return g_menuBars;
}

PanelRec *FindPanel(int handle) {
    auto it = g_panels.find(handle);
    return it == g_panels.end() ? nullptr : it->second.get();
}

CtrlRec *FindCtrl(int panel, int control) {
    PanelRec *p = FindPanel(panel);
    if (!p) return nullptr;
    for (auto &c : p->ctrls)
        if (c->id == control) return c.get();
    return nullptr;
}

CtrlRec *LookupCtrl(int panel, int control, int *err) {
    PanelRec *p = FindPanel(panel);
    if (!p) {
        *err = UIE_BAD_HANDLE;
        return nullptr;
    }
    // The generator numbers a panel's controls on from the first one in resource order, so a
    // control is mostly found at its own place; it is looked for among all of them otherwise.
    if (!p->ctrls.empty()) {
        const long at = static_cast<long>(control) - p->ctrls.front()->id;
        if (at >= 0 && at < static_cast<long>(p->ctrls.size()) &&
            p->ctrls[static_cast<size_t>(at)]->id == control)
            return p->ctrls[static_cast<size_t>(at)].get();
    }
    for (auto &c : p->ctrls)
        if (c->id == control) return c.get();
    *err = UIE_BAD_CONTROL;
    return nullptr;
}

MenuBarRec *FindMenuBar(int handle) {
    auto it = g_menuBars.find(handle);
    return it == g_menuBars.end() ? nullptr : it->second.get();
}

void SetLastError(const std::string &text) {
    g_lastError = text;
}

std::string ProgramDir() {
    return RunTimeFolder();
}

uir::Resource *GetResource(const char *file, int *err) {
    if (!file || !*file) {
        *err = UIE_MISSING_ARGUMENT;
        return nullptr;
    }
    std::string path = file;
    struct stat st;
    if (path[0] != '/') {
        std::string inProgramDir = ProgramDir() + "/" + path;
        if (stat(inProgramDir.c_str(), &st) == 0) path = inProgramDir;
    }
    if (stat(path.c_str(), &st) != 0) {
        SetLastError(path + ": " + strerror(errno));
        *err = UIE_FILE_NOT_FOUND;
        return nullptr;
    }
    auto it = g_resources.find(path);
    if (it != g_resources.end() && it->second.mtime == st.st_mtime &&
        it->second.size == static_cast<long long>(st.st_size))
        return &it->second.res;
    CachedResource entry;
    entry.mtime = st.st_mtime;
    entry.size = static_cast<long long>(st.st_size);
    if (!uir::LoadCompiledResource(path, &entry.res)) {
        std::string error;
        uir::XmlNode root;
        if (!uir::ParseXmlFile(path, &root, &error)) {
            SetLastError(error);
            // A file that vanished between stat and read is missing, not damaged.
            *err = access(path.c_str(), R_OK) == 0 ? UIE_BAD_RESOURCE_FILE : UIE_FILE_NOT_FOUND;
            return nullptr;
        }
        if (!uir::BuildResource(root, &entry.res, &error)) {
            SetLastError(error);
            *err = UIE_BAD_RESOURCE_FILE;
            return nullptr;
        }
    }
    g_resources[path] = std::move(entry);
    UIMarkStep("resource parsed");
    return &g_resources[path].res;
}

void NoteCommit(int panel, int control) {
    if (!g_popups.empty()) {
        // Behind a pop-up only the pop-up (and panels inside it) can be committed.
        if (!IsWithin(panel, g_popups.back())) return;
    } else if (g_waiters.empty()) {
        return; // nobody asks: commits in the main loop are answered by callbacks alone
    }
    g_commits.push_back({panel, control});
    if (!g_waiters.empty()) g_waiters.back()->exit(0);
}

void FireCommit(int panel, int control) {
    if (Hold(HELD_COMMIT, panel, control)) return;
    CtrlRec *c = FindCtrl(panel, control);
    if (!c) return;
    CallbackScope scope;
    if (c->cb && !c->inCallback) {
        c->inCallback = true;
        CtrlCallbackPtr cb = c->cb;
        void *data = c->cbData;
        cb(panel, control, EVENT_COMMIT, data, 0, 0);
        // The callback may have discarded the panel: look the control up again.
        if (CtrlRec *again = FindCtrl(panel, control)) again->inCallback = false;
    }
    NoteCommit(panel, control);
}

void FireTimer(int panel, int control) {
    if (Hold(HELD_TIMER, panel, control)) return;
    CtrlRec *c = FindCtrl(panel, control);
    // A tick that comes while the previous one is still in its callback (a pop-up waiting in
    // it) is dropped instead of running the callback inside itself.
    if (!c || !c->cb || c->inCallback) return;
    CallbackScope scope;
    c->inCallback = true;
    c->cb(panel, control, EVENT_TIMER_TICK, c->cbData, 0, 0);
    if (CtrlRec *again = FindCtrl(panel, control)) again->inCallback = false;
}

void FireMenu(int menuBar, int item) {
    if (Hold(HELD_MENU, menuBar, item)) return;
    MenuBarRec *mb = FindMenuBar(menuBar);
    if (!mb) return;
    auto it = mb->items.find(item);
    if (it == mb->items.end()) return;
    int panel = mb->panel;
    CallbackScope scope;
    if (it->second.cb) it->second.cb(menuBar, item, it->second.cbData, panel);
    NoteCommit(menuBar, item);
}

void FirePanelEvent(int panel, int event) {
    if (Hold(HELD_PANEL, panel, event)) return;
    PanelRec *p = FindPanel(panel);
    if (!p || !p->cb) return;
    CallbackScope scope;
    p->cb(panel, event, p->cbData, 0, 0);
}

namespace {

void RunDeferred(DeferredCallbackPtr fn, void *data) {
    if (Hold(HELD_DEFERRED, 0, 0, fn, data)) return;
    CallbackScope scope;
    fn(data);
}

// What a user could not have reached while the wait went on (a window behind a pop-up that has
// come up since) is dropped, as the toolkit would have refused the click.
bool ReachableNow(int panel) {
    return g_popups.empty() || IsWithin(panel, g_popups.back());
}

void ReleaseHeld() {
    while (!g_held.empty() && !g_drawOnly) {
        Held h = g_held.front();
        g_held.pop_front();
        switch (h.kind) {
        case HELD_COMMIT:
            if (ReachableNow(h.handle)) FireCommit(h.handle, h.id);
            break;
        case HELD_MENU:
            if (MenuBarRec *mb = FindMenuBar(h.handle); mb && ReachableNow(mb->panel))
                FireMenu(h.handle, h.id);
            break;
        case HELD_TIMER:
            FireTimer(h.handle, h.id);
            break;
        case HELD_PANEL:
            FirePanelEvent(h.handle, h.id);
            break;
        case HELD_DEFERRED:
            RunDeferred(h.fn, h.data);
            break;
        }
    }
}

} // namespace

void ForgetPanel(int panel) {
    for (size_t i = 0; i < g_popups.size();) {
        if (IsWithin(g_popups[i], panel))
            g_popups.erase(g_popups.begin() + i);
        else
            ++i;
    }
    if (g_active == panel) g_active = 0;
}

void SetActive(int panel) {
    g_active = panel;
}

int ActivePanel() {
    if (!g_popups.empty()) return g_popups.back();
    if (FindPanel(g_active)) return g_active;
    return 0;
}

int CopyOut(const QString &s, char *buf, int size) {
    if (!buf || size <= 0) return UIE_MISSING_ARGUMENT;
    QByteArray utf8 = s.toUtf8();
    if (utf8.size() >= size) {
        // Hand back what fits, cut at a character boundary, but report that it did not fit.
        int n = size - 1;
        while (n > 0 && (static_cast<unsigned char>(utf8[n]) & 0xC0) == 0x80) --n;
        memcpy(buf, utf8.constData(), static_cast<size_t>(n));
        buf[n] = '\0';
        return UIE_BAD_VALUE;
    }
    memcpy(buf, utf8.constData(), static_cast<size_t>(utf8.size()) + 1);
    return 0;
}

// Pop-up bookkeeping used by InstallPopup/RemovePopup.
std::vector<int> &Popups() {
    return g_popups;
}
void ClearCommits() {
    g_commits.clear();
}

} // namespace uiq

using namespace uiq;

int InitUserInterface(int argc, char **argv) {
    bool ok = argc <= 0 || !argv ? CreateApp(g_argc, g_argv) : CreateApp(argc, argv);
    if (ok) UIMarkStep("toolkit started");
    return ok ? 0 : UIE_NO_DISPLAY;
}

namespace {
struct Step {
    char name[48];
    long long ns;
};
Step g_steps[32];
int g_stepCount = 0;
} // namespace

void UIMarkStep(const char *name) {
    if (!name || g_stepCount >= 32) return;
    Step &s = g_steps[g_stepCount++];
    std::snprintf(s.name, sizeof s.name, "%s", name);
    s.ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
               .count();
}

int UIStepCount() {
    return g_stepCount;
}

const char *UIStep(int n, long long *monotonicNanoseconds) {
    if (n < 0 || n >= g_stepCount) return nullptr;
    if (monotonicNanoseconds) *monotonicNanoseconds = g_steps[n].ns;
    return g_steps[n].name;
}

int RunUserInterface() {
    if (!EnsureApp()) return UIE_NO_DISPLAY;
    if (g_quitPending) {
        g_quitPending = false;
        return g_quitCode;
    }
    QEventLoop loop;
    g_mainLoops.push_back(&loop);
    int code = loop.exec();
    g_mainLoops.pop_back();
    g_quitPending = false;
    return code;
}

int QuitUserInterface(int code) {
    g_quitCode = code;
    if (g_mainLoops.empty()) {
        // Asked before the loop runs (a callback fired during start-up): the loop ends at once.
        g_quitPending = true;
        return 0;
    }
    // A pop-up waiting for its answer keeps waiting: the loop ends once it has returned.
    g_mainLoops.back()->exit(code);
    g_quitPending = true;
    return 0;
}

int ProcessSystemEvents() {
    if (!EnsureApp()) return UIE_NO_DISPLAY;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return 0;
}

int ProcessDrawEvents() {
    if (!EnsureApp()) return UIE_NO_DISPLAY;
    ++g_drawOnly;
    // Painting, layout and the window system's own requests (exposure, moves) go on; mouse,
    // keys and close requests wait in the toolkit's queue until the callback has returned.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    --g_drawOnly;
    if (!g_drawOnly) ArmRelease();
    return 0;
}

int HeldEventCount() {
    return static_cast<int>(g_held.size());
}

void SetCallbackEndHook(CallbackEndHook hook) {
    g_callbackEnd = hook;
}

int PostDeferredCall(DeferredCallbackPtr fn, void *data) {
    if (!fn) return UIE_MISSING_ARGUMENT;
    if (!EnsureApp()) return UIE_NO_DISPLAY;
    QMetaObject::invokeMethod(
        g_app, [fn, data]() { RunDeferred(fn, data); }, Qt::QueuedConnection);
    return 0;
}

namespace {
// A click or key that reaches the window while the program is busy, as the toolkit delivers it.
class LaterCommit : public QEvent {
  public:
    LaterCommit(int panel, int control) : QEvent(QEvent::User), panel_(panel), control_(control) {}
    int panel_, control_;
};
class LaterReceiver : public QObject {
  protected:
    bool event(QEvent *e) override {
        if (e->type() != QEvent::User) return QObject::event(e);
        auto *c = static_cast<LaterCommit *>(e);
        UserCommit(c->panel_, c->control_);
        return true;
    }
};
} // namespace

namespace {
class PaintCounter : public QObject {
  public:
    long long count = 0;

  protected:
    bool eventFilter(QObject *o, QEvent *e) override {
        if (e->type() == QEvent::Paint && o->isWidgetType()) ++count;
        return false;
    }
};
} // namespace

long long PaintCount() {
    if (!EnsureApp()) return 0;
    static PaintCounter *counter = [] {
        auto *c = new PaintCounter;
        g_app->installEventFilter(c);
        return c;
    }();
    return counter->count;
}

int UserCommitLater(int panel, int control) {
    if (!EnsureApp()) return UIE_NO_DISPLAY;
    if (!FindCtrl(panel, control)) return FindPanel(panel) ? UIE_BAD_CONTROL : UIE_BAD_HANDLE;
    static LaterReceiver *receiver = new LaterReceiver;
    QCoreApplication::postEvent(receiver, new LaterCommit(panel, control));
    return 0;
}

int GetUserEvent(int wait, int *panel, int *control) {
    if (panel) *panel = 0;
    if (control) *control = 0;
    if (!EnsureApp()) return UIE_NO_DISPLAY;
    if (g_commits.empty() && wait) {
        QEventLoop loop;
        g_waiters.push_back(&loop);
        loop.exec();
        g_waiters.pop_back();
    } else if (g_commits.empty()) {
        ProcessSystemEvents();
    }
    if (g_commits.empty()) return EVENT_NONE;
    Commit c = g_commits.front();
    g_commits.pop_front();
    if (panel) *panel = c.panel;
    if (control) *control = c.control;
    return EVENT_COMMIT;
}

void RegisterCallbacks(const CallbackBinding *table, int count) {
    for (int i = 0; i < count && table; ++i)
        if (table[i].name) g_callbacks[table[i].name] = table[i];
}

namespace uiq {
const CallbackBinding *FindCallback(const std::string &name) {
    auto it = g_callbacks.find(name);
    return it == g_callbacks.end() ? nullptr : &it->second;
}
} // namespace uiq

const char *UILastErrorDetail() {
    return g_lastError.c_str();
}
