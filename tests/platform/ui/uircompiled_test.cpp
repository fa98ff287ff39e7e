// The compiled resource: it gives the very model the text gives, it is refused for any other
// text, and a damaged one is refused without harm, so the text is parsed instead.
#include "platform/ui/uircompiled.h"

#include "../../filetext.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The model a text gives when it is parsed, as the program reads a resource without its
// compiled form.
uir::Resource Parsed(const std::string &text) {
    uir::XmlNode root;
    uir::Resource res;
    std::string error;
    EXPECT_TRUE(uir::ParseXml(text, "t.uir", &root, &error)) << error;
    EXPECT_TRUE(uir::BuildResource(root, &res, &error)) << error;
    return res;
}

// Two models are equal when their compiled forms are: every field is written.
std::string Bytes(const uir::Resource &res) {
    return uir::CompileResource(res, "");
}

const char kSmall[] =
    "<uir>\n"
    "  <panel name=\"P\" title=\"T &amp; more\" width=\"200\" height=\"100\">\n"
    "    <control name=\"R\" kind=\"ring\" label=\"Ring\" callback=\"OnRing\">\n"
    "      <item label=\"one\" value=\"1\"/><item label=\"two\" value=\"2\"/>\n"
    "    </control>\n"
    "    <control name=\"T\" kind=\"table\" rows=\"2\"><col label=\"A\" width=\"40\"/></control>\n"
    "    <control name=\"C\" kind=\"stripchart\" traces=\"2\">\n"
    "      <trace label=\"U\" unit=\"V\" color=\"#FF0000\"/>\n"
    "    </control>\n"
    "  </panel>\n"
    "  <menubar name=\"M\">\n"
    "    <menu name=\"F\" label=\"&amp;File\">\n"
    "      <item name=\"O\" label=\"Open\" callback=\"OnMenu\"/><separator/>\n"
    "      <menu name=\"S\" label=\"Sub\"><item name=\"X\" label=\"x\" checked=\"1\"/></menu>\n"
    "    </menu>\n"
    "  </menubar>\n"
    "</uir>\n";

// A read leaves each panel's controls in the compiled form until the panel is looked up; the
// model is the same whether none, some or all of them were looked up, and in any order.
TEST(UirCompiled, GivesTheModelTheTextGives) {
    const std::string program = Slurp(KR7M_BIN_DIR "/MainPan.uir");
    ASSERT_FALSE(program.empty());
    for (const std::string &text : {std::string(kSmall), program}) {
        uir::Resource parsed = Parsed(text);
        ASSERT_FALSE(parsed.panels.empty());
        ASSERT_FALSE(parsed.menuBars.empty());
        const std::string compiled = uir::CompileResource(parsed, text);
        const int last = parsed.panels.back().id;
        for (const std::vector<int> &lookUps :
             {std::vector<int>{}, std::vector<int>{last}, std::vector<int>{last, 1, last}}) {
            uir::Resource read;
            ASSERT_TRUE(uir::ReadCompiledResource(compiled, text, &read));
            for (int id : lookUps) {
                const uir::Panel *p = read.FindPanel(id);
                ASSERT_NE(p, nullptr) << id;
                const uir::Panel *q = parsed.FindPanel(id);
                EXPECT_EQ(p->name, q->name);
                ASSERT_EQ(p->controls.size(), q->controls.size()) << p->name;
                for (size_t i = 0; i < q->controls.size(); ++i)
                    EXPECT_EQ(p->controls[i].constName, q->controls[i].constName);
            }
            EXPECT_EQ(Bytes(read), Bytes(parsed)) << lookUps.size() << " panels looked up";
            // Every panel read whole gives the same model again.
            for (const auto &p : parsed.panels) ASSERT_NE(read.FindPanel(p.id), nullptr);
            EXPECT_EQ(Bytes(read), Bytes(parsed));
            EXPECT_EQ(read.FindPanel(last + 1), nullptr);
        }
    }
}

TEST(UirCompiled, TheBuildsCompiledFormBelongsToTheProgramsResource) {
    // Made from the merged file the program reads, line numbers included, not from the files
    // that were merged into it.
    const std::string path = KR7M_BIN_DIR "/MainPan.uir";
    uir::Resource loaded;
    ASSERT_TRUE(uir::LoadCompiledResource(path, &loaded));
    EXPECT_EQ(Bytes(loaded), Bytes(Parsed(Slurp(path))));
}

TEST(UirCompiled, IsRefusedForAnyOtherText) {
    const std::string text = kSmall;
    const std::string compiled = uir::CompileResource(Parsed(text), text);
    std::string edited = text;
    edited[edited.find("Ring")] = 'r';
    const std::string others[] = {edited, text + " ", text.substr(0, text.size() - 1), ""};
    for (const std::string &other : others) {
        uir::Resource read;
        EXPECT_FALSE(uir::ReadCompiledResource(compiled, other, &read));
        EXPECT_TRUE(read.panels.empty() && read.menuBars.empty() && read.callbacks.empty());
    }

    // A resource file edited after the build is read as text again.
    char dir[] = "/tmp/kr7m-uircXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/R.uir";
    Spit(path, text);
    Spit(uir::CompiledPath(path), compiled);
    uir::Resource read;
    EXPECT_TRUE(uir::LoadCompiledResource(path, &read));
    Spit(path, edited);
    EXPECT_FALSE(uir::LoadCompiledResource(path, &read));
    std::remove(uir::CompiledPath(path).c_str());
    Spit(path, text);
    EXPECT_FALSE(uir::LoadCompiledResource(path, &read)) << "no compiled form beside it";
    std::remove(path.c_str());
    rmdir(dir);
}

TEST(UirCompiled, DamagedFormsAreRefusedWithoutHarm) {
    const std::string text = kSmall;
    const std::string compiled = uir::CompileResource(Parsed(text), text);
    auto refused = [&](const std::string &data) {
        uir::Resource read;
        const bool ok = uir::ReadCompiledResource(data, text, &read);
        return !ok && read.panels.empty() && read.menuBars.empty() && read.callbacks.empty();
    };
    for (size_t n = 0; n < compiled.size(); ++n)
        ASSERT_TRUE(refused(compiled.substr(0, n))) << "cut at " << n;
    ASSERT_TRUE(refused(compiled + '\0'));
    for (size_t i = 0; i < compiled.size(); ++i)
        for (unsigned char flip : {0x01, 0x80, 0xFF}) {
            std::string damaged = compiled;
            damaged[i] = static_cast<char>(damaged[i] ^ flip);
            ASSERT_TRUE(refused(damaged)) << "byte " << i << " flipped by " << int(flip);
        }
}

} // namespace
