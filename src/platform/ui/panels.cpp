// Panels: loading from the resource, showing, hiding, discarding, geometry and attributes,
// panel callbacks and modal pop-ups.
#include "platform/ui/uiqt.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace uiq {
namespace {

// The close box asks the program (EVENT_CLOSE); the window stays until the program discards
// or hides it.
class PanelWindow : public QMainWindow {
  public:
    int handle = 0;

  protected:
    void paintEvent(QPaintEvent *e) override {
        static bool painted = false;
        if (!painted) UIMarkStep("first paint");
        painted = true;
        QMainWindow::paintEvent(e);
    }
    void closeEvent(QCloseEvent *e) override {
        e->ignore();
        int h = handle;
        QMetaObject::invokeMethod(
            this, [h]() { FirePanelEvent(h, EVENT_CLOSE); }, Qt::QueuedConnection);
    }
    void resizeEvent(QResizeEvent *e) override {
        QMainWindow::resizeEvent(e);
        PanelRec *p = FindPanel(handle);
        // Only sizes the user or the window system chose are reported; the program knows
        // about its own.
        if (p && e->spontaneous() && !p->programResize && isVisible()) {
            int h = handle;
            QMetaObject::invokeMethod(
                this, [h]() { FirePanelEvent(h, EVENT_PANEL_SIZE); }, Qt::QueuedConnection);
        }
    }
};

class PanelDialog : public QDialog {
  public:
    using QDialog::QDialog;
    int handle = 0;

    void reject() override { // Escape
        FirePanelEvent(handle, EVENT_CLOSE);
    }

  protected:
    void closeEvent(QCloseEvent *e) override {
        e->ignore();
        FirePanelEvent(handle, EVENT_CLOSE);
    }
    void keyPressEvent(QKeyEvent *e) override {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            // Enter commits the panel's active control when it is a button.
            PanelRec *p = FindPanel(handle);
            CtrlRec *c = p ? FindCtrl(handle, p->activeCtrl) : nullptr;
            if (c && c->kind == CTRL_COMMAND_BUTTON && !c->dimmed && c->visible) {
                FireCommit(handle, c->id);
                return;
            }
            return;
        }
        if (e->key() == Qt::Key_Escape) {
            reject();
            return;
        }
        QDialog::keyPressEvent(e);
    }
};

std::vector<int> Descendants(int panel) {
    std::vector<int> out;
    for (auto &kv : Panels())
        if (kv.second->parent == panel) {
            for (int d : Descendants(kv.first)) out.push_back(d);
            out.push_back(kv.first);
        }
    return out;
}

void ApplyFrame(PanelRec *p) {
    auto *f = qobject_cast<QFrame *>(p->window.data());
    if (!f || qobject_cast<QDialog *>(p->window.data())) return;
    if (p->frame > 0) {
        f->setFrameStyle(QFrame::Box | QFrame::Plain);
        f->setLineWidth(p->frame);
    } else {
        f->setFrameStyle(QFrame::NoFrame);
    }
}

int ClientTop(PanelRec *p) {
    if (!p->main) return 0;
    int top = 0;
    QMenuBar *bar =
        p->main->menuWidget() ? qobject_cast<QMenuBar *>(p->main->menuWidget()) : nullptr;
    MenuBarRec *mb = FindMenuBar(p->menuBar);
    if (bar && mb && mb->visible) top += bar->sizeHint().height();
    for (QToolBar *tb : p->main->findChildren<QToolBar *>(Qt::FindDirectChildrenOnly))
        if (tb->isVisibleTo(p->main) && p->main->toolBarArea(tb) == Qt::TopToolBarArea)
            top += tb->sizeHint().height();
    return top;
}

void DestroyPanel(int handle) {
    PanelRec *p = FindPanel(handle);
    if (!p) return;
    for (auto &c : p->ctrls)
        if (c->timer) c->timer->stop();
    // Menu bars attached to the panel go with its window.
    for (auto it = MenuBars().begin(); it != MenuBars().end();) {
        if (it->second->panel == handle)
            it = MenuBars().erase(it);
        else
            ++it;
    }
    bool wasActive = ActivePanel() == handle;
    int back = p->window ? p->window->property("kr7mPrevActive").toInt() : 0;
    if (!FindPanel(back)) back = p->parent;
    ForgetPanel(handle);
    if (wasActive && ActivePanel() == 0 && back != handle && FindPanel(back)) SetActive(back);
    if (p->window) {
        p->window->hide();
        if (p->window->isModal()) p->window->setWindowModality(Qt::NonModal);
        // Deferred: the panel may be discarded from inside one of its own callbacks.
        p->window->deleteLater();
    }
    Panels().erase(handle);
}

} // namespace
} // namespace uiq

using namespace uiq;

int LoadPanel(int parentPanel, const char *resourceFile, int panelResourceId) {
    if (!EnsureApp()) return UIE_NO_DISPLAY;
    PanelRec *parent = nullptr;
    if (parentPanel != 0 && !(parent = FindPanel(parentPanel))) return UIE_BAD_HANDLE;
    int err = 0;
    uir::Resource *res = GetResource(resourceFile, &err);
    if (!res) return err;
    const uir::Panel *def = res->FindPanel(panelResourceId);
    if (!def) {
        SetLastError(std::string(resourceFile) + ": no panel with id " +
                     std::to_string(panelResourceId));
        return UIE_RESOURCE_NOT_FOUND;
    }

    auto rec = std::make_unique<PanelRec>();
    PanelRec *p = rec.get();
    p->handle = NewHandle();
    p->resourceId = panelResourceId;
    p->constName = def->name;
    p->parent = parentPanel;
    p->popupKind = def->attrs.Str("kind") == "popup";
    p->sizable = def->attrs.Bool("sizable", false);
    QString title = QString::fromStdString(def->attrs.Str("title"));
    int width = def->attrs.Int("width", 400), height = def->attrs.Int("height", 300);

    if (p->popupKind) {
        QWidget *owner = parent ? parent->window->window() : nullptr;
        auto *d = new PanelDialog(owner);
        d->handle = p->handle;
        d->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
        p->window = d;
        p->client = d;
        d->resize(width, height);
        if (!p->sizable) d->setFixedSize(width, height);
        // A dialog has a title and a close box, nothing to minimise or maximise.
        d->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint);
        if (def->attrs.Has("icon")) {
            // The standard icon of the message's kind, at the top left where the texts leave room.
            const std::string kind = def->attrs.Str("icon");
            QStyle::StandardPixmap which = kind == "error"      ? QStyle::SP_MessageBoxCritical
                                           : kind == "warning"  ? QStyle::SP_MessageBoxWarning
                                           : kind == "question" ? QStyle::SP_MessageBoxQuestion
                                                                : QStyle::SP_MessageBoxInformation;
            auto *icon = new QLabel(d);
            icon->setPixmap(d->style()->standardIcon(which, nullptr, d).pixmap(36, 36));
            icon->setGeometry(18, 16, 36, 36);
        }
    } else if (!parent) {
        auto *w = new PanelWindow();
        w->handle = p->handle;
        auto *client = new QWidget(w);
        w->setCentralWidget(client);
        p->window = w;
        p->client = client;
        p->main = w;
        w->resize(width, height);
    } else {
        // A child panel lives in its parent's window; its position counts from the top-left
        // of the parent's content, menu bar included. Its controls stand on a client of at
        // least the designed size: when the panel is made smaller than that (a small screen),
        // it scrolls instead of cutting off what lies right or below.
        auto *area = new QScrollArea(parent->main ? parent->window.data() : parent->client.data());
        area->setFrameStyle(QFrame::NoFrame);
        area->setAutoFillBackground(true);
        auto *client = new QWidget;
        client->setAutoFillBackground(true);
        client->setMinimumSize(width, height);
        area->setWidget(client);
        area->setWidgetResizable(true);
        if (def->attrs.Bool("scroll", false)) {
            // Larger than designed, the controls stand in the middle instead of the top left.
            client->setFixedSize(width, height);
            area->setWidgetResizable(false);
            area->setAlignment(Qt::AlignCenter);
        }
        p->window = area;
        p->client = client;
        area->setGeometry(def->attrs.Int("left", 0), def->attrs.Int("top", 0), width, height);
        area->hide();
    }
    p->window->setWindowTitle(title);
    p->window->setProperty("kr7mPanel", p->handle);
    p->window->setProperty("kr7mTitle", title);
    if (p->window->isWindow() && (def->attrs.Has("top") || def->attrs.Has("left")))
        p->window->move(def->attrs.Int("left", 0), def->attrs.Int("top", 0));
    if (def->attrs.Has("bgcolor")) {
        QPalette pal = p->client->palette();
        pal.setColor(QPalette::Window, QColor(QRgb(def->attrs.Color("bgcolor"))));
        p->client->setPalette(pal);
        p->client->setAutoFillBackground(true);
    }
    if (def->attrs.Has("callback"))
        if (const CallbackBinding *b = FindCallback(def->attrs.Str("callback"))) p->cb = b->panel;
    Panels()[p->handle] = std::move(rec);
    for (const auto &c : def->controls) BuildControl(p, c);
    // Controls marked for it go into the main window's status bar, which QMainWindow keeps below
    // everything else; a text that does not fit is cut there, never the window widened.
    if (p->main)
        for (size_t i = 0; i < def->controls.size() && i < p->ctrls.size(); ++i) {
            CtrlRec *c = p->ctrls[i].get();
            if (!def->controls[i].attrs.Bool("statusbar", false) || !c->w) continue;
            c->inStatusBar = true;
            c->w->setMinimumWidth(40);
            c->w->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            p->main->statusBar()->addWidget(c->w, c->width);
            c->w->setVisible(c->visible);
            PlaceCaption(c);
        }
    return p->handle;
}

int DisplayPanel(int panel) {
    PanelRec *p = FindPanel(panel);
    if (!p || !p->window) return UIE_BAD_HANDLE;
    p->window->show();
    p->window->raise();
    if (p->window->isWindow()) p->window->activateWindow();
    SetActive(panel);
    return 0;
}

int HidePanel(int panel) {
    PanelRec *p = FindPanel(panel);
    if (!p || !p->window) return UIE_BAD_HANDLE;
    p->window->hide();
    if (ActivePanel() == panel) SetActive(p->parent);
    return 0;
}

int DiscardPanel(int panel) {
    if (!FindPanel(panel)) return UIE_BAD_HANDLE;
    for (int d : Descendants(panel)) DestroyPanel(d);
    DestroyPanel(panel);
    return 0;
}

int GetActivePanel() {
    return ActivePanel();
}

int SetActivePanel(int panel) {
    PanelRec *p = FindPanel(panel);
    if (!p || !p->window) return UIE_BAD_HANDLE;
    // Activating a hidden panel shows it again.
    p->window->show();
    p->window->raise();
    if (p->window->isWindow())
        p->window->activateWindow();
    else
        p->window->setFocus();
    SetActive(panel);
    return 0;
}

int SetPanelPos(int panel, int top, int left) {
    PanelRec *p = FindPanel(panel);
    if (!p || !p->window) return UIE_BAD_HANDLE;
    p->programResize = true;
    if (p->window->isWindow())
        p->window->setGeometry(left, top, p->window->width(), p->window->height());
    else
        p->window->move(left, top);
    p->programResize = false;
    return 0;
}

int SetPanelSize(int panel, int height, int width) {
    PanelRec *p = FindPanel(panel);
    if (!p || !p->window) return UIE_BAD_HANDLE;
    if (height <= 0 || width <= 0) return UIE_BAD_VALUE;
    p->programResize = true;
    if (auto *d = qobject_cast<QDialog *>(p->window.data()); d && !p->sizable)
        d->setFixedSize(width, height);
    else
        p->window->resize(width, height);
    p->programResize = false;
    return 0;
}

int GetPanelAttribute(int panel, int attribute, int *value) {
    PanelRec *p = FindPanel(panel);
    if (!p || !p->window) return UIE_BAD_HANDLE;
    if (!value) return UIE_MISSING_ARGUMENT;
    QWidget *w = p->window;
    MenuBarRec *mb = FindMenuBar(p->menuBar);
    switch (attribute) {
    case ATTR_TOP:
        *value = w->isWindow() ? w->geometry().y() : w->y();
        break;
    case ATTR_LEFT:
        *value = w->isWindow() ? w->geometry().x() : w->x();
        break;
    case ATTR_WIDTH:
        *value = w->width();
        break;
    case ATTR_HEIGHT:
        *value = w->height();
        break;
    case ATTR_VISIBLE:
        *value = w->isVisible() ? 1 : 0;
        break;
    case ATTR_DIMMED:
        *value = w->isEnabled() ? 0 : 1;
        break;
    case ATTR_FRAME_THICKNESS:
        *value = p->frame;
        break;
    case ATTR_MENU_HEIGHT:
        *value = mb && mb->bar ? mb->bar->sizeHint().height() : 0;
        break;
    case ATTR_MENU_BAR_VISIBLE:
        *value = mb && mb->visible ? 1 : 0;
        break;
    case ATTR_MENU_BAR:
        *value = mb ? p->menuBar : 0;
        break;
    case ATTR_WINDOW_ZOOM:
        *value = (w->windowState() & Qt::WindowMaximized) ? 1 : 0;
        break;
    case ATTR_PANEL_PARENT:
        *value = p->parent;
        break;
    case ATTR_RESOURCE_ID:
        *value = p->resourceId;
        break;
    case ATTR_PANEL_FIRST_CTRL:
        *value = p->ctrls.empty() ? 0 : p->ctrls.front()->id;
        break;
    case ATTR_ACTIVE_CTRL:
        *value = p->activeCtrl;
        break;
    case ATTR_CLIENT_TOP:
        *value = ClientTop(p);
        break;
    case ATTR_STATUS_BAR_HEIGHT:
        *value = p->main && p->main->findChild<QStatusBar *>(QString(), Qt::FindDirectChildrenOnly)
                     ? p->main->statusBar()->height()
                     : 0;
        break;
    default:
        return UIE_BAD_ATTRIBUTE;
    }
    return 0;
}

int GetPanelAttribute(int panel, int attribute, char *text, int size) {
    PanelRec *p = FindPanel(panel);
    if (!p || !p->window) return UIE_BAD_HANDLE;
    switch (attribute) {
    case ATTR_TITLE:
        return CopyOut(p->window->property("kr7mTitle").toString(), text, size);
    case ATTR_CONSTANT_NAME:
        return CopyOut(QString::fromStdString(p->constName), text, size);
    default:
        return UIE_BAD_ATTRIBUTE;
    }
}

int SetPanelAttribute(int panel, int attribute, int value) {
    PanelRec *p = FindPanel(panel);
    if (!p || !p->window) return UIE_BAD_HANDLE;
    QWidget *w = p->window;
    MenuBarRec *mb = FindMenuBar(p->menuBar);
    switch (attribute) {
    case ATTR_TOP:
        return SetPanelPos(panel, value, w->isWindow() ? w->geometry().x() : w->x());
    case ATTR_LEFT:
        return SetPanelPos(panel, w->isWindow() ? w->geometry().y() : w->y(), value);
    case ATTR_WIDTH:
        return SetPanelSize(panel, w->height(), value);
    case ATTR_HEIGHT:
        return SetPanelSize(panel, value, w->width());
    case ATTR_VISIBLE:
        return value ? DisplayPanel(panel) : HidePanel(panel);
    case ATTR_DIMMED:
        p->client->setEnabled(!value);
        return 0;
    case ATTR_FRAME_THICKNESS:
        if (value < 0) return UIE_BAD_VALUE;
        p->frame = value;
        ApplyFrame(p);
        return 0;
    case ATTR_MENU_BAR_VISIBLE:
        if (mb && mb->bar) {
            mb->visible = value != 0;
            mb->bar->setVisible(mb->visible);
        }
        return 0;
    case ATTR_WINDOW_ZOOM:
        p->programResize = true;
        if (value == VAL_MAXIMIZE) {
            // Also take the screen's free area ourselves: without a window manager (a bare X
            // server) nobody else would honour the request.
            if (w->isWindow())
                if (QScreen *screen = w->screen()) w->setGeometry(screen->availableGeometry());
            if (w->isVisible())
                w->showMaximized();
            else
                w->setWindowState(w->windowState() | Qt::WindowMaximized);
        } else {
            w->setWindowState(w->windowState() & ~Qt::WindowMaximized);
        }
        p->programResize = false;
        return 0;
    case ATTR_ACTIVE_CTRL:
        return SetActiveCtrl(panel, value);
    default:
        return UIE_BAD_ATTRIBUTE;
    }
}

int SetPanelAttribute(int panel, int attribute, const char *text) {
    PanelRec *p = FindPanel(panel);
    if (!p || !p->window) return UIE_BAD_HANDLE;
    if (attribute != ATTR_TITLE) return UIE_BAD_ATTRIBUTE;
    p->window->setWindowTitle(Q(text));
    p->window->setProperty("kr7mTitle", Q(text));
    return 0;
}

int InstallPanelCallback(int panel, PanelCallbackPtr fn, void *callbackData) {
    PanelRec *p = FindPanel(panel);
    if (!p) return UIE_BAD_HANDLE;
    p->cb = fn;
    p->cbData = callbackData;
    return 0;
}

int InstallPopup(int panel) {
    PanelRec *p = FindPanel(panel);
    if (!p || !p->window) return UIE_BAD_HANDLE;
    QWidget *w = p->window;
    if (!w->isWindow()) {
        // A child panel used as a pop-up becomes a dialog window of its own.
        w->setWindowFlags(Qt::Dialog);
    }
    w->setProperty("kr7mPrevActive", ActivePanel());
    w->hide();
    w->setWindowModality(Qt::ApplicationModal);
    w->show();
    w->raise();
    w->activateWindow();
    Popups().push_back(panel);
    ClearCommits();
    SetActive(panel);
    return 0;
}

int RemovePopup(int removeAll) {
    if (Popups().empty()) return UIE_BAD_HANDLE;
    int back = 0;
    do {
        int h = Popups().back();
        Popups().pop_back();
        if (PanelRec *p = FindPanel(h); p && p->window) {
            back = p->window->property("kr7mPrevActive").toInt();
            p->window->hide();
            p->window->setWindowModality(Qt::NonModal);
        }
    } while (removeAll && !Popups().empty());
    ClearCommits();
    // The panel that was active before the pop-up is active again.
    SetActive(!Popups().empty() ? Popups().back() : FindPanel(back) ? back : 0);
    return 0;
}

int UserClosePanel(int panel) {
    if (!FindPanel(panel)) return UIE_BAD_HANDLE;
    FirePanelEvent(panel, EVENT_CLOSE);
    return 0;
}
