// The compiled resource: a header, the text it was made from, then the model, each string as
// its length and its bytes. The text is kept whole, so that the form is taken only for the
// very text it came from; a hash over the model finds a damaged file. Each panel's attributes
// and controls follow its size in bytes, so that a read can pass over them until the panel is
// looked up.
#include "platform/ui/uircompiled.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace uir {
namespace {

constexpr char kMagic[8] = {'K', 'R', '7', 'M', 'U', 'I', 'R', 'C'};
constexpr uint32_t kVersion = 2;

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

// Writes a model. Its fields are walked in the same order as In reads them (Walk below).
class Out {
  public:
    std::string bytes;
    void U32(uint32_t v) { Append(&v, 4); }
    void U64(uint64_t v) { Append(&v, 8); }
    void Append(const void *p, size_t n) { bytes.append(static_cast<const char *>(p), n); }
    void Field(const std::string &s) {
        U32(static_cast<uint32_t>(s.size()));
        bytes.append(s);
    }
    void Field(int v) { Append(&v, 4); }
    void Field(bool v) { bytes.push_back(v ? 1 : 0); }
    void Field(CallbackShape v) { bytes.push_back(static_cast<char>(v)); }
    template <class T, class Each> void List(const std::vector<T> &v, size_t, Each each) {
        U32(static_cast<uint32_t>(v.size()));
        for (const T &e : v) each(e);
    }
};

// Reads a model. Every read is checked against the end; the first failure makes every later
// one fail too.
class In {
  public:
    In(const char *p, const char *end) : p_(p), end_(end) {}
    bool ok() const { return ok_; }
    bool AtEnd() const { return ok_ && p_ == end_; }
    const char *Here() const { return p_; }
    void Fail() { ok_ = false; }
    uint32_t U32() {
        uint32_t v = 0;
        Raw(&v, 4);
        return v;
    }
    uint64_t U64() {
        uint64_t v = 0;
        Raw(&v, 8);
        return v;
    }
    const char *Take(size_t n) {
        if (!Have(n)) return nullptr;
        const char *at = p_;
        p_ += n;
        return at;
    }
    void Field(std::string &s) {
        const uint32_t n = U32();
        if (const char *at = Take(n)) s.assign(at, n);
    }
    void Field(int &v) { Raw(&v, 4); }
    void Field(bool &v) { v = Byte(1) == 1; }
    void Field(CallbackShape &v) {
        v = static_cast<CallbackShape>(Byte(static_cast<uint8_t>(CallbackShape::Menu)));
    }
    // A list whose elements take at least `least` bytes each: no longer than could follow, and
    // nested no deeper than any model (menus nest in menus), so a damaged file stays off the
    // stack.
    template <class T, class Each> void List(std::vector<T> &v, size_t least, Each each) {
        const uint32_t n = U32();
        if (ok_ && (n > static_cast<size_t>(end_ - p_) / least || depth_ >= kMaxDepth)) ok_ = false;
        v.resize(ok_ ? n : 0);
        ++depth_;
        for (T &e : v) {
            if (!ok_) break;
            each(e);
        }
        --depth_;
    }

  private:
    static constexpr int kMaxDepth = 40;
    bool Have(size_t n) {
        if (ok_ && n > static_cast<size_t>(end_ - p_)) ok_ = false;
        return ok_;
    }
    void Raw(void *v, size_t n) {
        if (!Have(n)) return;
        std::memcpy(v, p_, n);
        p_ += n;
    }
    uint8_t Byte(uint8_t highest) {
        uint8_t v = 0;
        Raw(&v, 1);
        if (v > highest) ok_ = false;
        return v;
    }
    const char *p_;
    const char *end_;
    bool ok_ = true;
    int depth_ = 0;
};

// The one order of the fields, for writing (IO = Out, a const model) and reading (IO = In).
template <class IO, class A> void WalkAttrs(IO &io, A &a) {
    io.List(a.values, 8, [&io](auto &v) {
        io.Field(v.first);
        io.Field(v.second);
    });
}

template <class IO, class M> void WalkMenu(IO &io, M &n) {
    io.Field(n.name);
    io.Field(n.constName);
    io.Field(n.id);
    io.Field(n.separator);
    io.Field(n.isMenu);
    io.Field(n.line);
    WalkAttrs(io, n.attrs);
    io.List(n.children, 22, [&io](auto &c) { WalkMenu(io, c); });
}

template <class IO, class C> void WalkControl(IO &io, C &c) {
    io.Field(c.name);
    io.Field(c.constName);
    io.Field(c.kind);
    io.Field(c.id);
    io.Field(c.line);
    WalkAttrs(io, c.attrs);
    io.List(c.items, 8, [&io](auto &i) {
        io.Field(i.label);
        io.Field(i.value);
    });
    io.List(c.columns, 8, [&io](auto &col) {
        io.Field(col.label);
        io.Field(col.width);
    });
    io.List(c.traces, 12, [&io](auto &t) {
        io.Field(t.label);
        io.Field(t.unit);
        io.Field(t.color);
    });
}

template <class IO, class P> void WalkPanelBody(IO &io, P &p) {
    WalkAttrs(io, p.attrs);
    io.List(p.controls, 36, [&io](auto &c) { WalkControl(io, c); });
}

// A panel's body behind its size. One that was never read out of the compiled form it came
// from is written as the very bytes it was read from.
void PanelBody(Out &o, const Resource &res, const Panel &p) {
    const size_t i = static_cast<size_t>(&p - res.panels.data());
    if (res.compiled && i < res.unread.size() && res.unread[i].size > 0) {
        o.U64(res.unread[i].size);
        o.Append(res.compiled->data() + res.unread[i].offset, res.unread[i].size);
        return;
    }
    Out body;
    WalkPanelBody(body, p);
    o.U64(body.bytes.size());
    o.bytes.append(body.bytes);
}

// Only notes where the body is: FindPanel reads it when the panel is first wanted.
void PanelBody(In &in, Resource &res, Panel &p) {
    const size_t i = static_cast<size_t>(&p - res.panels.data());
    const uint64_t size = in.U64();
    const char *at = in.Here();
    // Eight bytes at least: the counts of the attributes and of the controls.
    if (size < 8) in.Fail();
    if (!in.Take(size)) return;
    if (res.unread.size() < res.panels.size()) res.unread.resize(res.panels.size());
    res.unread[i] = {static_cast<size_t>(at - res.compiled->data()), static_cast<size_t>(size)};
}

template <class IO, class R> void WalkResource(IO &io, R &res) {
    io.List(res.panels, 24, [&io, &res](auto &p) {
        io.Field(p.name);
        io.Field(p.id);
        io.Field(p.line);
        PanelBody(io, res, p);
    });
    io.List(res.menuBars, 16, [&io](auto &m) {
        io.Field(m.name);
        io.Field(m.id);
        io.Field(m.line);
        io.List(m.menus, 22, [&io](auto &n) { WalkMenu(io, n); });
    });
    io.List(res.callbacks, 5, [&io](auto &cb) {
        io.Field(cb.name);
        io.Field(cb.shape);
    });
}

} // namespace

std::string CompileResource(const Resource &res, const std::string &text) {
    Out body;
    WalkResource(body, res);
    Out o;
    o.Append(kMagic, sizeof kMagic);
    o.U32(kVersion);
    o.U64(text.size());
    o.bytes.append(text);
    o.U64(body.bytes.size());
    o.U64(Hash(body.bytes.data(), body.bytes.size()));
    o.bytes.append(body.bytes);
    return o.bytes;
}

namespace {

bool ReadCompiled(std::shared_ptr<const std::string> compiled, const std::string &text,
                  Resource *out) {
    *out = Resource();
    const std::string &data = *compiled;
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
    out->compiled = std::move(compiled);
    In bodyIn(body, body + bodySize);
    WalkResource(bodyIn, *out);
    if (bodyIn.AtEnd()) return true;
    *out = Resource();
    return false;
}

} // namespace

bool ReadCompiledResource(const std::string &data, const std::string &text, Resource *out) {
    return ReadCompiled(std::make_shared<const std::string>(data), text, out);
}

bool ReadPanelBytes(Resource *res, size_t index) {
    if (!res->compiled || index >= res->unread.size() || res->unread[index].size == 0)
        return index < res->panels.size();
    const PanelBytes at = res->unread[index];
    res->unread[index].size = 0;
    Panel &p = res->panels[index];
    const char *from = res->compiled->data() + at.offset;
    In in(from, from + at.size);
    WalkPanelBody(in, p);
    if (in.AtEnd()) return true;
    // The hash over the model vouched for these bytes; should they still not make a panel, the
    // panel is not there rather than half there.
    p.attrs = Attrs();
    p.controls.clear();
    p.id = 0;
    return false;
}

std::string CompiledPath(const std::string &uirPath) {
    return uirPath + "c";
}

bool LoadCompiledResource(const std::string &uirPath, Resource *out) {
    // The compiled form first: a resource without one (any but the program's own) is then
    // parsed without having been read once for nothing.
    auto data = std::make_shared<std::string>();
    std::string text, error;
    if (!ReadWholeFile(CompiledPath(uirPath), data.get(), &error)) return false;
    if (!ReadWholeFile(uirPath, &text, &error)) return false;
    return ReadCompiled(std::move(data), text, out);
}

} // namespace uir
