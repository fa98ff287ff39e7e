// The compiled resource: a header, the text it was made from, then the model, each string as
// its length and its bytes. The text is kept whole, so that the form is taken only for the
// very text it came from; a hash over the model finds a damaged file.
#include "platform/ui/uircompiled.h"

#include <cstdint>
#include <cstring>
#include <unistd.h>

namespace uir {
namespace {

constexpr char kMagic[8] = {'K', 'R', '7', 'M', 'U', 'I', 'R', 'C'};
constexpr uint32_t kVersion = 1;
constexpr int kMaxMenuDepth = 32; // far deeper than any menu; keeps a damaged file off the stack

// Not a cryptographic hash: it finds damage, eight bytes at a time.
uint64_t Hash(const char *data, size_t size) {
    uint64_t h = 0x6A09E667F3BCC908ull ^ size;
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t w;
        std::memcpy(&w, data + i, 8);
        h = (h ^ w) * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
    }
    uint64_t tail = 0;
    std::memcpy(&tail, data + i, size - i);
    h = (h ^ tail) * 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 32);
}

class Out {
  public:
    std::string bytes;
    void U8(uint8_t v) { bytes.push_back(static_cast<char>(v)); }
    void U32(uint32_t v) { Raw(&v, 4); }
    void I32(int v) { Raw(&v, 4); }
    void U64(uint64_t v) { Raw(&v, 8); }
    void Str(const std::string &s) {
        U32(static_cast<uint32_t>(s.size()));
        bytes.append(s);
    }
    void Attributes(const Attrs &a) {
        U32(static_cast<uint32_t>(a.values.size()));
        for (const auto &v : a.values) {
            Str(v.first);
            Str(v.second);
        }
    }
    void Menu(const MenuNode &n) {
        Str(n.name);
        Str(n.constName);
        I32(n.id);
        U8(n.separator);
        U8(n.isMenu);
        I32(n.line);
        Attributes(n.attrs);
        U32(static_cast<uint32_t>(n.children.size()));
        for (const auto &c : n.children) Menu(c);
    }

  private:
    void Raw(const void *p, size_t n) { bytes.append(static_cast<const char *>(p), n); }
};

// Every read is checked against the end; the first failure makes every later one fail too.
class In {
  public:
    In(const char *p, const char *end) : p_(p), end_(end) {}
    bool ok() const { return ok_; }
    bool AtEnd() const { return ok_ && p_ == end_; }
    uint8_t U8() {
        uint8_t v = 0;
        Raw(&v, 1);
        return v;
    }
    uint32_t U32() {
        uint32_t v = 0;
        Raw(&v, 4);
        return v;
    }
    int I32() {
        int v = 0;
        Raw(&v, 4);
        return v;
    }
    uint64_t U64() {
        uint64_t v = 0;
        Raw(&v, 8);
        return v;
    }
    bool Bool() {
        uint8_t v = U8();
        if (v > 1) ok_ = false;
        return v == 1;
    }
    void Str(std::string *s) {
        const uint32_t n = U32();
        if (!Have(n)) return;
        s->assign(p_, n);
        p_ += n;
    }
    // A count of things that take at least `least` bytes each: no more than could follow.
    uint32_t Count(size_t least) {
        const uint32_t n = U32();
        if (ok_ && n > static_cast<size_t>(end_ - p_) / least) ok_ = false;
        return ok_ ? n : 0;
    }
    void Attributes(Attrs *a) {
        const uint32_t n = Count(8);
        a->values.resize(n);
        for (auto &v : a->values) {
            Str(&v.first);
            Str(&v.second);
        }
    }
    void Menu(MenuNode *n, int depth) {
        if (depth > kMaxMenuDepth) ok_ = false;
        Str(&n->name);
        Str(&n->constName);
        n->id = I32();
        n->separator = Bool();
        n->isMenu = Bool();
        n->line = I32();
        Attributes(&n->attrs);
        const uint32_t count = Count(22);
        n->children.resize(count);
        for (auto &c : n->children) {
            if (!ok_) return;
            Menu(&c, depth + 1);
        }
    }
    const char *Take(size_t n) {
        if (!Have(n)) return nullptr;
        const char *at = p_;
        p_ += n;
        return at;
    }

  private:
    bool Have(size_t n) {
        if (ok_ && n > static_cast<size_t>(end_ - p_)) ok_ = false;
        return ok_;
    }
    void Raw(void *v, size_t n) {
        if (!Have(n)) return;
        std::memcpy(v, p_, n);
        p_ += n;
    }
    const char *p_;
    const char *end_;
    bool ok_ = true;
};

std::string Body(const Resource &res) {
    Out o;
    o.U32(static_cast<uint32_t>(res.panels.size()));
    for (const Panel &p : res.panels) {
        o.Str(p.name);
        o.I32(p.id);
        o.I32(p.line);
        o.Attributes(p.attrs);
        o.U32(static_cast<uint32_t>(p.controls.size()));
        for (const Control &c : p.controls) {
            o.Str(c.name);
            o.Str(c.constName);
            o.Str(c.kind);
            o.I32(c.id);
            o.I32(c.line);
            o.Attributes(c.attrs);
            o.U32(static_cast<uint32_t>(c.items.size()));
            for (const Item &i : c.items) {
                o.Str(i.label);
                o.Str(i.value);
            }
            o.U32(static_cast<uint32_t>(c.columns.size()));
            for (const Column &col : c.columns) {
                o.Str(col.label);
                o.I32(col.width);
            }
            o.U32(static_cast<uint32_t>(c.traces.size()));
            for (const Trace &t : c.traces) {
                o.Str(t.label);
                o.Str(t.unit);
                o.Str(t.color);
            }
        }
    }
    o.U32(static_cast<uint32_t>(res.menuBars.size()));
    for (const MenuBar &m : res.menuBars) {
        o.Str(m.name);
        o.I32(m.id);
        o.I32(m.line);
        o.U32(static_cast<uint32_t>(m.menus.size()));
        for (const MenuNode &n : m.menus) o.Menu(n);
    }
    o.U32(static_cast<uint32_t>(res.callbacks.size()));
    for (const CallbackUse &cb : res.callbacks) {
        o.Str(cb.name);
        o.U8(static_cast<uint8_t>(cb.shape));
    }
    return o.bytes;
}

bool ReadBody(In &in, Resource *res) {
    res->panels.resize(in.Count(16));
    for (Panel &p : res->panels) {
        in.Str(&p.name);
        p.id = in.I32();
        p.line = in.I32();
        in.Attributes(&p.attrs);
        p.controls.resize(in.Count(36));
        for (Control &c : p.controls) {
            in.Str(&c.name);
            in.Str(&c.constName);
            in.Str(&c.kind);
            c.id = in.I32();
            c.line = in.I32();
            in.Attributes(&c.attrs);
            c.items.resize(in.Count(8));
            for (Item &i : c.items) {
                in.Str(&i.label);
                in.Str(&i.value);
            }
            c.columns.resize(in.Count(8));
            for (Column &col : c.columns) {
                in.Str(&col.label);
                col.width = in.I32();
            }
            c.traces.resize(in.Count(12));
            for (Trace &t : c.traces) {
                in.Str(&t.label);
                in.Str(&t.unit);
                in.Str(&t.color);
            }
            if (!in.ok()) return false;
        }
    }
    res->menuBars.resize(in.Count(16));
    for (MenuBar &m : res->menuBars) {
        in.Str(&m.name);
        m.id = in.I32();
        m.line = in.I32();
        m.menus.resize(in.Count(22));
        for (MenuNode &n : m.menus) {
            if (!in.ok()) return false;
            in.Menu(&n, 0);
        }
    }
    res->callbacks.resize(in.Count(5));
    for (CallbackUse &cb : res->callbacks) {
        in.Str(&cb.name);
        const uint8_t shape = in.U8();
        if (shape > static_cast<uint8_t>(CallbackShape::Menu)) return false;
        cb.shape = static_cast<CallbackShape>(shape);
    }
    return in.AtEnd();
}

} // namespace

std::string CompileResource(const Resource &res, const std::string &text) {
    const std::string body = Body(res);
    Out o;
    o.bytes.append(kMagic, sizeof kMagic);
    o.U32(kVersion);
    o.U64(text.size());
    o.bytes.append(text);
    o.U64(body.size());
    o.U64(Hash(body.data(), body.size()));
    o.bytes.append(body);
    return o.bytes;
}

bool ReadCompiledResource(const std::string &data, const std::string &text, Resource *out) {
    *out = Resource();
    In in(data.data(), data.data() + data.size());
    const char *magic = in.Take(sizeof kMagic);
    if (!magic || std::memcmp(magic, kMagic, sizeof kMagic) != 0 || in.U32() != kVersion)
        return false;
    const uint64_t textSize = in.U64();
    if (!in.ok() || textSize != text.size()) return false;
    const char *madeFrom = in.Take(text.size());
    if (!madeFrom || std::memcmp(madeFrom, text.data(), text.size()) != 0) return false;
    const uint64_t bodySize = in.U64();
    const uint64_t bodyHash = in.U64();
    const char *body = in.ok() && bodySize <= data.size() ? in.Take(bodySize) : nullptr;
    if (!body || !in.AtEnd() || Hash(body, bodySize) != bodyHash) return false;
    In bodyIn(body, body + bodySize);
    if (ReadBody(bodyIn, out)) return true;
    *out = Resource();
    return false;
}

std::string CompiledPath(const std::string &uirPath) {
    return uirPath + "c";
}

bool LoadCompiledResource(const std::string &uirPath, Resource *out) {
    std::string text, data, error;
    if (!ReadWholeFile(uirPath, &text, &error)) return false;
    // Missing is the usual case for a resource that is not the program's own.
    if (access(CompiledPath(uirPath).c_str(), R_OK) != 0) return false;
    if (!ReadWholeFile(CompiledPath(uirPath), &data, &error)) return false;
    return ReadCompiledResource(data, text, out);
}

} // namespace uir
