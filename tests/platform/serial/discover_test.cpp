// Serial device discovery on a made-up /dev and /sys tree (with the links and files the kernel
// and udev make for USB adapters and built-in ports), access judged for a named identity, and
// a real pseudo-terminal.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/serial/discover.h"

namespace {

std::string RealPathOf(const char *path) {
    char buf[4096];
    return realpath(path, buf) ? std::string(buf) : std::string(path);
}

class FakeTree {
  public:
    FakeTree() {
        char dir[] = "/tmp/kr7m-discover-XXXXXX";
        if (mkdtemp(dir)) root_ = dir;
        dev_ = root_ + "/dev";
        sys_ = root_ + "/sys";
    }
    ~FakeTree() {
        std::string cmd = "rm -rf '" + root_ + "'";
        if (std::system(cmd.c_str()) != 0)
            std::fprintf(stderr, "cannot remove %s\n", root_.c_str());
    }
    void Dir(const std::string &rel) {
        std::string path = root_;
        size_t from = 0;
        while (from <= rel.size()) {
            size_t slash = rel.find('/', from);
            path = root_ + "/" + rel.substr(0, slash);
            mkdir(path.c_str(), 0755);
            if (slash == std::string::npos) break;
            from = slash + 1;
        }
    }
    void File(const std::string &rel, const std::string &text, mode_t mode = 0644) {
        Dir(rel.substr(0, rel.rfind('/')));
        std::string path = root_ + "/" + rel;
        FILE *f = std::fopen(path.c_str(), "w");
        if (f) std::fputs(text.c_str(), f), std::fclose(f);
        chmod(path.c_str(), mode);
    }
    void Link(const std::string &rel, const std::string &target) {
        Dir(rel.substr(0, rel.rfind('/')));
        if (symlink(target.c_str(), (root_ + "/" + rel).c_str()) != 0) perror("symlink");
    }
    // A device node as a plain file: discovery judges it by its owner, group and mode.
    void Node(const std::string &name, mode_t mode = 0660, gid_t gid = 20) {
        File("dev/" + name, "", mode);
        if (chown((dev_ + "/" + name).c_str(), 0, gid) != 0) perror("chown");
    }
    // What the kernel shows of a USB serial adapter: the tty under the interface under the
    // USB device, which carries the product and manufacturer strings.
    void UsbAdapter(const std::string &tty, const std::string &maker, const std::string &product,
                    int bus) {
        std::string usb = "sys/devices/pci0000:00/usb1/1-" + std::to_string(bus);
        File(usb + "/product", product + "\n");
        if (!maker.empty()) File(usb + "/manufacturer", maker + "\n");
        Dir(usb + "/1-" + std::to_string(bus) + ":1.0/" + tty);
        Link("sys/class/tty/" + tty + "/device", "../../../devices/pci0000:00/usb1/1-" +
                                                     std::to_string(bus) + "/1-" +
                                                     std::to_string(bus) + ":1.0/" + tty);
        Node(tty);
    }
    void BuiltIn(const std::string &tty, int uartType) {
        File("sys/class/tty/" + tty + "/type", std::to_string(uartType) + "\n");
        Node(tty);
    }
    SerialRoots Roots(long uid = 0, std::vector<unsigned> groups = {}) {
        groups_ = groups;
        SerialRoots r;
        r.dev = dev_.c_str();
        r.sys = sys_.c_str();
        r.uid = uid;
        r.groups = groups_.data();
        r.groupCount = static_cast<int>(groups_.size());
        return r;
    }
    const std::string &DevDir() const { return dev_; }

  private:
    std::string root_, dev_, sys_;
    std::vector<unsigned> groups_;
};

std::vector<SerialDevice> List(const SerialRoots &r) {
    std::vector<SerialDevice> out(16);
    int n = ListSerialDevices(out.data(), 16, &r);
    out.resize(static_cast<size_t>(n < 16 ? n : 16));
    return out;
}

TEST(SerialDiscovery, ListsAdaptersByStableNameThenPortsThatAnswer) {
    FakeTree t;
    t.UsbAdapter("ttyUSB0", "FTDI", "FT232R USB UART", 1);
    t.Link("dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0", "../../ttyUSB0");
    t.UsbAdapter("ttyUSB1", "", "CP2102N USB to UART Bridge Controller", 2);
    t.Link("dev/serial/by-id/usb-Silicon_Labs_CP2102N_0001-if00-port0", "../../ttyUSB1");
    t.Link("dev/serial/by-id/usb-Unplugged_Adapter-if00-port0", "../../ttyUSB7"); // stale
    t.Node("ttyACM0");                                                            // no sysfs
    t.BuiltIn("ttyS0", 4);
    t.BuiltIn("ttyS1", 0); // a node without a UART behind it
    t.BuiltIn("ttyS10", 4);
    t.BuiltIn("ttyS2", 4);
    t.Node("ttyS3"); // no type at all
    t.Node("tty1");  // not a serial device

    std::vector<SerialDevice> got = List(t.Roots());
    struct Want {
        std::string path, device, product;
    };
    const std::string d = t.DevDir();
    const std::vector<Want> want = {
        {d + "/serial/by-id/usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0", d + "/ttyUSB0",
         "FTDI FT232R USB UART"},
        {d + "/serial/by-id/usb-Silicon_Labs_CP2102N_0001-if00-port0", d + "/ttyUSB1",
         "CP2102N USB to UART Bridge Controller"},
        {d + "/ttyACM0", d + "/ttyACM0", "USB serial adapter"},
        {d + "/ttyS0", d + "/ttyS0", "built-in serial port"},
        {d + "/ttyS2", d + "/ttyS2", "built-in serial port"},
        {d + "/ttyS10", d + "/ttyS10", "built-in serial port"},
    };
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(want[i].path);
        EXPECT_EQ(got[i].path, want[i].path);
        EXPECT_EQ(RealPathOf(got[i].device), RealPathOf(want[i].device.c_str()));
        EXPECT_EQ(got[i].product, want[i].product);
        EXPECT_EQ(got[i].present, 1);
        EXPECT_EQ(got[i].mayOpen, 1) << "root may open everything";
    }
}

TEST(SerialDiscovery, CountsBeyondTheRoomGiven) {
    FakeTree t;
    for (int i = 0; i < 5; ++i) t.BuiltIn("ttyS" + std::to_string(i), 4);
    SerialRoots r = t.Roots();
    SerialDevice two[2];
    EXPECT_EQ(ListSerialDevices(two, 2, &r), 5);
    EXPECT_NE(std::string(two[1].path).find("ttyS1"), std::string::npos);
}

struct AccessCase {
    const char *name;
    mode_t mode;
    gid_t nodeGroup;
    long uid;
    std::vector<unsigned> groups;
    int mayOpen;
    const char *group;  // suggested group, "" for none
    const char *reason; // part of the reason
};

class SerialAccess : public ::testing::TestWithParam<AccessCase> {};

TEST_P(SerialAccess, JudgedForTheUserWithTheFix) {
    const AccessCase &c = GetParam();
    FakeTree t;
    t.Node("ttyUSB0", c.mode, c.nodeGroup);
    SerialRoots r = t.Roots(c.uid, c.groups);
    SerialDevice d;
    DescribeSerialDevice((t.DevDir() + "/ttyUSB0").c_str(), &d, &r);
    EXPECT_EQ(d.present, 1);
    EXPECT_EQ(d.mayOpen, c.mayOpen);
    EXPECT_STREQ(d.group, c.group);
    EXPECT_NE(std::string(d.reason).find(c.reason), std::string::npos) << d.reason;
}

// Debian's dialout group is 20; uid 54321 is nobody's, so it is listed in no group.
INSTANTIATE_TEST_SUITE_P(
    Identities, SerialAccess,
    ::testing::Values(
        AccessCase{"GroupMember", 0660, 20, 54321, {20}, 1, "", ""},
        AccessCase{"NotInTheGroup", 0660, 20, 54321, {100}, 0, "dialout", "usermod -aG dialout"},
        AccessCase{"OpenToAll", 0666, 20, 54321, {}, 1, "", ""},
        AccessCase{"GroupMayOnlyRead", 0640, 20, 54321, {}, 0, "", "mode 640"},
        AccessCase{"Root", 0600, 20, 0, {}, 1, "", ""},
        AccessCase{"OwnerOnlyOtherUser", 0600, 20, 54321, {20}, 0, "", "mode 600"}),
    [](const ::testing::TestParamInfo<AccessCase> &info) { return std::string(info.param.name); });

TEST(SerialDiscovery, MissingPathAndStaleLinkAreNotConnected) {
    FakeTree t;
    t.Link("dev/serial/by-id/usb-Prolific_PL2303-if00-port0", "../../ttyUSB3");
    SerialRoots r = t.Roots();
    for (std::string path :
         {t.DevDir() + "/ttyUSB9", t.DevDir() + "/serial/by-id/usb-Prolific_PL2303-if00-port0"}) {
        SerialDevice d;
        DescribeSerialDevice(path.c_str(), &d, &r);
        EXPECT_EQ(d.present, 0) << path;
        EXPECT_EQ(d.mayOpen, 0);
        EXPECT_STREQ(d.reason, "not connected");
        EXPECT_STREQ(d.device, "");
    }
    SerialDevice d;
    DescribeSerialDevice((t.DevDir() + "/serial/by-id/usb-Prolific_PL2303-if00-port0").c_str(), &d,
                         &r);
    EXPECT_STREQ(d.product, "Prolific PL2303") << "named from the link even while unplugged";
}

TEST(SerialDiscovery, PseudoTerminalIsPresentAndOpenable) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    char name[128];
    ASSERT_EQ(ptsname_r(master, name, sizeof name), 0);
    SerialDevice d;
    DescribeSerialDevice(name, &d);
    EXPECT_EQ(d.present, 1);
    EXPECT_STREQ(d.device, name);
    EXPECT_STREQ(d.product, "pseudo-terminal");
    EXPECT_EQ(d.mayOpen, access(name, R_OK | W_OK) == 0 ? 1 : 0);
    close(master);
}

} // namespace
