// Language files for the shell tests: a translation made from the built English file, so the
// tests do not depend on the shipped translations, and helpers that read the texts back.
#pragma once

#include "app_fixture.h"
#include "langtexts.h"

#include <string>

namespace apptest {

// What the test translation puts after every text.
inline const std::string kTranslated = " (de)";

// Writes `name` into `dir`: the English file with kTranslated after every text.
inline void WriteTranslatedLanguageFile(const std::string &dir, const std::string &name) {
    const std::string path = dir + "/" + name;
    WriteFile(path, ReadFile(std::string(KR7M_BIN_DIR) + "/kr7meng.lwl"));
    langtest::Translate(path);
}

} // namespace apptest
