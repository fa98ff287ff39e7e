// Command-line reading shared by kr7mctl and kr7m-sim: options as "--name VALUE" or
// "--name=VALUE", numbers in a range, lists of numbers, words from a table, and one wording of
// every usage error, so that both programs answer a mistake the same way.
#pragma once

#include <string>
#include <vector>

// The version of the programs of this package (the configurator window shows the same).
inline constexpr const char kPackageVersion[] = "1.00";

// Bus addresses an instrument can have; 0 is the broadcast, 248..255 are not addresses on a bus.
inline constexpr int kFirstBusAddress = 1;
inline constexpr int kLastBusAddress = 247;
inline constexpr const char kBusAddressWhat[] = "a bus address";

// What a command line asks a program to do.
enum CommandLineAction {
    kRunProgram,  // options read, go on
    kShowHelp,    // --help
    kShowVersion, // --version
    kBadUsage,    // the error text says why
};

// A word an option accepts and the value it stands for. Words are compared without regard to
// case.
struct OptionWord {
    const char *word;
    int value;
};

// The arguments of a command line, one at a time. Options may stand before, between and after
// operands; after "--" every argument is an operand. The value takers consume the option's
// value (after "=" or the next argument) and return false with Error() set when it is missing
// or wrong; the caller then stops reading.
class OptionReader {
  public:
    OptionReader(int argc, const char *const *argv);

    // Moves to the next argument; false when all have been read.
    bool Next();
    // The current argument is an option ("-x", "--name", "--name=VALUE"); otherwise an operand.
    bool IsOption() const { return option_; }
    // The current argument as given.
    const std::string &Arg() const { return arg_; }
    // The current option is `name` ("--bus", also as "--bus=VALUE") or its short form `alias`.
    bool Is(const char *name, const char *alias = nullptr) const;

    // The option takes no value: false for "--yes=1".
    bool Flag();
    // Any non-empty text; `what` names it for the error ("a file").
    bool Text(const char *what, std::string *out);
    // A whole number lo..hi; `what` names it without the range ("a port number").
    bool Number(long lo, long hi, const char *what, long *out);
    bool Number(int lo, int hi, const char *what, int *out);
    // A decimal number greater than lo and at most hi.
    bool Real(double lo, double hi, const char *what, double *out);
    // Whole numbers lo..hi separated by commas ("1,5,17"), appended to `out`.
    bool List(long lo, long hi, const char *what, std::vector<int> *out);
    // One of `count` words; `what` says which are allowed ("none, even or odd").
    bool Word(const OptionWord *words, int count, const char *what, int *out);

    // Sets Error() for an option that no one knows; returns false.
    bool Unknown();
    // Sets Error() to `message`; returns false.
    bool Fail(const std::string &message);
    const std::string &Error() const { return error_; }

  private:
    bool TakeValue(const char *what, std::string *out);

    std::vector<std::string> args_;
    size_t next_ = 0;
    std::string arg_, name_, inlineValue_, error_;
    bool option_ = false, hasInline_ = false, operandsOnly_ = false;
};

// The same checks for texts that are not option values (command operands).
bool ParseNumber(const std::string &text, long lo, long hi, long *out);
bool ParseList(const std::string &text, long lo, long hi, std::vector<int> *out);
bool ParseWord(const std::string &text, const OptionWord *words, int count, int *out);

// The one wording of a missing or bad value: "--bus needs a bus address 1..247, not '248'"
// (`given` nullptr: "--bus needs a bus address 1..247"). `who` is an option or a command.
std::string NeedsMessage(const std::string &who, const std::string &what, const char *given);
// "a port number" with the range lo..hi: "a port number 1..8".
std::string RangeWhat(const char *what, long lo, long hi);

// Exit status of bad usage.
inline constexpr int kExitUsageError = 2;

// What a program prints on standard error for bad usage: "program: message" and where help is.
std::string UsageText(const char *program, const std::string &message);
// What --version prints: "program 1.00".
std::string VersionText(const char *program);
