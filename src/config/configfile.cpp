// Writing and reading configuration files.
#include "config/configfile.h"

#include "link/report.h"
#include "platform/file/replacefile.h"

#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

const ConfigCaptions kEnglishCaptions = {
    "Date",        "Time",           "Voltage transformer", "Current transformer", "Connection",
    "Output 1",    "Output 2",       "Switch-on limit",     "Switch-off limit",    "Pulse rate",
    "Description", "Device address", "Baud rate",
};

namespace {

constexpr int kDescrMax = static_cast<int>(sizeof(record::Descr)) - 1;

// A text as one column: tabs and line breaks would split or shift columns, so they become
// blanks. nullptr is an empty column.
void AppendColumn(std::string &line, const char *text, size_t max = std::string::npos) {
    if (text != nullptr) {
        for (size_t n = 0; text[n] != '\0' && n < max; n++) {
            char c = text[n];
            line += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
        }
    }
    line += '\t';
}

void AppendInt(std::string &line, long value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%ld", value);
    line += buf;
    line += '\t';
}

// Six decimals like "%f", but always with a decimal point: the GUI runs with the user's locale,
// and a file must read back the same on every machine.
void AppendFloat(std::string &line, float value) {
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(value),
                             std::chars_format::fixed, 6);
    line.append(buf, res.ec == std::errc() ? res.ptr : buf);
    line += '\t';
}

void SetDetail(const std::string &text) {
    SetErrorDetail(text.c_str());
}

std::string SysDetail(const char *path, const char *what, int err) {
    return std::string(path) + ": " + what + ": " + std::strerror(err);
}

// ---- reading --------------------------------------------------------------------------------

const char *SkipBlanks(const char *p, const char *end) {
    while (p < end && (*p == ' ' || *p == '\t')) p++;
    return p;
}

bool ParseLong(const std::string &field, long lo, long hi, long *out) {
    const char *p = SkipBlanks(field.data(), field.data() + field.size());
    const char *end = field.data() + field.size();
    if (p < end && *p == '+') p++;
    long v = 0;
    auto res = std::from_chars(p, end, v);
    if (res.ec != std::errc() || SkipBlanks(res.ptr, end) != end) return false;
    if (v < lo || v > hi) return false;
    *out = v;
    return true;
}

bool ParseFloat(const std::string &field, float *out) {
    const char *p = SkipBlanks(field.data(), field.data() + field.size());
    const char *end = field.data() + field.size();
    if (p < end && *p == '+') p++;
    double v = 0;
    auto res = std::from_chars(p, end, v, std::chars_format::general);
    if (res.ec != std::errc() || SkipBlanks(res.ptr, end) != end) return false;
    if (!std::isfinite(v) || std::fabs(v) > FLT_MAX) return false;
    *out = static_cast<float>(v);
    return true;
}

// How far the reader looks for the end of a line before it gives up on the file: far beyond
// any configuration file, near enough that a big file chosen by mistake is refused quickly.
constexpr size_t kLineScanMax = 1u << 20;

enum LineResult { kLineRead, kLineMissing, kLineTooLong, kLineFailed };

// Reads one line into out, keeping at most kConfigLineMax characters and skipping the rest.
// The line end (LF, or CR LF) is not kept.
LineResult ReadLine(FILE *f, std::string &out) {
    out.clear();
    size_t length = 0;
    int c;
    while ((c = std::getc(f)) != EOF && c != '\n') {
        if (length < static_cast<size_t>(kConfigLineMax)) out += static_cast<char>(c);
        if (++length > kLineScanMax) return kLineTooLong;
    }
    if (c == EOF && std::ferror(f)) return kLineFailed;
    if (c == EOF && length == 0) return kLineMissing;
    if (length <= static_cast<size_t>(kConfigLineMax) && !out.empty() && out.back() == '\r') {
        out.pop_back();
    }
    return kLineRead;
}

} // namespace

ConfigStamp ConfigStampNow() {
    ConfigStamp s{};
    time_t now = std::time(nullptr);
    struct tm t {};
    if (now == static_cast<time_t>(-1) || localtime_r(&now, &t) == nullptr) {
        std::snprintf(s.date, sizeof s.date, "00.00.0000");
        std::snprintf(s.time, sizeof s.time, "00:00:00");
        return s;
    }
    std::snprintf(s.date, sizeof s.date, "%02u.%02u.%04u", static_cast<unsigned>(t.tm_mday),
                  static_cast<unsigned>(t.tm_mon + 1), static_cast<unsigned>(t.tm_year + 1900));
    std::snprintf(s.time, sizeof s.time, "%02u:%02u:%02u", static_cast<unsigned>(t.tm_hour),
                  static_cast<unsigned>(t.tm_min), static_cast<unsigned>(t.tm_sec));
    return s;
}

ConfigShown ConfigShownOf(const record *rec) {
    return ConfigShown{rec->System, rec->Descr};
}

std::string ConfigHeaderLine(const ConfigCaptions &c) {
    std::string line;
    AppendColumn(line, c.date);
    AppendColumn(line, c.time);
    AppendColumn(line, "Interface");
    AppendColumn(line, "MAX U");
    AppendColumn(line, "MAX I");
    AppendColumn(line, c.voltageTransformer);
    line += '\t'; // the transformer captions head two columns each
    AppendColumn(line, c.currentTransformer);
    line += '\t';
    AppendColumn(line, c.system);
    AppendColumn(line, "EnergyControl");
    AppendColumn(line, c.output1);
    AppendColumn(line, c.output2);
    for (const char *label : {c.limitOn, c.limitOff, c.pulseRate}) {
        for (const char *n : {"1", "2"}) {
            std::string caption = label != nullptr ? label : "";
            caption += n;
            AppendColumn(line, caption.c_str());
        }
    }
    AppendColumn(line, c.description);
    AppendColumn(line, c.deviceAddress);
    AppendColumn(line, c.deviceBaud);
    AppendColumn(line, "Display");
    AppendColumn(line, "Image");
    AppendColumn(line, "Logger");
    return line;
}

std::string ConfigValueLine(const record *rec, const ConfigStamp &stamp, const ConfigShown &shown) {
    std::string line;
    AppendColumn(line, stamp.date);
    AppendColumn(line, stamp.time);
    AppendInt(line, rec->Module);
    AppendInt(line, rec->RatedU);
    AppendInt(line, rec->RatedI);
    AppendFloat(line, rec->UrPrim);
    AppendInt(line, rec->UrSec);
    AppendFloat(line, rec->IrPrim);
    AppendFloat(line, rec->IrSec);
    AppendInt(line, shown.system);
    AppendInt(line, rec->EnergyControl);
    AppendInt(line, rec->DigOut[0]);
    AppendInt(line, rec->DigOut[1]);
    AppendInt(line, rec->LimOn[0]);
    AppendInt(line, rec->LimOn[1]);
    AppendInt(line, rec->LimOff[0]);
    AppendInt(line, rec->LimOff[1]);
    AppendInt(line, rec->PulsRate[0]);
    AppendInt(line, rec->PulsRate[1]);
    AppendColumn(line, shown.description, kDescrMax);
    AppendInt(line, rec->DevAddr);
    AppendInt(line, rec->DevBaud);
    AppendInt(line, rec->Display);
    AppendInt(line, static_cast<int8_t>(rec->Image));
    AppendInt(line, rec->Logger);
    return line;
}

int ParseConfigValueLine(const std::string &line, record *rec, std::string *why) {
    std::string fields[kConfigColumns];
    size_t start = 0;
    for (int n = 0; n < kConfigColumns; n++) {
        size_t tab = line.find('\t', start);
        if (tab == std::string::npos) {
            if (why)
                *why = "the value line has " + std::to_string(n) + " columns, " +
                       std::to_string(kConfigColumns) + " expected";
            return 0;
        }
        fields[n] = line.substr(start, tab - start);
        start = tab + 1;
    }

    // Integers are stored in their field's width; a value that no writer of that width can
    // produce means the file is damaged.
    constexpr long k16Lo = -32768, k16Hi = 65535, k8Lo = -128, k8Hi = 255;
    struct IntColumn {
        int col;
        long lo, hi;
    };
    static const IntColumn kInts[] = {
        {2, INT_MIN, INT_MAX}, {3, k16Lo, k16Hi},  {4, k16Lo, k16Hi},  {6, k16Lo, k16Hi},
        {9, k8Lo, k8Hi},       {10, k8Lo, k8Hi},   {11, k8Lo, k8Hi},   {12, k8Lo, k8Hi},
        {13, k16Lo, k16Hi},    {14, k16Lo, k16Hi}, {15, k16Lo, k16Hi}, {16, k16Lo, k16Hi},
        {17, k16Lo, k16Hi},    {18, k16Lo, k16Hi}, {20, k8Lo, k8Hi},   {21, k8Lo, k8Hi},
        {22, k8Lo, k8Hi},      {23, k8Lo, k8Hi},   {24, k16Lo, k16Hi},
    };
    long v[kConfigColumns] = {};
    for (const IntColumn &c : kInts) {
        if (!ParseLong(fields[c.col], c.lo, c.hi, &v[c.col])) {
            if (why)
                *why = "column " + std::to_string(c.col + 1) + " holds \"" +
                       fields[c.col].substr(0, 40) + "\", not an integer in its range";
            return 0;
        }
    }
    float f[kConfigColumns] = {};
    for (int col : {5, 7, 8}) {
        if (!ParseFloat(fields[col], &f[col])) {
            if (why)
                *why = "column " + std::to_string(col + 1) + " holds \"" +
                       fields[col].substr(0, 40) + "\", not a number";
            return 0;
        }
    }

    record r = *rec;
    r.Module = v[2] != 0 ? 1 : 0;
    r.RatedU = static_cast<int16_t>(v[3]);
    r.RatedI = static_cast<int16_t>(v[4]);
    r.UrPrim = f[5];
    r.UrSec = static_cast<uint16_t>(v[6]);
    r.IrPrim = f[7];
    r.IrSec = f[8];
    r.System = static_cast<uint8_t>(v[9]);
    r.EnergyControl = static_cast<uint8_t>(v[10]);
    r.DigOut[0] = static_cast<uint8_t>(v[11]);
    r.DigOut[1] = static_cast<uint8_t>(v[12]);
    r.LimOn[0] = static_cast<int16_t>(v[13]);
    r.LimOn[1] = static_cast<int16_t>(v[14]);
    r.LimOff[0] = static_cast<int16_t>(v[15]);
    r.LimOff[1] = static_cast<int16_t>(v[16]);
    r.PulsRate[0] = static_cast<int16_t>(v[17]);
    r.PulsRate[1] = static_cast<int16_t>(v[18]);
    // The whole field is cleared first: the description goes to the instrument as 48 bytes.
    std::memset(r.Descr, 0, sizeof r.Descr);
    std::strncpy(r.Descr, fields[19].c_str(), kDescrMax);
    r.DevAddr = static_cast<uint8_t>(v[20]);
    r.DevBaud = static_cast<uint8_t>(v[21]);
    r.Display = static_cast<uint8_t>(v[22]);
    r.Image = static_cast<uint8_t>(v[23]);
    r.Logger = static_cast<uint16_t>(v[24]);
    *rec = r;
    return 1;
}

int WriteConfigFile(const char *path, const record *rec, const ConfigCaptions &captions,
                    const ConfigStamp &stamp, const ConfigShown &shown) {
    if (path == nullptr || path[0] == '\0') {
        SetErrorDetail("No file name was given.");
        Error(2, 5);
        return 0;
    }
    std::string data =
        ConfigHeaderLine(captions) + "\r\n" + ConfigValueLine(rec, stamp, shown) + "\r\n";
    // Whatever the reason, the user is told the file cannot be written; the detail says why.
    if (ReplaceFile_WithBuffer(path, data.data(), data.size(), nullptr) != REPLACE_OK) {
        SetErrorDetail(ReplaceFile_LastErrorText());
        Error(2, 5);
        return 0;
    }
    return 1;
}

int OpenConfigFile(const char *path, record *rec) {
    if (path == nullptr || path[0] == '\0') {
        SetErrorDetail("No file name was given.");
        Error(2, 5);
        return 0;
    }
    // Non-blocking, so that a FIFO or device chosen by mistake cannot hang the program; only
    // regular files are read.
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        SetDetail(SysDetail(path, "cannot open", errno));
        Error(2, 5);
        return 0;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        SetDetail(SysDetail(path, "cannot read", errno));
        close(fd);
        Error(2, 5);
        return 0;
    }
    if (!S_ISREG(st.st_mode)) {
        SetDetail(std::string(path) +
                  (S_ISDIR(st.st_mode) ? ": is a folder, not a file" : ": is not a regular file"));
        close(fd);
        Error(2, 5);
        return 0;
    }
    FILE *f = fdopen(fd, "rb");
    if (f == nullptr) {
        SetDetail(SysDetail(path, "cannot read", errno));
        close(fd);
        Error(2, 5);
        return 0;
    }

    std::string header, values;
    LineResult first = ReadLine(f, header);
    LineResult second = first == kLineRead ? ReadLine(f, values) : kLineMissing;
    int readErr = errno;
    std::fclose(f); // read-only: nothing to lose if closing fails
    if (first == kLineFailed || second == kLineFailed) {
        SetDetail(SysDetail(path, "cannot read", readErr));
        Error(2, 5);
        return 0;
    }
    if (first == kLineTooLong || second == kLineTooLong) {
        SetDetail(std::string(path) + ": a line is far too long for a configuration file");
        Error(3, 6);
        return 0;
    }
    if (first == kLineMissing) {
        SetDetail(std::string(path) + ": the file is empty");
        Error(3, 6);
        return 0;
    }
    // The first character is not counted: a header that starts with a tab has lost its date
    // caption and is not one this program wrote.
    size_t tabs = 0;
    for (size_t n = 1; n < header.size(); n++) tabs += header[n] == '\t';
    if (tabs < static_cast<size_t>(kConfigColumns)) {
        SetDetail(std::string(path) + ": the caption line has " + std::to_string(tabs) +
                  " column separators, " + std::to_string(kConfigColumns) + " expected");
        Error(3, 6);
        return 0;
    }
    if (second == kLineMissing) {
        SetDetail(std::string(path) + ": the line of values is missing");
        Error(3, 6);
        return 0;
    }
    std::string why;
    if (!ParseConfigValueLine(values, rec, &why)) {
        SetDetail(std::string(path) + ": " + why);
        Error(3, 6);
        return 0;
    }
    return 1;
}
