// Fault rules: "KIND[=MS][:WHEN],..." with KIND drop, crc, short or late and WHEN
// every=N, first=N, p=P or at=N[-M] (no WHEN: every answer).
#include "sim/fault.h"

#include <cerrno>
#include <cstdlib>

namespace {

std::vector<std::string> Split(const std::string &s, char sep) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (;;) {
        size_t at = s.find(sep, from);
        parts.push_back(s.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos) return parts;
        from = at + 1;
    }
}

bool ParseLong(const std::string &text, long lo, long hi, long *out) {
    if (text.empty()) return false;
    char *end = nullptr;
    errno = 0;
    long v = std::strtol(text.c_str(), &end, 10);
    if (errno || *end || v < lo || v > hi) return false;
    *out = v;
    return true;
}

// "N" or "N-M" with 1 <= N <= M: the requests a rule spoils.
bool ParseSpan(const std::string &text, long *from, long *to) {
    size_t dash = text.find('-');
    if (dash == std::string::npos) {
        if (!ParseLong(text, 1, 1000000000, from)) return false;
        *to = *from;
        return true;
    }
    return ParseLong(text.substr(0, dash), 1, 1000000000, from) &&
           ParseLong(text.substr(dash + 1), *from, 1000000000, to);
}

bool ParseProbability(const std::string &text, double *out) {
    if (text.empty()) return false;
    char *end = nullptr;
    errno = 0;
    double v = std::strtod(text.c_str(), &end);
    if (errno || *end || !(v >= 0.0 && v <= 1.0)) return false;
    *out = v;
    return true;
}

bool ParseRule(const std::string &item, FaultRule &rule, std::string &error) {
    std::vector<std::string> halves = Split(item, ':');
    if (halves.size() > 2) {
        error = "too many ':' in \"" + item + "\"";
        return false;
    }
    std::string kind = halves[0], delay;
    size_t eq = kind.find('=');
    if (eq != std::string::npos) delay = kind.substr(eq + 1), kind = kind.substr(0, eq);
    if (kind == "drop")
        rule.kind = FaultKind::Drop;
    else if (kind == "crc")
        rule.kind = FaultKind::BadCrc;
    else if (kind == "short")
        rule.kind = FaultKind::Short;
    else if (kind == "late")
        rule.kind = FaultKind::Late;
    else {
        error = "unknown fault \"" + kind + "\" (drop, crc, short, late)";
        return false;
    }
    if (eq != std::string::npos) {
        long ms;
        if (rule.kind != FaultKind::Late || !ParseLong(delay, 1, 60000, &ms)) {
            error = "only late takes a delay, 1 to 60000 ms: \"" + halves[0] + "\"";
            return false;
        }
        rule.delayMs = static_cast<int>(ms);
    }
    if (halves.size() == 1) return true; // every answer
    std::string when = halves[1];
    eq = when.find('=');
    std::string key = when.substr(0, eq),
                value = eq == std::string::npos ? "" : when.substr(eq + 1);
    if (key == "every" && ParseLong(value, 1, 1000000000, &rule.n))
        rule.when = FaultRule::Every;
    else if (key == "first" && ParseLong(value, 1, 1000000000, &rule.n))
        rule.when = FaultRule::First;
    else if (key == "p" && ParseProbability(value, &rule.p))
        rule.when = FaultRule::Random;
    else if (key == "at" && ParseSpan(value, &rule.n, &rule.last))
        rule.when = FaultRule::At;
    else {
        error = "bad condition \"" + when + "\" (every=N, first=N, p=0..1, at=N or at=N-M)";
        return false;
    }
    return true;
}

// xorshift64*: reproducible from the seed, good enough to pick faults.
double NextRandom(uint64_t &state) {
    state ^= state >> 12, state ^= state << 25, state ^= state >> 27;
    return static_cast<double>((state * 2685821657736338717ull) >> 11) / 9007199254740992.0;
}

} // namespace

bool ParseFaultRules(const std::string &text, FaultPlan &plan, std::string &error) {
    std::vector<FaultRule> rules;
    for (const std::string &item : Split(text, ',')) {
        FaultRule rule;
        if (!ParseRule(item, rule, error)) return false;
        rules.push_back(rule);
    }
    plan.rules.insert(plan.rules.end(), rules.begin(), rules.end());
    return true;
}

FaultKind NextFault(FaultPlan &plan, int *delayMs) {
    long k = ++plan.counted;
    for (const FaultRule &r : plan.rules) {
        bool fires = false;
        switch (r.when) {
        case FaultRule::Every:
            fires = k % r.n == 0;
            break;
        case FaultRule::First:
            fires = k <= r.n;
            break;
        case FaultRule::Random:
            fires = NextRandom(plan.rng) < r.p;
            break;
        case FaultRule::At:
            fires = k >= r.n && k <= r.last;
            break;
        }
        if (fires) {
            if (delayMs) *delayMs = r.delayMs;
            ++plan.injected[static_cast<int>(r.kind)];
            return r.kind;
        }
    }
    return FaultKind::None;
}

int ApplyFault(FaultKind kind, unsigned char *answer, int length) {
    if (kind == FaultKind::BadCrc && length >= 2) {
        answer[length - 1] ^= 0x5A;
        return length;
    }
    if (kind == FaultKind::Short) return length > 1 ? length / 2 : 0;
    if (kind == FaultKind::Drop) return 0;
    return length;
}

const char *FaultName(FaultKind kind) {
    switch (kind) {
    case FaultKind::Drop:
        return "drop";
    case FaultKind::BadCrc:
        return "crc";
    case FaultKind::Short:
        return "short";
    case FaultKind::Late:
        return "late";
    default:
        return "none";
    }
}
