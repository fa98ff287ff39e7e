// Fault injection: which answers the simulator spoils, and how. A plan is a list of rules; each
// answered request is counted, and the first rule that fires decides its fate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class FaultKind { None, Drop, BadCrc, Short, Late };

struct FaultRule {
    FaultKind kind = FaultKind::None;
    enum { Every, First, Random, At } when = Every;
    long n = 1;        // Every: each n-th request; First: the first n requests; At: from n
    long last = 0;     // At: up to this request
    double p = 0;      // Random: probability per request
    int delayMs = 500; // Late: how long the answer is held back
};

struct FaultPlan {
    std::vector<FaultRule> rules;
    long counted = 0; // requests seen so far
    uint64_t rng = 0x9E3779B97F4A7C15ull;
    long injected[5] = {}; // per FaultKind, for the log and the tests
};

// Parses fault rules (grammar in the program's help). Returns false and sets `error` on
// malformed rules; `plan` is then unchanged.
bool ParseFaultRules(const std::string &text, FaultPlan &plan, std::string &error);

// Counts one request and tells what to do with its answer; `delayMs` receives the delay of a
// late answer.
FaultKind NextFault(FaultPlan &plan, int *delayMs);

// Spoils an answer in place for BadCrc and Short; returns the length to send.
int ApplyFault(FaultKind kind, unsigned char *answer, int length);

const char *FaultName(FaultKind kind);
