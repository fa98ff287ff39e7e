// The resource model in a compiled form, written by the build beside the merged resource file.
// Reading it skips the parse and the checks, which the build made on the same text; it is used
// only for exactly the text it was made from, so an edited resource file is read as text.
#pragma once

#include "platform/ui/uirmodel.h"

#include <string>

namespace uir {

// The compiled form of `res`, which was built from `text`.
std::string CompileResource(const Resource &res, const std::string &text);

// Fills *out from a compiled form. False, with *out empty, unless `data` is whole and was
// compiled from exactly `text`. The panels' attributes and controls are read when each panel
// is first looked up (Resource::FindPanel); *out keeps a copy of the form for that.
bool ReadCompiledResource(const std::string &data, const std::string &text, Resource *out);

// Reads the attributes and controls of panel `index` out of the compiled form, once. False
// when there is no such panel or its bytes make none (the panel's id is then 0).
bool ReadPanelBytes(Resource *res, size_t index);

// Where the compiled form of a resource file lies: beside it, "c" appended to its name.
std::string CompiledPath(const std::string &uirPath);

// Reads the resource file and its compiled form. False when either cannot be read or the
// compiled form does not belong to the file as it is; the file must then be parsed.
bool LoadCompiledResource(const std::string &uirPath, Resource *out);

} // namespace uir
