// The resource reader and the generator: well-formed files give the expected tree and ids,
// malformed ones an error with a line number, and uirgen fails the build on them.
#include "platform/ui/uirmodel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string TempDir() {
    static std::string dir;
    if (dir.empty()) {
        char tmpl[] = "/tmp/kr7m-uirXXXXXX";
        const char *d = mkdtemp(tmpl);
        EXPECT_NE(d, nullptr);
        dir = d ? d : "/tmp";
    }
    return dir;
}

std::string Write(const std::string &name, const std::string &text) {
    std::string path = TempDir() + "/" + name;
    std::ofstream(path) << text;
    return path;
}

bool Build(const std::string &xml, uir::Resource *res, std::string *error) {
    uir::XmlNode root;
    if (!uir::ParseXml(xml, "t.uir", &root, error)) return false;
    return uir::BuildResource(root, res, error);
}

TEST(UirParse, EntitiesCommentsAndLines) {
    uir::XmlNode root;
    std::string error;
    ASSERT_TRUE(uir::ParseXml("<?xml version=\"1.0\"?>\n<!-- head -->\n<a x='1 &amp; 2'>\n"
                              "  <!-- inside -->\n  <b y=\"&lt;&#65;&#x42;&gt;&quot;\"/>\n</a>\n",
                              "t.uir", &root, &error))
        << error;
    EXPECT_EQ(root.name, "a");
    EXPECT_EQ(*root.Attr("x"), "1 & 2");
    ASSERT_EQ(root.children.size(), 1u);
    EXPECT_EQ(*root.children[0].Attr("y"), "<AB>\"");
    EXPECT_EQ(root.children[0].line, 5);
    EXPECT_EQ(root.Attr("missing"), nullptr);
}

TEST(UirParse, MalformedInputNamesTheLine) {
    struct Case {
        const char *xml;
        const char *expect; // "t.uir:LINE: ..." prefix
    } cases[] = {
        {"<a>\n<b>\n</a>", "t.uir:3:"},             // wrong closing tag
        {"<a x=1/>", "t.uir:1:"},                   // unquoted value
        {"<a>\n\n<b x='&nope;'/></a>", "t.uir:3:"}, // unknown entity
        {"<a>\ntext</a>", "t.uir:2:"},              // stray text
        {"<a x='1' x='2'/>", "t.uir:1:"},           // attribute twice
        {"<a>\n<!-- open", "t.uir:2:"},             // unterminated comment
        {"", "t.uir:1:"},                           // empty document
        {"<a/><b/>", "t.uir:1:"},                   // two roots
        {"<a>\n<b>", "t.uir:2:"},                   // never closed
        {"<a x='&#0;'/>", "t.uir:1:"},              // NUL reference
    };
    for (const auto &c : cases) {
        uir::XmlNode root;
        std::string error;
        EXPECT_FALSE(uir::ParseXml(c.xml, "t.uir", &root, &error)) << c.xml;
        EXPECT_EQ(error.rfind(c.expect, 0), 0u) << c.xml << " -> " << error;
    }
}

TEST(UirModel, NumbersPanelsControlsAndMenus) {
    uir::Resource res;
    std::string error;
    ASSERT_TRUE(Build("<uir><panel name='P'><control name='A' kind='numeric'/>"
                      "<control name='B' kind='ring'><item label='x' value='3'/></control></panel>"
                      "<menubar name='M'><menu name='F'><item name='N' callback='Cb'/><separator/>"
                      "<menu name='S'><item name='D'/></menu></menu></menubar>"
                      "<panel name='Q' callback='Pc'/></uir>",
                      &res, &error))
        << error;
    ASSERT_EQ(res.panels.size(), 2u);
    EXPECT_EQ(res.panels[0].id, 1);
    EXPECT_EQ(res.panels[1].id, 2);
    EXPECT_EQ(res.panels[0].controls[0].id, 2);
    EXPECT_EQ(res.panels[0].controls[1].constName, "P_B");
    EXPECT_EQ(res.panels[0].controls[1].items[0].value, "3");
    const uir::MenuNode &f = res.menuBars[0].menus[0];
    EXPECT_EQ(f.id, 2);
    EXPECT_EQ(f.children[0].constName, "M_F_N");
    EXPECT_TRUE(f.children[1].separator);
    EXPECT_EQ(f.children[2].children[0].constName, "M_F_S_D");
    EXPECT_EQ(f.children[2].children[0].id, 6);
    ASSERT_EQ(res.callbacks.size(), 2u);
    EXPECT_EQ(res.callbacks[0].shape, uir::CallbackShape::Menu);
    EXPECT_EQ(res.callbacks[1].shape, uir::CallbackShape::Panel);
}

TEST(UirModel, RejectsWhatTheProgramCouldNotUse) {
    struct Case {
        const char *name, *xml, *expect;
    } cases[] = {
        {"unknown kind", "<uir><panel name='P'><control name='A' kind='knob'/></panel></uir>",
         "unknown control kind"},
        {"duplicate control",
         "<uir><panel name='P'><control name='A' kind='led'/>"
         "<control name='A' kind='led'/></panel></uir>",
         "used twice"},
        {"duplicate across levels",
         "<uir><panel name='P_A'/><panel name='P'>"
         "<control name='A' kind='led'/></panel></uir>",
         "used twice"},
        {"unknown attribute",
         "<uir><panel name='P'><control name='A' kind='led' colour='1'/>"
         "</panel></uir>",
         "unknown attribute colour"},
        {"attribute of another kind",
         "<uir><panel name='P'><control name='A' kind='button' "
         "maxlength='3'/></panel></uir>",
         "unknown attribute maxlength"},
        {"bad number", "<uir><panel name='P' width='wide'/></uir>", "bad value"},
        {"bad colour",
         "<uir><panel name='P'><control name='A' kind='led' color='red'/>"
         "</panel></uir>",
         "bad value"},
        {"bad callback name", "<uir><panel name='P' callback='1x'/></uir>", "bad value"},
        {"callback in two shapes",
         "<uir><panel name='P' callback='Cb'><control name='A' "
         "kind='button' callback='Cb'/></panel></uir>",
         "two kinds"},
        {"min above max",
         "<uir><panel name='P'><control name='A' kind='numeric' min='5' "
         "max='1'/></panel></uir>",
         "min is above max"},
        {"timer that would spin",
         "<uir><panel name='P'><control name='T' kind='timer' "
         "interval='0'/></panel></uir>",
         "interval"},
        {"absurd size", "<uir><panel name='P' width='99999999'/></uir>", "bad value"},
        {"missing name", "<uir><panel><control kind='led'/></panel></uir>", "needs a name"},
        {"unknown element", "<uir><window name='W'/></uir>", "unknown element"},
        {"item in a numeric",
         "<uir><panel name='P'><control name='A' kind='numeric'>"
         "<item label='x' value='1'/></control></panel></uir>",
         "unexpected <item>"},
        {"wrong root", "<resource/>", "root element"},
        {"strip chart without traces",
         "<uir><panel name='P'><control name='C' kind='stripchart' traces='0'/></panel></uir>",
         "1 to 16 traces"},
        {"more trace elements than traces",
         "<uir><panel name='P'><control name='C' kind='stripchart' traces='1'>"
         "<trace label='P'/><trace label='Q'/></control></panel></uir>",
         "more <trace>"},
        {"strip chart keeping one point",
         "<uir><panel name='P'><control name='C' kind='stripchart' points='1'/></panel></uir>",
         "2 to 100000 points"},
        {"empty y range",
         "<uir><panel name='P'><control name='C' kind='stripchart' ymin='5' ymax='5'/>"
         "</panel></uir>",
         "ymin must be below ymax"},
        {"trace colour by name",
         "<uir><panel name='P'><control name='C' kind='stripchart'>"
         "<trace label='P' color='red'/></control></panel></uir>",
         "bad value"},
        {"trace in a ring",
         "<uir><panel name='P'><control name='A' kind='ring'><trace label='x'/></control>"
         "</panel></uir>",
         "unexpected <trace>"},
    };
    for (const auto &c : cases) {
        uir::Resource res;
        std::string error;
        EXPECT_FALSE(Build(c.xml, &res, &error)) << c.name;
        EXPECT_NE(error.find(c.expect), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(error.rfind("t.uir:1:", 0), 0u) << c.name << ": " << error;
    }
}

TEST(UirInclude, SplicesTheIncludedPanelsInPlace) {
    Write("inc_child.uir", "<uir>\n<panel name='B'/>\n<panel name='C'/></uir>");
    std::string top = Write("inc_top.uir", "<uir><panel name='A'/><include file='inc_child.uir'/>"
                                           "<panel name='D'/></uir>");
    uir::Resource res;
    std::string error;
    ASSERT_TRUE(uir::LoadResource(top, &res, &error)) << error;
    ASSERT_EQ(res.panels.size(), 4u);
    EXPECT_EQ(res.panels[1].name, "B");
    EXPECT_EQ(res.panels[1].id, 2);
    EXPECT_EQ(res.panels[3].name, "D");
}

TEST(UirInclude, FaultsInIncludesAreReported) {
    Write("cycle_a.uir", "<uir><include file='cycle_b.uir'/></uir>");
    Write("cycle_b.uir", "<uir><include file='cycle_a.uir'/></uir>");
    Write("bad_child.uir", "<uir>\n\n<panel name='X' width='?'/></uir>");
    Write("other_root.uir", "<menu/>");
    Write("dup_child.uir", "<uir><panel name='A'/></uir>");
    struct Case {
        const char *top, *expect;
    } cases[] = {
        {"<uir><include file='cycle_a.uir'/></uir>", "includes itself"},
        {"<uir><include file='nowhere.uir'/></uir>", "cannot open"},
        {"<uir><include file='bad_child.uir'/></uir>", "bad_child.uir:3:"},
        {"<uir><include file='other_root.uir'/></uir>", "differs"},
        {"<uir><panel name='A'/><include file='dup_child.uir'/></uir>", "dup_child.uir:1:"},
        {"<uir><include/></uir>", "exactly one attribute"},
    };
    int n = 0;
    for (const auto &c : cases) {
        std::string top = Write("top" + std::to_string(n++) + ".uir", c.top);
        uir::Resource res;
        std::string error;
        EXPECT_FALSE(uir::LoadResource(top, &res, &error)) << c.top;
        EXPECT_NE(error.find(c.expect), std::string::npos) << c.top << " -> " << error;
    }
}

// Damaged files of every shape (cut anywhere, bytes changed) end in a clear yes or no, never a
// crash or a hang; a run under the sanitizers also proves no read outside the text.
TEST(UirParse, DamagedFilesNeverCrashTheReader) {
    std::ifstream in(KR7M_SOURCE_DIR "/tests/platform/ui/testpan.uir");
    std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(good.size(), 100u);
    unsigned seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xFFFFFF;
    };
    const char noise[] = "<>&;\"'/=!-?#x\n";
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string text = good;
        if (round % 3 == 0) text.resize(next() % text.size());
        int flips = 1 + static_cast<int>(next() % 4);
        for (int i = 0; i < flips && !text.empty(); ++i)
            text[next() % text.size()] = noise[next() % (sizeof noise - 1)];
        uir::XmlNode root;
        uir::Resource res;
        std::string error;
        bool ok =
            uir::ParseXml(text, "t.uir", &root, &error) && uir::BuildResource(root, &res, &error);
        if (ok)
            ++accepted;
        else
            EXPECT_EQ(error.rfind("t.uir:", 0), 0u) << error;
    }
    EXPECT_LT(accepted, 3000);
}

// The generator as the build runs it: bad resources fail with the reason on stderr, good ones
// give one merged file that loads with the same ids.
TEST(UirGen, FailsTheBuildOnBadResourcesAndMergesGoodOnes) {
    std::string dir = TempDir();
    struct Case {
        const char *xml;
        int exitCode;
    } cases[] = {
        {"<uir><panel name='P'><control name='A' kind='dial'/></panel></uir>", 1},
        {"<uir><panel name='P'/><panel name='P'/></uir>", 1},
        {"<uir><panel name='P'", 1},
        {"<uir><panel name='P'><control name='A' kind='led'/></panel></uir>", 0},
    };
    for (const auto &c : cases) {
        std::string in = Write("gen.uir", c.xml);
        std::string cmd = std::string(UIRGEN) + " " + in + " --uir " + dir + "/out.uir --header " +
                          dir + "/Gen.h --callbacks " + dir + "/Gen_cb.cpp 2>" + dir + "/err.txt";
        int status = system(cmd.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), c.exitCode) << c.xml;
    }
    std::ifstream header(dir + "/Gen.h");
    std::string text((std::istreambuf_iterator<char>(header)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("constexpr int P_A = 2;"), std::string::npos) << text;
    EXPECT_NE(text.find("void RegisterGenCallbacks();"), std::string::npos);

    Write("gen_inc.uir", "<uir><panel name='Q' title='a &lt; b'/></uir>");
    std::string in = Write("gen_top.uir", "<uir><panel name='P'/><include file='gen_inc.uir'/>"
                                          "</uir>");
    std::string cmd = std::string(UIRGEN) + " " + in + " --uir " + dir + "/merged.uir --header " +
                      dir + "/Gen.h --callbacks " + dir + "/Gen_cb.cpp";
    ASSERT_EQ(system(cmd.c_str()), 0);
    uir::Resource merged;
    std::string error;
    ASSERT_TRUE(uir::LoadResource(dir + "/merged.uir", &merged, &error)) << error;
    ASSERT_EQ(merged.panels.size(), 2u);
    EXPECT_EQ(merged.panels[1].attrs.Str("title"), "a < b");

    // An output that cannot be replaced fails the build and keeps the old file whole.
    std::ifstream before(dir + "/Gen.h");
    const std::string old((std::istreambuf_iterator<char>(before)),
                          std::istreambuf_iterator<char>());
    ASSERT_EQ(chmod((dir + "/Gen.h").c_str(), 0444), 0);
    in = Write("gen_top.uir", "<uir><panel name='R'/></uir>");
    cmd = std::string(UIRGEN) + " " + in + " --uir " + dir + "/merged.uir --header " + dir +
          "/Gen.h --callbacks " + dir + "/Gen_cb.cpp 2>" + dir + "/err.txt";
    int status = system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::ifstream after(dir + "/Gen.h"), err(dir + "/err.txt");
    EXPECT_EQ(
        std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()),
        old);
    const std::string why((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
    EXPECT_NE(why.find("Gen.h: the file is read-only"), std::string::npos) << why;
    ASSERT_EQ(chmod((dir + "/Gen.h").c_str(), 0644), 0);
}

} // namespace
