// The resource file read into panels, controls and menu bars, checked and numbered. The
// generator writes the constants from this model and the loader builds widgets from it, so
// both always agree on every id.
#pragma once

#include "platform/ui/uirparse.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace uir {

struct Attrs {
    // In the order of the file. An element has a handful, so a look-up through them is quicker
    // than through a tree, and building them costs one allocation instead of one per attribute.
    AttrList values;
    const std::string *Find(std::string_view k) const { return FindAttr(values, k); }
    bool Has(std::string_view k) const { return Find(k) != nullptr; }
    std::string Str(std::string_view k, const std::string &def = "") const;
    // Numbers were checked when the model was built, so these only fall back to def when the
    // attribute is absent.
    int Int(std::string_view k, int def = 0) const;
    double Double(std::string_view k, double def = 0) const;
    bool Bool(std::string_view k, bool def = false) const;
    unsigned Color(std::string_view k, unsigned def = 0) const; // "#RRGGBB" -> 0xRRGGBB
};

struct Item { // entry of a ring or list
    std::string label;
    std::string value;
};

struct Column { // column of a table
    std::string label;
    int width = 0;
};

struct Trace { // trace of a strip chart
    std::string label;
    std::string unit;
    std::string color; // "#RRGGBB" or empty for the chart's own sequence
};

struct Control {
    std::string name;      // as written, e.g. SYSTEM
    std::string constName; // PANEL_SYSTEM
    std::string kind;      // numeric, ring, ...
    int id = 0;
    int line = 0;
    Attrs attrs;
    std::vector<Item> items;
    std::vector<Column> columns;
    std::vector<Trace> traces;
};

struct Panel {
    std::string name;
    int id = 0;
    int line = 0;
    Attrs attrs;
    std::vector<Control> controls; // in file order, ids 2, 3, ...
};

struct MenuNode {
    std::string name;      // empty for a separator
    std::string constName; // MENU_FILE_NEW
    int id = 0;
    bool separator = false;
    bool isMenu = false; // a <menu>: opens the children
    int line = 0;
    Attrs attrs;
    std::vector<MenuNode> children;
};

struct MenuBar {
    std::string name;
    int id = 0;
    int line = 0;
    std::vector<MenuNode> menus;
};

// Where a callback name is used decides the function shape it needs.
enum class CallbackShape { Control, Panel, Menu };

struct CallbackUse {
    std::string name;
    CallbackShape shape;
};

// Where a panel's attributes and controls lie in a compiled form that has not been read for
// them yet (size 0 once they are read).
struct PanelBytes {
    size_t offset = 0;
    size_t size = 0;
};

struct Resource {
    std::vector<Panel> panels;          // ids 1, 2, ... in file order
    std::vector<MenuBar> menuBars;      // ids 1, 2, ... in file order
    std::vector<CallbackUse> callbacks; // each name once, first use order

    // Read from a compiled form, a panel holds only its name, id and line until it is first
    // looked up: a program shows a few of its many panels at start. Empty for a parsed model.
    std::shared_ptr<const std::string> compiled;
    std::vector<PanelBytes> unread; // per panel, while `compiled` is set

    // The panel with the id, read whole; nullptr when there is none (or its bytes are damaged).
    const Panel *FindPanel(int id);
    const MenuBar *FindMenuBar(int id) const;
};

// Checks a parsed tree and numbers it. Unknown elements, kinds and attributes, malformed
// numbers and colours, names used twice and callbacks used in two shapes are errors.
bool BuildResource(const XmlNode &root, Resource *out, std::string *error);

// Parses the file (with includes) and builds the model.
bool LoadResource(const std::string &path, Resource *out, std::string *error);

// Control kinds the format knows, by name.
bool IsKnownKind(const std::string &kind);

} // namespace uir
