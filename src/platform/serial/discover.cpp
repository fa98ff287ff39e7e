// Serial device discovery from /dev and sysfs.
#include "platform/serial/discover.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const SerialRoots kSystem;

void Copy(char *to, size_t size, const std::string &from) {
    std::snprintf(to, size, "%s", from.c_str());
}

std::string BaseName(const std::string &path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DirName(const std::string &path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

std::string RealPath(const std::string &path) {
    char buf[4096];
    return ::realpath(path.c_str(), buf) ? std::string(buf) : std::string();
}

// First line of a small sysfs file, without trailing blanks; empty when unreadable.
std::string ReadLine(const std::string &path) {
    FILE *f = std::fopen(path.c_str(), "r");
    if (!f) return std::string();
    char buf[256];
    std::string line = std::fgets(buf, sizeof buf, f) ? buf : "";
    std::fclose(f);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
    return line;
}

std::vector<std::string> Entries(const std::string &dir) {
    std::vector<std::string> names;
    DIR *d = ::opendir(dir.c_str());
    if (!d) return names;
    while (dirent *e = ::readdir(d))
        if (e->d_name[0] != '.') names.push_back(e->d_name);
    ::closedir(d);
    return names;
}

// ttyS2 before ttyS10: the digits compare as numbers.
bool NaturalLess(const std::string &a, const std::string &b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) &&
            std::isdigit(static_cast<unsigned char>(b[j]))) {
            size_t ie = i, je = j;
            while (ie < a.size() && std::isdigit(static_cast<unsigned char>(a[ie]))) ++ie;
            while (je < b.size() && std::isdigit(static_cast<unsigned char>(b[je]))) ++je;
            long x = std::strtol(a.substr(i, ie - i).c_str(), nullptr, 10);
            long y = std::strtol(b.substr(j, je - j).c_str(), nullptr, 10);
            if (x != y) return x < y;
            i = ie, j = je;
            continue;
        }
        if (a[i] != b[j]) return a[i] < b[j];
        ++i, ++j;
    }
    return a.size() - i < b.size() - j;
}

bool StartsWith(const std::string &s, const char *prefix) {
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

// The adapter's own name from sysfs: the USB device above the tty carries "product" (and
// "manufacturer"); a built-in port has a UART type instead.
std::string SysfsProduct(const SerialRoots &r, const std::string &kernelName) {
    std::string classDir = std::string(r.sys) + "/class/tty/" + kernelName;
    std::string dir = RealPath(classDir + "/device");
    const std::string sysRoot = RealPath(r.sys);
    for (int up = 0; !dir.empty() && up < 5 && dir.size() > sysRoot.size(); ++up) {
        std::string product = ReadLine(dir + "/product");
        if (!product.empty()) {
            std::string maker = ReadLine(dir + "/manufacturer");
            if (!maker.empty() && product.find(maker) == std::string::npos)
                product = maker + " " + product;
            return product;
        }
        dir = DirName(dir);
    }
    if (StartsWith(kernelName, "ttyS")) return "built-in serial port";
    return std::string();
}

// "usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0" -> "FTDI FT232R USB UART A6008isP".
std::string ProductFromById(const std::string &name) {
    std::string s = name;
    if (StartsWith(s, "usb-")) s = s.substr(4);
    size_t tail = s.rfind("-if");
    if (tail != std::string::npos) s = s.substr(0, tail);
    std::replace(s.begin(), s.end(), '_', ' ');
    return s;
}

std::string GroupName(gid_t gid) {
    if (const group *g = ::getgrgid(gid)) return g->gr_name;
    return std::to_string(gid);
}

// Whether `user` is listed as a member of group `gid` in the group database.
bool ListedMember(gid_t gid, uid_t uid) {
    const passwd *pw = ::getpwuid(uid);
    if (!pw) return false;
    if (pw->pw_gid == gid) return true;
    std::string user = pw->pw_name;
    const group *g = ::getgrgid(gid);
    if (!g) return false;
    for (char **m = g->gr_mem; m && *m; ++m)
        if (user == *m) return true;
    return false;
}

void JudgeAccess(const SerialRoots &r, const struct stat &st, SerialDevice *out) {
    const uid_t uid = r.uid >= 0 ? static_cast<uid_t>(r.uid) : ::geteuid();
    std::vector<gid_t> groups;
    if (r.groupCount >= 0) {
        for (int i = 0; i < r.groupCount; ++i) groups.push_back(r.groups[i]);
    } else {
        groups.push_back(::getegid());
        int n = ::getgroups(0, nullptr);
        if (n > 0) {
            std::vector<gid_t> more(static_cast<size_t>(n));
            n = ::getgroups(n, more.data());
            if (n > 0) groups.insert(groups.end(), more.begin(), more.begin() + n);
        }
    }
    const mode_t m = st.st_mode;
    const bool inGroup = std::find(groups.begin(), groups.end(), st.st_gid) != groups.end();
    bool ok = uid == 0;
    if (uid == st.st_uid)
        ok = ok || (m & 0600) == 0600;
    else if (inGroup)
        ok = ok || (m & 0060) == 0060;
    else
        ok = ok || (m & 0006) == 0006;
    out->mayOpen = ok ? 1 : 0;
    if (ok) return;
    const std::string group = GroupName(st.st_gid);
    if ((m & 0060) == 0060 && !inGroup && uid != st.st_uid) {
        Copy(out->group, sizeof out->group, group);
        if (ListedMember(st.st_gid, uid))
            Copy(out->reason, sizeof out->reason,
                 "You were added to group \"" + group +
                     "\" after this session began: log out and in again.");
        else
            Copy(out->reason, sizeof out->reason,
                 "No permission: the device belongs to group \"" + group +
                     "\". Join it (sudo usermod -aG " + group + " $USER), then log in again.");
        return;
    }
    char mode[8];
    std::snprintf(mode, sizeof mode, "%03o", static_cast<unsigned>(m & 0777));
    Copy(out->reason, sizeof out->reason,
         std::string("No permission to open the device (mode ") + mode + ", group \"" + group +
             "\").");
}

void Describe(const SerialRoots &r, const std::string &path, const std::string &product,
              SerialDevice *out) {
    std::memset(out, 0, sizeof *out);
    Copy(out->path, sizeof out->path, path);
    std::string device = RealPath(path);
    struct stat st;
    out->present = !device.empty() && ::stat(device.c_str(), &st) == 0 ? 1 : 0;
    std::string name = BaseName(device.empty() ? path : device);
    std::string made = product;
    if (made.empty() && out->present) made = SysfsProduct(r, name);
    if (made.empty() && path.find("/by-id/") != std::string::npos)
        made = ProductFromById(BaseName(path));
    if (made.empty() && device.find("/pts/") != std::string::npos) made = "pseudo-terminal";
    if (made.empty() && (StartsWith(name, "ttyUSB") || StartsWith(name, "ttyACM")))
        made = "USB serial adapter";
    Copy(out->product, sizeof out->product, made);
    if (!out->present) {
        Copy(out->reason, sizeof out->reason, "not connected");
        return;
    }
    Copy(out->device, sizeof out->device, device);
    JudgeAccess(r, st, out);
}

} // namespace

void DescribeSerialDevice(const char *path, SerialDevice *out, const SerialRoots *roots) {
    Describe(roots ? *roots : kSystem, path ? path : "", std::string(), out);
}

int ListSerialDevices(SerialDevice *out, int max, const SerialRoots *roots) {
    const SerialRoots &r = roots ? *roots : kSystem;
    std::vector<SerialDevice> found;
    std::vector<std::string> covered; // device nodes already listed by a by-id name

    const std::string byId = std::string(r.dev) + "/serial/by-id";
    std::vector<std::string> links = Entries(byId);
    std::sort(links.begin(), links.end());
    for (const std::string &name : links) {
        SerialDevice d;
        Describe(r, byId + "/" + name, std::string(), &d);
        if (!d.present) continue; // a link left behind by an unplugged adapter
        if (d.product[0] == '\0' || StartsWith(d.product, "USB serial"))
            Copy(d.product, sizeof d.product, ProductFromById(name));
        covered.push_back(d.device);
        found.push_back(d);
    }

    std::vector<std::string> nodes;
    for (const std::string &name : Entries(r.dev))
        if (StartsWith(name, "ttyUSB") || StartsWith(name, "ttyACM") || StartsWith(name, "ttyS"))
            nodes.push_back(name);
    std::sort(nodes.begin(), nodes.end(), NaturalLess);
    for (const std::string &name : nodes) {
        // A built-in port is listed only when a UART answers behind it: most ttyS nodes exist
        // whether or not there is hardware, and their type then reads 0.
        if (StartsWith(name, "ttyS")) {
            std::string type = ReadLine(std::string(r.sys) + "/class/tty/" + name + "/type");
            if (type.empty() || std::atoi(type.c_str()) == 0) continue;
        }
        SerialDevice d;
        Describe(r, std::string(r.dev) + "/" + name, std::string(), &d);
        if (!d.present) continue;
        if (std::find(covered.begin(), covered.end(), d.device) != covered.end()) continue;
        found.push_back(d);
    }

    for (size_t i = 0; i < found.size() && static_cast<int>(i) < max; ++i) out[i] = found[i];
    return static_cast<int>(found.size());
}
