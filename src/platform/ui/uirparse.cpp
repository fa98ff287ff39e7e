// Reader for the resource files' XML subset. Hand-written so the generator stays a plain host
// program; errors carry the file and line so a broken resource is found at build time.
#include "platform/ui/uirparse.h"

#include "platform/file/readfile.h"

#include <cerrno>
#include <cstring>
#include <iterator>

namespace uir {

std::string XmlNode::Where() const {
    return (file ? *file : std::string()) + ":" + std::to_string(line);
}

const std::string *FindAttr(const AttrList &attrs, std::string_view key) {
    for (const auto &a : attrs)
        if (a.first.size() == key.size() &&
            std::memcmp(a.first.data(), key.data(), key.size()) == 0)
            return &a.second;
    return nullptr;
}

namespace {

class Reader {
  public:
    Reader(const std::string &text, const std::string &file)
        : s_(text), file_(std::make_shared<const std::string>(file)) {}

    bool Document(XmlNode *root, std::string *error) {
        error_ = error;
        SkipMisc();
        if (failed_) return false;
        if (AtEnd()) return Fail("no root element");
        if (!Element(root, 0)) return false;
        SkipMisc();
        if (failed_) return false;
        if (!AtEnd()) return Fail("text after the root element");
        return true;
    }

  private:
    const std::string &s_;
    std::shared_ptr<const std::string> file_; // the file name every element points to
    // Attributes of the element being read, moved into it in one allocation of the right size.
    AttrList scratch_;
    size_t pos_ = 0;
    int line_ = 1;
    std::string *error_ = nullptr;
    bool failed_ = false;

    bool AtEnd() const { return pos_ >= s_.size(); }
    char Peek(size_t ahead = 0) const { return pos_ + ahead < s_.size() ? s_[pos_ + ahead] : '\0'; }
    bool StartsWith(const char *lit) const {
        const size_t n = strlen(lit); // a literal: known when this is compiled inline
        return pos_ <= s_.size() && s_.size() - pos_ >= n && memcmp(s_.data() + pos_, lit, n) == 0;
    }
    void Advance(size_t n = 1) {
        for (size_t i = 0; i < n && pos_ < s_.size(); ++i, ++pos_)
            if (s_[pos_] == '\n') ++line_;
    }
    bool Fail(const std::string &why) {
        if (!failed_ && error_) *error_ = *file_ + ":" + std::to_string(line_) + ": " + why;
        failed_ = true;
        return false;
    }
    static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    static bool IsNameStart(char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
    }
    static bool IsNameChar(char c) {
        return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
    }
    void SkipSpace() {
        const size_t n = s_.size();
        while (pos_ < n && IsSpace(s_[pos_])) {
            if (s_[pos_] == '\n') ++line_;
            ++pos_;
        }
    }

    // Skips until the literal end marker; the marker itself is consumed.
    bool SkipPast(const char *end, const char *what) {
        int startLine = line_;
        size_t at = s_.find(end, pos_);
        if (at == std::string::npos) {
            line_ = startLine;
            return Fail(std::string("unterminated ") + what);
        }
        Advance(at - pos_ + strlen(end));
        return true;
    }

    // Whitespace, comments, processing instructions and a document type line.
    void SkipMisc() {
        for (;;) {
            SkipSpace();
            if (StartsWith("<!--")) {
                if (!SkipPast("-->", "comment")) return;
            } else if (StartsWith("<?")) {
                if (!SkipPast("?>", "processing instruction")) return;
            } else if (StartsWith("<!DOCTYPE")) {
                if (!SkipPast(">", "document type")) return;
            } else {
                return;
            }
        }
    }

    bool Name(std::string *out) {
        if (!IsNameStart(Peek())) return Fail("expected a name");
        const size_t start = pos_, n = s_.size();
        while (pos_ < n && IsNameChar(s_[pos_])) ++pos_; // a name holds no line break
        out->assign(s_, start, pos_ - start);
        return true;
    }

    static void AppendUtf8(unsigned long cp, std::string *out) {
        if (cp < 0x80) {
            out->push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }

    // At '&': decodes one entity into out.
    bool Entity(std::string *out) {
        size_t semi = s_.find(';', pos_);
        if (semi == std::string::npos || semi - pos_ > 12) return Fail("bad entity");
        std::string name = s_.substr(pos_ + 1, semi - pos_ - 1);
        if (name == "amp")
            out->push_back('&');
        else if (name == "lt")
            out->push_back('<');
        else if (name == "gt")
            out->push_back('>');
        else if (name == "quot")
            out->push_back('"');
        else if (name == "apos")
            out->push_back('\'');
        else if (name.size() > 1 && name[0] == '#') {
            bool hex = name[1] == 'x' || name[1] == 'X';
            std::string digits = name.substr(hex ? 2 : 1);
            if (digits.empty()) return Fail("bad character reference &" + name + ";");
            unsigned long cp = 0;
            for (char c : digits) {
                int d;
                if (c >= '0' && c <= '9')
                    d = c - '0';
                else if (hex && c >= 'a' && c <= 'f')
                    d = c - 'a' + 10;
                else if (hex && c >= 'A' && c <= 'F')
                    d = c - 'A' + 10;
                else
                    return Fail("bad character reference &" + name + ";");
                cp = cp * (hex ? 16 : 10) + d;
                if (cp > 0x10FFFF) return Fail("bad character reference &" + name + ";");
            }
            if (cp == 0) return Fail("bad character reference &" + name + ";");
            AppendUtf8(cp, out);
        } else {
            return Fail("unknown entity &" + name + ";");
        }
        Advance(semi - pos_ + 1);
        return true;
    }

    bool AttrValue(std::string *out) {
        char quote = Peek();
        if (quote != '"' && quote != '\'') return Fail("attribute value must be quoted");
        Advance();
        for (;;) {
            if (AtEnd()) return Fail("unterminated attribute value");
            char c = Peek();
            if (c == quote) {
                Advance();
                return true;
            }
            if (c == '<') return Fail("'<' in attribute value");
            if (c == '&') {
                if (!Entity(out)) return false;
                continue;
            }
            // Line breaks inside values read as spaces, as XML normalises them.
            if (c == '\n' || c == '\r' || c == '\t') {
                out->push_back(' ');
                Advance();
                continue;
            }
            // The rest of a plain run goes over in one piece: a resource has thousands of values.
            size_t end = pos_ + 1;
            while (end < s_.size()) {
                const char d = s_[end];
                if (d == quote || d == '<' || d == '&' || d == '\n' || d == '\r' || d == '\t')
                    break;
                ++end;
            }
            out->append(s_, pos_, end - pos_);
            pos_ = end;
        }
    }

    bool Element(XmlNode *node, int depth) {
        if (depth > 64) return Fail("elements nested too deeply");
        if (Peek() != '<') return Fail("expected '<'");
        node->line = line_;
        node->file = file_;
        Advance();
        if (!Name(&node->name)) return false;
        auto &attrs = scratch_;
        attrs.clear();
        bool empty = false;
        for (;;) {
            bool hadSpace = IsSpace(Peek());
            SkipSpace();
            if (AtEnd()) return Fail("unterminated start tag <" + node->name + ">");
            if (StartsWith("/>")) {
                Advance(2);
                empty = true;
                break;
            }
            if (Peek() == '>') {
                Advance();
                break;
            }
            if (!hadSpace) return Fail("expected a space between attributes");
            attrs.emplace_back();
            std::string &key = attrs.back().first;
            if (!Name(&key)) return false;
            SkipSpace();
            if (Peek() != '=') return Fail("expected '=' after attribute " + key);
            Advance();
            SkipSpace();
            if (!AttrValue(&attrs.back().second)) return false;
            for (size_t i = 0; i + 1 < attrs.size(); ++i)
                if (attrs[i].first == key) return Fail("attribute " + key + " given twice");
        }
        node->attrs.assign(std::make_move_iterator(attrs.begin()),
                           std::make_move_iterator(attrs.end()));
        if (empty) return true;
        // Content: child elements, comments and whitespace. Text is not part of the format.
        for (;;) {
            SkipSpace();
            if (AtEnd()) return Fail("element <" + node->name + "> is not closed");
            if (StartsWith("<!--")) {
                if (!SkipPast("-->", "comment")) return false;
            } else if (StartsWith("<?")) {
                if (!SkipPast("?>", "processing instruction")) return false;
            } else if (StartsWith("</")) {
                Advance(2);
                std::string closing;
                if (!Name(&closing)) return false;
                if (closing != node->name)
                    return Fail("</" + closing + "> closes <" + node->name + ">");
                SkipSpace();
                if (Peek() != '>') return Fail("expected '>'");
                Advance();
                return true;
            } else if (Peek() == '<') {
                node->children.emplace_back();
                if (!Element(&node->children.back(), depth + 1)) return false;
            } else {
                return Fail("unexpected text inside <" + node->name + ">");
            }
        }
    }
};

bool ParseWithIncludes(const std::string &path, XmlNode *root, std::string *error,
                       std::vector<std::string> *stack) {
    if (stack->size() > 16) {
        *error = path + ": includes nested too deeply";
        return false;
    }
    for (const auto &open : *stack)
        if (open == path) {
            *error = path + ": includes itself";
            return false;
        }
    std::string text;
    if (!ReadWholeFile(path, &text, error)) return false;
    if (!ParseXml(text, path, root, error)) return false;
    stack->push_back(path);
    std::vector<XmlNode> merged;
    for (auto &child : root->children) {
        if (child.name != "include") {
            merged.push_back(std::move(child));
            continue;
        }
        const std::string *file = child.Attr("file");
        if (!file || file->empty() || child.attrs.size() != 1 || !child.children.empty()) {
            *error = child.Where() + ": <include> takes exactly one attribute, file";
            return false;
        }
        std::string target = (*file)[0] == '/' ? *file : DirName(path) + "/" + *file;
        XmlNode sub;
        if (!ParseWithIncludes(target, &sub, error, stack)) {
            *error = child.Where() + ": in include: " + *error;
            return false;
        }
        if (sub.name != root->name) {
            *error = target + ":" + std::to_string(sub.line) + ": root element <" + sub.name +
                     "> differs from <" + root->name + "> of the including file";
            return false;
        }
        for (auto &n : sub.children) merged.push_back(std::move(n));
    }
    root->children = std::move(merged);
    stack->pop_back();
    return true;
}

void Escape(const std::string &in, std::string *out) {
    for (char c : in) {
        switch (c) {
        case '&':
            *out += "&amp;";
            break;
        case '<':
            *out += "&lt;";
            break;
        case '>':
            *out += "&gt;";
            break;
        case '"':
            *out += "&quot;";
            break;
        default:
            out->push_back(c);
        }
    }
}

void WriteNode(const XmlNode &n, int depth, std::string *out) {
    out->append(static_cast<size_t>(depth) * 2, ' ');
    *out += "<" + n.name;
    for (const auto &a : n.attrs) {
        *out += " " + a.first + "=\"";
        Escape(a.second, out);
        *out += "\"";
    }
    if (n.children.empty()) {
        *out += "/>\n";
        return;
    }
    *out += ">\n";
    for (const auto &c : n.children) WriteNode(c, depth + 1, out);
    out->append(static_cast<size_t>(depth) * 2, ' ');
    *out += "</" + n.name + ">\n";
}

} // namespace

// Plain reads, not a file stream: a stream sets up its locale and buffers first, which cost
// as much as reading the main resource itself when the window is about to be built.
bool ReadWholeFile(const std::string &path, std::string *text, std::string *error) {
    const int failed = ReadFile_Whole(path.c_str(), text);
    if (failed == 0) return true;
    *error = path + ": cannot open: " + strerror(failed);
    return false;
}

bool ParseXml(const std::string &text, const std::string &fileName, XmlNode *root,
              std::string *error) {
    *root = XmlNode();
    std::string dummy;
    Reader reader(text, fileName);
    return reader.Document(root, error ? error : &dummy);
}

bool ParseXmlFile(const std::string &path, XmlNode *root, std::string *error) {
    std::string dummy;
    std::vector<std::string> stack;
    *root = XmlNode();
    return ParseWithIncludes(path, root, error ? error : &dummy, &stack);
}

std::string WriteXml(const XmlNode &root) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    WriteNode(root, 0, &out);
    return out;
}

std::string DirName(const std::string &path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

} // namespace uir
