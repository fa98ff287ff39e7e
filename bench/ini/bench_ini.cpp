// Times the INI engine against QSettings (INI format) on the same work in the same run: read a
// sorted file of 20 000 items in 200 sections, look up every item, write it all to a new file.
// Prints the best of several rounds for each, and the ratio of each phase and of the total
// (above 1: ours is faster).
#include <QSettings>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "inifile/inifile.h"

namespace {

constexpr int kSections = 200;
constexpr int kItemsPerSection = 100;
constexpr int kRounds = 5;

using Clock = std::chrono::steady_clock;

struct Phases {
    double read = 0, lookup = 0, write = 0;
    double total = -1; // best total over the rounds, when set apart from the phases
    double Total() const { return total >= 0 ? total : read + lookup + write; }
};

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

std::string SectionName(int s) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "Section%03d", s);
    return buf;
}
std::string ItemName(int i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "Item%03d", i);
    return buf;
}

// The input in the form both readers take: sorted, unquoted values, CR LF.
bool WriteInput(const std::string &path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (int s = 0; s < kSections; ++s) {
        out << "[" << SectionName(s) << "]\r\n";
        for (int i = 0; i < kItemsPerSection; ++i)
            out << ItemName(i) << " = value-" << s * kItemsPerSection + i << "-abcdefgh\r\n";
        out << "\r\n";
    }
    return static_cast<bool>(out);
}

bool RunOurs(const std::string &in, const std::string &out, const std::vector<std::string> &secs,
             const std::vector<std::string> &items, Phases *p, size_t *found) {
    auto t0 = Clock::now();
    IniDoc doc = Ini_New(1);
    if (doc == nullptr || Ini_ReadFromFile(doc, in.c_str()) != 0) return false;
    auto t1 = Clock::now();
    IniDoc copy = Ini_New(1);
    for (const std::string &s : secs)
        for (const std::string &i : items) {
            const char *v = nullptr;
            if (Ini_GetPointerToRawString(doc, s.c_str(), i.c_str(), &v) == 1) {
                *found += 1;
                Ini_PutRawString(copy, s.c_str(), i.c_str(), v);
            }
        }
    auto t2 = Clock::now();
    if (Ini_WriteToFile(copy, out.c_str()) != 0) return false;
    auto t3 = Clock::now();
    Ini_Dispose(copy);
    Ini_Dispose(doc);
    p->read = Seconds(t0, t1);
    p->lookup = Seconds(t1, t2);
    p->write = Seconds(t2, t3);
    return true;
}

bool RunQt(const std::string &in, const std::string &out, const std::vector<std::string> &secs,
           const std::vector<std::string> &items, Phases *p, size_t *found) {
    std::vector<QString> keys;
    keys.reserve(secs.size() * items.size());
    for (const std::string &s : secs)
        for (const std::string &i : items) keys.push_back(QString::fromStdString(s + "/" + i));
    auto t0 = Clock::now();
    QSettings reader(QString::fromStdString(in), QSettings::IniFormat);
    (void)reader.contains(keys.front()); // QSettings parses on first use
    auto t1 = Clock::now();
    QSettings writer(QString::fromStdString(out), QSettings::IniFormat);
    for (const QString &k : keys) {
        QVariant v = reader.value(k);
        if (v.isValid()) {
            *found += 1;
            writer.setValue(k, v);
        }
    }
    auto t2 = Clock::now();
    writer.sync();
    auto t3 = Clock::now();
    if (writer.status() != QSettings::NoError) return false;
    p->read = Seconds(t0, t1);
    p->lookup = Seconds(t1, t2);
    p->write = Seconds(t2, t3);
    return true;
}

// Each phase and the total at their best over the rounds, so that one disturbed phase of a
// round does not hide the others.
Phases Best(const std::vector<Phases> &runs) {
    Phases b = runs.front();
    double total = b.Total();
    for (const Phases &r : runs) {
        b.read = std::min(b.read, r.read);
        b.lookup = std::min(b.lookup, r.lookup);
        b.write = std::min(b.write, r.write);
        total = std::min(total, r.Total());
    }
    b.total = total;
    return b;
}

} // namespace

int main() {
    char tmpl[] = "/tmp/kr7m-bench-ini-XXXXXX";
    if (mkdtemp(tmpl) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = tmpl;
    std::vector<std::string> secs, items;
    for (int s = 0; s < kSections; ++s) secs.push_back(SectionName(s));
    for (int i = 0; i < kItemsPerSection; ++i) items.push_back(ItemName(i));

    std::vector<Phases> ours, qt;
    for (int r = 0; r < kRounds; ++r) {
        // Fresh file names every round, so that no reader answers from a cache of a file it saw.
        const std::string tag = std::to_string(r);
        const std::string inOurs = dir + "/in-ours" + tag + ".ini",
                          inQt = dir + "/in-qt" + tag + ".ini";
        if (!WriteInput(inOurs) || !WriteInput(inQt)) {
            std::fprintf(stderr, "cannot write the input files in %s\n", dir.c_str());
            return 1;
        }
        Phases a, b;
        size_t foundOurs = 0, foundQt = 0;
        if (!RunOurs(inOurs, dir + "/out-ours" + tag + ".ini", secs, items, &a, &foundOurs) ||
            !RunQt(inQt, dir + "/out-qt" + tag + ".ini", secs, items, &b, &foundQt)) {
            std::fprintf(stderr, "a run failed\n");
            return 1;
        }
        if (foundOurs != secs.size() * items.size() || foundQt != foundOurs) {
            std::fprintf(stderr, "lookups found %zu (ours) and %zu (QSettings) items\n", foundOurs,
                         foundQt);
            return 1;
        }
        ours.push_back(a);
        qt.push_back(b);
    }
    Phases o = Best(ours), q = Best(qt);
    std::printf("INI document of %d items in %d sections, best of %d rounds\n",
                kSections * kItemsPerSection, kSections, kRounds);
    std::printf("%-10s %10s %10s %10s %10s\n", "", "read ms", "lookup ms", "write ms", "total ms");
    std::printf("%-10s %10.2f %10.2f %10.2f %10.2f\n", "ours", o.read * 1e3, o.lookup * 1e3,
                o.write * 1e3, o.Total() * 1e3);
    std::printf("%-10s %10.2f %10.2f %10.2f %10.2f\n", "QSettings", q.read * 1e3, q.lookup * 1e3,
                q.write * 1e3, q.Total() * 1e3);
    auto ratio = [](double theirs, double ours) { return ours > 0 ? theirs / ours : 0.0; };
    std::printf("ratio QSettings / ours: read %.2f, lookup %.2f, write %.2f, total %.2f\n",
                ratio(q.read, o.read), ratio(q.lookup, o.lookup), ratio(q.write, o.write),
                ratio(q.Total(), o.Total()));
    std::system(("rm -rf '" + dir + "'").c_str());
    return 0;
}
