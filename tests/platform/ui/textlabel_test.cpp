// A static text's size: the label that lays its text out once must come to the size QLabel
// itself gives, for every text, look and change, or the panels would be placed differently.
#include "platform/ui/uiqt.h"
#include "platform/ui/userint.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Look {
    Qt::TextFormat format;
    Qt::Alignment align;
    bool bold;
    QMargins margins;
};

void Dress(QLabel *l, const Look &look, const QString &text) {
    l->setTextFormat(look.format);
    l->setAlignment(look.align);
    QFont f = l->font();
    f.setBold(look.bold);
    l->setFont(f);
    l->setContentsMargins(look.margins);
    l->setText(text);
}

std::string Describe(const QString &text, const Look &look) {
    return "\"" + text.toStdString() + "\" format " + std::to_string(look.format) + " align " +
           std::to_string(look.align) + (look.bold ? " bold" : "") + " margins " +
           std::to_string(look.margins.left());
}

class TextLabelTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(InitUserInterface(0, nullptr), 0); }
};

TEST_F(TextLabelTest, ComesToTheSizeQLabelGivesForEveryTextAndLook) {
    const QString texts[] = {"Voltage",
                             "Strom & Spannung",
                             "&Datei",
                             "a\tb\tc",
                             "two\nlines",
                             QString::fromUtf8("Überlast ßäö €"),
                             "  spaced out  ",
                             "W",
                             "<b>rich</b> text",
                             "",
                             "A long caption that goes on for quite a while on one line"};
    const Qt::Alignment aligns[] = {Qt::AlignLeft | Qt::AlignVCenter,
                                    Qt::AlignHCenter | Qt::AlignVCenter,
                                    Qt::AlignRight | Qt::AlignTop};
    const Qt::TextFormat formats[] = {Qt::PlainText, Qt::AutoText};
    const QMargins margins[] = {QMargins(), QMargins(3, 1, 2, 4)};
    for (const QString &text : texts)
        for (Qt::TextFormat format : formats)
            for (Qt::Alignment align : aligns)
                for (bool bold : {false, true})
                    for (const QMargins &m : margins) {
                        Look look{format, align, bold, m};
                        QLabel plain;
                        uiq::TextLabel once;
                        Dress(&plain, look, text);
                        Dress(&once, look, text);
                        EXPECT_EQ(once.sizeHint(), plain.sizeHint()) << Describe(text, look);
                    }
}

TEST_F(TextLabelTest, FollowsChangesOfTextFontAndWrapping) {
    QLabel plain;
    uiq::TextLabel once;
    struct Step {
        const char *what;
        void (*apply)(QLabel *);
    };
    const Step steps[] = {
        {"first text", [](QLabel *l) { l->setText("Rated voltage"); }},
        {"longer text", [](QLabel *l) { l->setText("Rated voltage of the secondary side"); }},
        {"bold",
         [](QLabel *l) {
             QFont f = l->font();
             f.setBold(true);
             l->setFont(f);
         }},
        {"larger font",
         [](QLabel *l) {
             QFont f = l->font();
             f.setPointSize(f.pointSize() + 6);
             l->setFont(f);
         }},
        {"same text again", [](QLabel *l) { l->setText("Rated voltage of the secondary side"); }},
        {"wrapping", [](QLabel *l) { l->setWordWrap(true); }},
        {"no wrapping", [](QLabel *l) { l->setWordWrap(false); }},
        {"minimum width", [](QLabel *l) { l->setMinimumWidth(400); }},
        {"rich text", [](QLabel *l) { l->setText("<i>Rated</i> voltage"); }},
        {"empty", [](QLabel *l) { l->setText(""); }},
        {"plain again", [](QLabel *l) { l->setText("U"); }},
    };
    for (const Step &s : steps) {
        s.apply(&plain);
        s.apply(&once);
        EXPECT_EQ(once.sizeHint(), plain.sizeHint()) << "after: " << s.what;
    }
}

} // namespace
