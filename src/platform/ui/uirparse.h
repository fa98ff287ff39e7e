// A small XML reader for the resource files: elements, attributes, character entities and
// comments, with `<include file="..."/>` spliced in at the top level. No toolkit types, so the
// build-time generator and the run-time loader read the files with the same code.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace uir {

using AttrList = std::vector<std::pair<std::string, std::string>>; // name, value; in file order

// The value of the attribute `key` in `attrs`, or nullptr when it is absent.
const std::string *FindAttr(const AttrList &attrs, std::string_view key);

struct XmlNode {
    std::string name;
    AttrList attrs;
    std::vector<XmlNode> children;           // elements only
    std::shared_ptr<const std::string> file; // file the element came from, shared by its elements
    int line = 0;                            // line of its start tag

    std::string Where() const; // "FILE:LINE", where error messages point

    // Pointer to the value of the attribute, or nullptr when it is absent.
    const std::string *Attr(std::string_view key) const { return FindAttr(attrs, key); }
};

// Parses one document held in memory. On failure returns false and sets error to
// "FILE:LINE: reason".
bool ParseXml(const std::string &text, const std::string &fileName, XmlNode *root,
              std::string *error);

// Reads a file and parses it; every top-level `<include file="..."/>` is replaced by the
// children of the included file's root, the path taken relative to the including file.
// Include cycles and include files with a different root element are errors.
bool ParseXmlFile(const std::string &path, XmlNode *root, std::string *error);

// Reads a whole file into *text; on failure sets error to "PATH: reason".
bool ReadWholeFile(const std::string &path, std::string *text, std::string *error);

// Writes the tree back as XML (attribute values escaped), two spaces per level.
std::string WriteXml(const XmlNode &root);

// Directory part of a path ("." when it has none).
std::string DirName(const std::string &path);

} // namespace uir
