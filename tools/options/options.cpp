// Command-line reading shared by the package's command-line programs.
#include "options/options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <strings.h>

OptionReader::OptionReader(int argc, const char *const *argv) {
    for (int i = 1; i < argc; ++i) args_.emplace_back(argv[i] ? argv[i] : "");
}

bool OptionReader::Next() {
    if (next_ >= args_.size()) return false;
    arg_ = args_[next_++];
    if (!operandsOnly_ && arg_ == "--") {
        operandsOnly_ = true;
        return Next();
    }
    // A lone "-" is an operand, as it is for most programs (standard input or output).
    option_ = !operandsOnly_ && arg_.size() > 1 && arg_[0] == '-';
    hasInline_ = false;
    name_ = arg_;
    inlineValue_.clear();
    if (option_ && arg_[1] == '-') {
        size_t eq = arg_.find('=');
        if (eq != std::string::npos) {
            name_ = arg_.substr(0, eq);
            inlineValue_ = arg_.substr(eq + 1);
            hasInline_ = true;
        }
    }
    return true;
}

bool OptionReader::Is(const char *name, const char *alias) const {
    if (!option_) return false;
    return name_ == name || (alias != nullptr && arg_ == alias);
}

bool OptionReader::Fail(const std::string &message) {
    error_ = message;
    return false;
}

bool OptionReader::Unknown() {
    return Fail("unknown option '" + name_ + "'");
}

bool OptionReader::Flag() {
    if (hasInline_) return Fail(name_ + " takes no value");
    return true;
}

bool OptionReader::TakeValue(const char *what, std::string *out) {
    if (hasInline_) {
        *out = inlineValue_;
        return true;
    }
    if (next_ < args_.size()) {
        *out = args_[next_++];
        return true;
    }
    return Fail(NeedsMessage(name_, what, nullptr));
}

bool OptionReader::Text(const char *what, std::string *out) {
    std::string v;
    if (!TakeValue(what, &v)) return false;
    if (v.empty()) return Fail(NeedsMessage(name_, what, nullptr));
    *out = v;
    return true;
}

bool OptionReader::Number(long lo, long hi, const char *what, long *out) {
    std::string range = RangeWhat(what, lo, hi), v;
    if (!TakeValue(range.c_str(), &v)) return false;
    if (!ParseNumber(v, lo, hi, out)) return Fail(NeedsMessage(name_, range, v.c_str()));
    return true;
}

bool OptionReader::Number(int lo, int hi, const char *what, int *out) {
    long v = 0;
    if (!Number(static_cast<long>(lo), static_cast<long>(hi), what, &v)) return false;
    *out = static_cast<int>(v);
    return true;
}

bool OptionReader::Real(double lo, double hi, const char *what, double *out) {
    std::string v;
    if (!TakeValue(what, &v)) return false;
    char *end = nullptr;
    errno = 0;
    double f = v.empty() ? 0.0 : std::strtod(v.c_str(), &end);
    bool good = !v.empty() && errno == 0 && *end == '\0' && std::isfinite(f) && f > lo && f <= hi;
    if (!good) return Fail(NeedsMessage(name_, what, v.c_str()));
    *out = f;
    return true;
}

bool OptionReader::List(long lo, long hi, const char *what, std::vector<int> *out) {
    std::string range = RangeWhat(what, lo, hi), v;
    if (!TakeValue(range.c_str(), &v)) return false;
    if (!ParseList(v, lo, hi, out)) return Fail(NeedsMessage(name_, range, v.c_str()));
    return true;
}

bool OptionReader::Word(const OptionWord *words, int count, const char *what, int *out) {
    std::string v;
    if (!TakeValue(what, &v)) return false;
    if (!ParseWord(v, words, count, out)) return Fail(NeedsMessage(name_, what, v.c_str()));
    return true;
}

bool ParseNumber(const std::string &text, long lo, long hi, long *out) {
    // strtol would also take leading blanks and a plus sign; a number is digits, maybe signed.
    if (text.empty() || !(text[0] == '-' || (text[0] >= '0' && text[0] <= '9'))) return false;
    char *end = nullptr;
    errno = 0;
    long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || end == text.c_str() || v < lo || v > hi) return false;
    *out = v;
    return true;
}

bool ParseList(const std::string &text, long lo, long hi, std::vector<int> *out) {
    std::vector<int> got;
    size_t from = 0;
    for (;;) {
        size_t at = text.find(',', from);
        long v = 0;
        if (!ParseNumber(text.substr(from, at == std::string::npos ? at : at - from), lo, hi, &v))
            return false;
        got.push_back(static_cast<int>(v));
        if (at == std::string::npos) break;
        from = at + 1;
    }
    out->insert(out->end(), got.begin(), got.end());
    return true;
}

bool ParseWord(const std::string &text, const OptionWord *words, int count, int *out) {
    for (int i = 0; i < count; ++i) {
        if (strcasecmp(text.c_str(), words[i].word) == 0) {
            *out = words[i].value;
            return true;
        }
    }
    return false;
}

std::string RangeWhat(const char *what, long lo, long hi) {
    return std::string(what) + " " + std::to_string(lo) + ".." + std::to_string(hi);
}

std::string NeedsMessage(const std::string &who, const std::string &what, const char *given) {
    std::string m = who + " needs " + what;
    if (given != nullptr) m += std::string(", not '") + given + "'";
    return m;
}

std::string UsageText(const char *program, const std::string &message) {
    return std::string(program) + ": " + message + "\nTry '" + program + " --help'.\n";
}

std::string VersionText(const char *program) {
    return std::string(program) + " " + kPackageVersion + "\n";
}
