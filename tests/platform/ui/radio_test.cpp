// Radio buttons: one of a group on, partners turned off by the user's click and by program,
// groups independent, callbacks for the user's click only, and the language-file text kind.
#include "uitest.h"

#include <vector>

namespace {

std::vector<int> States(int p) {
    std::vector<int> v;
    for (int id : {CHOICE_SMALL, CHOICE_MEDIUM, CHOICE_LARGE, CHOICE_FAST, CHOICE_SLOW}) {
        int on = -1;
        GetCtrlVal(p, id, &on);
        v.push_back(on);
    }
    return v;
}

struct Step {
    const char *what;
    bool user; // a click, or a value set by program
    int control;
    int value;                // for program sets
    std::vector<int> states;  // SMALL MEDIUM LARGE FAST SLOW afterwards
    std::vector<int> commits; // callbacks that ran for this step
};

TEST_F(UiTest, RadioGroupsKeepOneOnAndAnswerOnlyTheUser) {
    int p = Load(CHOICE);
    ASSERT_GT(p, 0);
    ASSERT_EQ(DisplayPanel(p), 0);
    EXPECT_EQ(States(p), (std::vector<int>{1, 0, 0, 1, 0})) << "as the resource has them";
    const Step steps[] = {
        {"click an off button", true, CHOICE_LARGE, 0, {0, 0, 1, 1, 0}, {CHOICE_LARGE}},
        {"click the button that is on", true, CHOICE_LARGE, 0, {0, 0, 1, 1, 0}, {}},
        {"other group unaffected", true, CHOICE_SLOW, 0, {0, 0, 1, 0, 1}, {CHOICE_SLOW}},
        {"program turns one on", false, CHOICE_MEDIUM, 1, {0, 1, 0, 0, 1}, {}},
        {"program turns one off", false, CHOICE_MEDIUM, 0, {0, 0, 0, 0, 1}, {}},
        {"click in an empty group", true, CHOICE_SMALL, 0, {1, 0, 0, 0, 1}, {CHOICE_SMALL}},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.what);
        Calls().clear();
        if (s.user)
            ASSERT_EQ(UserCommit(p, s.control), 0);
        else
            ASSERT_EQ(SetCtrlVal(p, s.control, s.value), 0);
        ProcessSystemEvents();
        EXPECT_EQ(States(p), s.states);
        std::vector<int> fired;
        for (const CallRecord &c : Calls()) fired.push_back(c.id);
        EXPECT_EQ(fired, s.commits);
    }
}

TEST_F(UiTest, RadioIsADimmableLabelledControl) {
    int p = Load(CHOICE);
    int kind = 0;
    ASSERT_EQ(GetCtrlAttribute(p, CHOICE_MEDIUM, ATTR_CTRL_KIND, &kind), 0);
    EXPECT_EQ(kind, CTRL_RADIO);
    EXPECT_EQ(TextKindOfCtrlKind(kind), 2) << "a label and no on/off texts";
    ASSERT_EQ(SetCtrlAttribute(p, CHOICE_MEDIUM, ATTR_LABEL_TEXT, "Mittel"), 0);
    char label[32] = "";
    ASSERT_EQ(GetCtrlAttribute(p, CHOICE_MEDIUM, ATTR_LABEL_TEXT, label, sizeof label), 0);
    EXPECT_STREQ(label, "Mittel");
    SetCtrlAttribute(p, CHOICE_MEDIUM, ATTR_DIMMED, 1);
    EXPECT_EQ(UserCommit(p, CHOICE_MEDIUM), UIE_NOT_ACCESSIBLE);
    EXPECT_EQ(States(p)[1], 0);
}

} // namespace
