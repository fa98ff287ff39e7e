// Checking and numbering of the resource model. Everything a typo in a resource could break
// is rejected here, so that the build fails instead of a panel coming up half drawn.
#include "platform/ui/uirmodel.h"

#include "platform/ui/uircompiled.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_set>

namespace uir {

std::string Attrs::Str(std::string_view k, const std::string &def) const {
    const std::string *v = Find(k);
    return v ? *v : def;
}

int Attrs::Int(std::string_view k, int def) const {
    const std::string *v = Find(k);
    return v ? static_cast<int>(strtol(v->c_str(), nullptr, 10)) : def;
}

double Attrs::Double(std::string_view k, double def) const {
    const std::string *v = Find(k);
    return v ? strtod(v->c_str(), nullptr) : def;
}

bool Attrs::Bool(std::string_view k, bool def) const {
    const std::string *v = Find(k);
    return v ? *v == "1" : def;
}

unsigned Attrs::Color(std::string_view k, unsigned def) const {
    const std::string *v = Find(k);
    if (!v || v->size() != 7) return def;
    return static_cast<unsigned>(strtoul(v->c_str() + 1, nullptr, 16));
}

const Panel *Resource::FindPanel(int id) {
    for (size_t i = 0; i < panels.size(); ++i)
        if (panels[i].id == id) return ReadPanelBytes(this, i) ? &panels[i] : nullptr;
    return nullptr;
}

const MenuBar *Resource::FindMenuBar(int id) const {
    for (const auto &m : menuBars)
        if (m.id == id) return &m;
    return nullptr;
}

namespace {

enum class Type { Text, Int, Double, Bool, Color, Ident, Choice };

struct AttrRule {
    std::string_view name; // its length is compared before its letters
    Type type;
    const char *choices; // for Choice: '|' separated
};

const AttrRule kCommon[] = {
    {"name", Type::Ident, nullptr},     {"label", Type::Text, nullptr},
    {"top", Type::Int, nullptr},        {"left", Type::Int, nullptr},
    {"width", Type::Int, nullptr},      {"height", Type::Int, nullptr},
    {"callback", Type::Ident, nullptr}, {"dimmed", Type::Bool, nullptr},
    {"visible", Type::Bool, nullptr},   {"mode", Type::Choice, "hot|indicator"},
    {"bold", Type::Bool, nullptr},      {"color", Type::Color, nullptr},
    {"bgcolor", Type::Color, nullptr},  {"labelpos", Type::Choice, "left|top|right|none"},
    {"tooltip", Type::Text, nullptr},   {"statusbar", Type::Bool, nullptr},
    {"kind", Type::Text, nullptr},
};

struct KindRule {
    const char *kind;
    std::vector<AttrRule> extra;
    const char *child; // allowed child element, or nullptr
};

const std::vector<KindRule> &Kinds() {
    static const std::vector<KindRule> kinds = {
        {"decoration", {}, nullptr},
        {"picture", {{"image", Type::Text, nullptr}}, nullptr},
        {"numeric",
         {{"datatype", Type::Choice, "int|double"},
          {"min", Type::Double, nullptr},
          {"max", Type::Double, nullptr},
          {"precision", Type::Int, nullptr},
          {"value", Type::Double, nullptr}},
         nullptr},
        {"button", {}, nullptr},
        {"led", {{"value", Type::Bool, nullptr}, {"oncolor", Type::Color, nullptr}}, nullptr},
        {"string",
         {{"maxlength", Type::Int, nullptr},
          {"value", Type::Text, nullptr},
          {"align", Type::Choice, "left|center|right"}},
         nullptr},
        {"textbox", {{"maxlength", Type::Int, nullptr}, {"value", Type::Text, nullptr}}, nullptr},
        {"textmsg",
         {{"value", Type::Text, nullptr}, {"align", Type::Choice, "left|center|right"}},
         nullptr},
        {"switch",
         {{"on", Type::Text, nullptr},
          {"off", Type::Text, nullptr},
          {"value", Type::Bool, nullptr}},
         nullptr},
        {"radio", {{"group", Type::Ident, nullptr}, {"value", Type::Bool, nullptr}}, nullptr},
        // Entries' values are integers, or texts with datatype="string" (checked per control).
        {"ring",
         {{"datatype", Type::Choice, "int|string"}, {"value", Type::Text, nullptr}},
         "item"},
        {"list",
         {{"datatype", Type::Choice, "int|string"},
          {"value", Type::Text, nullptr},
          {"monospace", Type::Bool, nullptr}},
         "item"},
        {"table", {{"rows", Type::Int, nullptr}, {"cols", Type::Int, nullptr}}, "col"},
        {"slide",
         {{"min", Type::Double, nullptr},
          {"max", Type::Double, nullptr},
          {"value", Type::Double, nullptr}},
         nullptr},
        {"timer", {{"interval", Type::Double, nullptr}, {"enabled", Type::Bool, nullptr}}, nullptr},
        {"stripchart",
         {{"traces", Type::Int, nullptr},
          {"points", Type::Int, nullptr},
          {"ymin", Type::Double, nullptr},
          {"ymax", Type::Double, nullptr},
          {"yauto", Type::Bool, nullptr},
          {"xname", Type::Text, nullptr},
          {"yname", Type::Text, nullptr},
          {"legend", Type::Bool, nullptr},
          {"stacked", Type::Bool, nullptr},
          {"xtime", Type::Bool, nullptr},
          {"xbyvalue", Type::Bool, nullptr}},
         "trace"},
    };
    return kinds;
}

const KindRule *FindKind(const std::string &kind) {
    for (const auto &k : Kinds())
        if (kind == k.kind) return &k;
    return nullptr;
}

const AttrRule kPanelAttrs[] = {
    {"name", Type::Ident, nullptr},
    {"title", Type::Text, nullptr},
    {"width", Type::Int, nullptr},
    {"height", Type::Int, nullptr},
    {"top", Type::Int, nullptr},
    {"left", Type::Int, nullptr},
    {"callback", Type::Ident, nullptr},
    {"sizable", Type::Bool, nullptr},
    {"kind", Type::Choice, "popup"},
    {"bgcolor", Type::Color, nullptr},
    {"scroll", Type::Bool, nullptr},
    {"icon", Type::Choice, "error|warning|question|information"},
};
const AttrRule kMenuBarAttrs[] = {{"name", Type::Ident, nullptr}};
const AttrRule kMenuAttrs[] = {{"name", Type::Ident, nullptr},
                               {"label", Type::Text, nullptr},
                               {"dimmed", Type::Bool, nullptr}};
const AttrRule kItemAttrs[] = {
    {"name", Type::Ident, nullptr},    {"label", Type::Text, nullptr},
    {"shortcut", Type::Text, nullptr}, {"callback", Type::Ident, nullptr},
    {"checked", Type::Bool, nullptr},  {"dimmed", Type::Bool, nullptr},
};
const AttrRule kListItemAttrs[] = {{"label", Type::Text, nullptr}, {"value", Type::Text, nullptr}};
const AttrRule kIntValue = {"value", Type::Int, nullptr};
const AttrRule kColAttrs[] = {{"label", Type::Text, nullptr}, {"width", Type::Int, nullptr}};
const AttrRule kTraceAttrs[] = {
    {"label", Type::Text, nullptr}, {"unit", Type::Text, nullptr}, {"color", Type::Color, nullptr}};

// Rings and lists with datatype="string" carry text values; every other one integers.
bool TextValues(const Control &c) {
    return c.attrs.Str("datatype") == "string";
}

bool IsIdent(const std::string &s) {
    if (s.empty()) return false;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        bool alpha = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        bool digit = c >= '0' && c <= '9';
        if (!alpha && !(digit && i > 0)) return false;
    }
    return true;
}

bool CheckType(const std::string &v, const AttrRule &rule) {
    char *end = nullptr;
    switch (rule.type) {
    case Type::Text:
        return true;
    case Type::Int: {
        if (v.empty()) return false;
        long n = strtol(v.c_str(), &end, 10);
        // Positions, sizes and counts beyond this are typing errors, not layouts.
        return *end == '\0' && n >= -100000L && n <= 100000L;
    }
    case Type::Double:
        if (v.empty()) return false;
        strtod(v.c_str(), &end);
        return *end == '\0';
    case Type::Bool:
        return v == "0" || v == "1";
    case Type::Color:
        if (v.size() != 7 || v[0] != '#') return false;
        for (size_t i = 1; i < 7; ++i) {
            char c = v[i];
            if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
                return false;
        }
        return true;
    case Type::Ident:
        return IsIdent(v);
    case Type::Choice:
        for (const char *c = rule.choices; *c;) {
            const char *bar = std::strchr(c, '|');
            const size_t len = bar ? static_cast<size_t>(bar - c) : std::strlen(c);
            if (v.size() == len && v.compare(0, len, c, len) == 0) return true;
            if (!bar) break;
            c = bar + 1;
        }
        return false;
    }
    return false;
}

class Builder {
  public:
    Builder(Resource *out, std::string *error) : out_(out), error_(error) {}

    bool Run(const XmlNode &root) {
        if (root.name != "uir") return Fail(root, "root element must be <uir>");
        if (!root.attrs.empty()) return Fail(root, "<uir> takes no attributes");
        for (const auto &n : root.children) {
            if (n.name == "panel") {
                if (!AddPanel(n)) return false;
            } else if (n.name == "menubar") {
                if (!AddMenuBar(n)) return false;
            } else {
                return Fail(n, "unknown element <" + n.name + "> (expected panel or menubar)");
            }
        }
        return true;
    }

  private:
    Resource *out_;
    std::string *error_;
    std::unordered_set<std::string> constants_; // only asked whether a name is taken
    std::map<std::string, CallbackShape> shapes_;

    bool Fail(const XmlNode &n, const std::string &why) {
        *error_ = n.Where() + ": " + why;
        return false;
    }

    template <size_t N, size_t M = 0>
    bool TakeAttrs(const XmlNode &n, const AttrRule (&specs)[N], Attrs *attrs,
                   const std::vector<AttrRule> *extra = nullptr) {
        attrs->values.reserve(n.attrs.size());
        for (const auto &a : n.attrs) {
            const AttrRule *rule = nullptr;
            for (const auto &s : specs)
                if (a.first == s.name) {
                    rule = &s;
                    break;
                }
            if (!rule && extra)
                for (const auto &s : *extra)
                    if (a.first == s.name) {
                        rule = &s;
                        break;
                    }
            if (!rule) return Fail(n, "unknown attribute " + a.first + " on <" + n.name + ">");
            if (!CheckType(a.second, *rule))
                return Fail(n, "bad value \"" + a.second + "\" for attribute " + a.first);
            attrs->values.push_back(a); // the reader refuses a name given twice
        }
        return true;
    }

    bool Name(const XmlNode &n, std::string *name) {
        const std::string *v = n.Attr("name");
        if (!v) return Fail(n, "<" + n.name + "> needs a name");
        *name = *v;
        return true;
    }

    bool Claim(const XmlNode &n, const std::string &constant) {
        if (!constants_.insert(constant).second)
            return Fail(n, "name " + constant + " is used twice");
        return true;
    }

    bool UseCallback(const XmlNode &n, const Attrs &attrs, CallbackShape shape) {
        if (!attrs.Has("callback")) return true;
        std::string cb = attrs.Str("callback");
        auto it = shapes_.find(cb);
        if (it == shapes_.end()) {
            shapes_[cb] = shape;
            out_->callbacks.push_back({cb, shape});
            return true;
        }
        if (it->second != shape)
            return Fail(n, "callback " + cb + " is used for two kinds of object");
        return true;
    }

    bool AddPanel(const XmlNode &n) {
        Panel p;
        p.line = n.line;
        if (!Name(n, &p.name) || !TakeAttrs(n, kPanelAttrs, &p.attrs)) return false;
        if (!Claim(n, p.name) || !UseCallback(n, p.attrs, CallbackShape::Panel)) return false;
        p.id = static_cast<int>(out_->panels.size()) + 1;
        int nextId = 2;
        for (const auto &c : n.children) {
            if (c.name != "control")
                return Fail(c, "unknown element <" + c.name + "> in a panel (expected control)");
            Control ctrl;
            ctrl.line = c.line;
            if (!Name(c, &ctrl.name)) return false;
            const std::string *kind = c.Attr("kind");
            if (!kind) return Fail(c, "control " + ctrl.name + " needs a kind");
            const KindRule *ks = FindKind(*kind);
            if (!ks) return Fail(c, "unknown control kind \"" + *kind + "\"");
            ctrl.kind = *kind;
            if (!TakeAttrs(c, kCommon, &ctrl.attrs, &ks->extra)) return false;
            auto &values = ctrl.attrs.values; // the kind is the control's own field
            auto k = std::find_if(values.begin(), values.end(),
                                  [](const auto &v) { return v.first == "kind"; });
            if (k != values.end()) values.erase(k);
            ctrl.constName = p.name + "_" + ctrl.name;
            if (!Claim(c, ctrl.constName)) return false;
            if (!UseCallback(c, ctrl.attrs, CallbackShape::Control)) return false;
            if (ctrl.attrs.Has("min") && ctrl.attrs.Has("max") &&
                ctrl.attrs.Double("min") > ctrl.attrs.Double("max"))
                return Fail(c, "min is above max");
            if (ks->child && std::string(ks->child) == "item" && !TextValues(ctrl) &&
                ctrl.attrs.Has("value") && !CheckType(ctrl.attrs.Str("value"), kIntValue))
                return Fail(c, "bad value \"" + ctrl.attrs.Str("value") + "\" for attribute value");
            if (ctrl.attrs.Has("interval") && !(ctrl.attrs.Double("interval") >= 0.001))
                return Fail(c, "a timer's interval must be at least 0.001 s");
            for (const auto &child : c.children) {
                if (!ks->child || child.name != ks->child)
                    return Fail(child, "unexpected <" + child.name + "> in a " + ctrl.kind);
                Attrs a;
                if (!child.children.empty()) return Fail(child, "unexpected nested element");
                if (child.name == "item") {
                    if (!TakeAttrs(child, kListItemAttrs, &a)) return false;
                    if (!TextValues(ctrl) && a.Has("value") &&
                        !CheckType(a.Str("value"), kIntValue))
                        return Fail(child,
                                    "bad value \"" + a.Str("value") + "\" for attribute value");
                    ctrl.items.push_back({a.Str("label"), a.Str("value", "0")});
                } else if (child.name == "trace") {
                    if (!TakeAttrs(child, kTraceAttrs, &a)) return false;
                    ctrl.traces.push_back({a.Str("label"), a.Str("unit"), a.Str("color")});
                } else {
                    if (!TakeAttrs(child, kColAttrs, &a)) return false;
                    ctrl.columns.push_back({a.Str("label"), a.Int("width", 0)});
                }
            }
            if (ctrl.kind == "stripchart" && !StripChartSizesOk(c, ctrl)) return false;
            ctrl.id = nextId++;
            p.controls.push_back(std::move(ctrl));
        }
        out_->panels.push_back(std::move(p));
        return true;
    }

    // Limits the widget keeps to; outside them a chart is a typing error, not a design.
    bool StripChartSizesOk(const XmlNode &n, const Control &ctrl) {
        const Attrs &a = ctrl.attrs;
        int traces =
            a.Int("traces", ctrl.traces.empty() ? 1 : static_cast<int>(ctrl.traces.size()));
        if (traces < 1 || traces > 16) return Fail(n, "a strip chart has 1 to 16 traces");
        if (static_cast<int>(ctrl.traces.size()) > traces)
            return Fail(n, "more <trace> elements than traces");
        int points = a.Int("points", 100);
        if (points < 2 || points > 100000) return Fail(n, "a strip chart keeps 2 to 100000 points");
        if (a.Has("ymin") && a.Has("ymax") && !(a.Double("ymin") < a.Double("ymax")))
            return Fail(n, "ymin must be below ymax");
        return true;
    }

    bool AddMenuNode(const XmlNode &n, const std::string &prefix, int *nextId, MenuNode *node) {
        node->line = n.line;
        if (n.name == "separator") {
            if (!n.attrs.empty() || !n.children.empty())
                return Fail(n, "<separator> takes no attributes");
            node->separator = true;
            node->id = (*nextId)++;
            return true;
        }
        if (n.name != "menu" && n.name != "item")
            return Fail(n, "unknown element <" + n.name + "> in a menu");
        node->isMenu = n.name == "menu";
        if (!Name(n, &node->name)) return false;
        if (node->isMenu ? !TakeAttrs(n, kMenuAttrs, &node->attrs)
                         : !TakeAttrs(n, kItemAttrs, &node->attrs))
            return false;
        node->constName = prefix + "_" + node->name;
        if (!Claim(n, node->constName)) return false;
        if (!UseCallback(n, node->attrs, CallbackShape::Menu)) return false;
        node->id = (*nextId)++;
        if (!node->isMenu) {
            if (!n.children.empty()) return Fail(n, "a menu <item> has no children");
            return true;
        }
        for (const auto &c : n.children) {
            MenuNode child;
            if (!AddMenuNode(c, node->constName, nextId, &child)) return false;
            node->children.push_back(std::move(child));
        }
        return true;
    }

    bool AddMenuBar(const XmlNode &n) {
        MenuBar mb;
        mb.line = n.line;
        Attrs attrs;
        if (!Name(n, &mb.name) || !TakeAttrs(n, kMenuBarAttrs, &attrs)) return false;
        if (!Claim(n, mb.name)) return false;
        mb.id = static_cast<int>(out_->menuBars.size()) + 1;
        int nextId = 2;
        for (const auto &c : n.children) {
            if (c.name != "menu")
                return Fail(c, "unknown element <" + c.name + "> in a menu bar (expected menu)");
            MenuNode node;
            if (!AddMenuNode(c, mb.name, &nextId, &node)) return false;
            mb.menus.push_back(std::move(node));
        }
        out_->menuBars.push_back(std::move(mb));
        return true;
    }
};

} // namespace

bool IsKnownKind(const std::string &kind) {
    return FindKind(kind) != nullptr;
}

bool BuildResource(const XmlNode &root, Resource *out, std::string *error) {
    *out = Resource();
    std::string dummy;
    Builder b(out, error ? error : &dummy);
    if (b.Run(root)) return true;
    *out = Resource();
    return false;
}

bool LoadResource(const std::string &path, Resource *out, std::string *error) {
    XmlNode root;
    if (!ParseXmlFile(path, &root, error)) return false;
    return BuildResource(root, out, error);
}

} // namespace uir
