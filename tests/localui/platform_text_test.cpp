// The platform operations the language layer stands on beyond labels and titles: rings and lists
// whose values are texts, and the labelled items of a chart's axes with the active Y axis.
#include "LangTest.h"
#include "platform/ui/userint.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class PlatformTextTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(InitUserInterface(0, nullptr), 0);
        p_ = LoadPanel(0, LANGTEST, KINDS);
        ASSERT_GT(p_, 0);
    }
    void TearDown() override { DiscardPanel(p_); }
    // The (label, text value) entries of the text list.
    std::vector<std::string> Entries() {
        std::vector<std::string> out;
        int n = 0;
        EXPECT_EQ(GetNumListItems(p_, KINDS_LIST, &n), 0);
        for (int i = 0; i < n; ++i) {
            char label[64], value[64];
            EXPECT_EQ(GetLabelFromIndex(p_, KINDS_LIST, i, label, sizeof label), 0);
            EXPECT_EQ(GetValueFromIndex(p_, KINDS_LIST, i, value, sizeof value), 0);
            out.push_back(std::string(label) + "=" + value);
        }
        return out;
    }
    std::string Selected() {
        char text[64] = "?";
        int r = GetCtrlVal(p_, KINDS_LIST, text, sizeof text);
        return r < 0 ? "error " + std::to_string(r) : text;
    }
    int p_ = 0;
};

TEST_F(PlatformTextTest, TextListsHoldTextValues) {
    int type = 0;
    ASSERT_EQ(GetCtrlAttribute(p_, KINDS_LIST, ATTR_DATA_TYPE, &type), 0);
    EXPECT_EQ(type, VAL_STRING);
    ASSERT_EQ(GetCtrlAttribute(p_, KINDS_RING, ATTR_DATA_TYPE, &type), 0);
    EXPECT_EQ(type, VAL_INTEGER);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Volt=V", "Kilovolt=kV"}));
    EXPECT_EQ(Selected(), "kV") << "the resource selects by text value";

    ASSERT_EQ(SetCtrlVal(p_, KINDS_LIST, "V"), 0);
    EXPECT_EQ(Selected(), "V");
    ASSERT_EQ(InsertListItem(p_, KINDS_LIST, -1, "Megavolt", "MV"), 0);
    ASSERT_EQ(InsertListItem(p_, KINDS_LIST, 0, "Millivolt", "mV"), 0);
    ASSERT_EQ(ReplaceListItem(p_, KINDS_LIST, 1, "Volts", "V"), 0);
    EXPECT_EQ(Entries(),
              (std::vector<std::string>{"Millivolt=mV", "Volts=V", "Kilovolt=kV", "Megavolt=MV"}));
    EXPECT_EQ(Selected(), "V") << "a replaced entry stays selected";
    EXPECT_EQ(SetCtrlVal(p_, KINDS_LIST, "GV"), UIE_BAD_VALUE) << "a value the list lacks";
}

TEST_F(PlatformTextTest, ValuesOfTheOtherTypeAreRefused) {
    char text[16];
    int value = 0;
    const struct {
        const char *name;
        int result;
        int expected;
    } cases[] = {
        {"integer entry into a text list", InsertListItem(p_, KINDS_LIST, -1, "x", 1),
         UIE_BAD_VALUE},
        {"text entry into an integer ring", InsertListItem(p_, KINDS_RING, -1, "x", "1"),
         UIE_BAD_VALUE},
        {"integer replacing a text entry", ReplaceListItem(p_, KINDS_LIST, 0, "x", 1),
         UIE_BAD_VALUE},
        {"text replacing an integer entry", ReplaceListItem(p_, KINDS_RING, 0, "x", "1"),
         UIE_BAD_VALUE},
        {"integer value of a text entry", GetValueFromIndex(p_, KINDS_LIST, 0, &value),
         UIE_BAD_VALUE},
        {"text value of an integer entry", GetValueFromIndex(p_, KINDS_RING, 0, text, sizeof text),
         UIE_BAD_VALUE},
        {"index by integer in a text list", GetIndexFromValue(p_, KINDS_LIST, &value, 1),
         UIE_BAD_VALUE},
        {"a number set into a text list", SetCtrlVal(p_, KINDS_LIST, 1), UIE_BAD_VALUE},
        {"a text set into an integer ring", SetCtrlVal(p_, KINDS_RING, "Fast"), UIE_BAD_VALUE},
        {"no text value", InsertListItem(p_, KINDS_LIST, -1, "x", nullptr), UIE_MISSING_ARGUMENT},
        {"insert past the end", InsertListItem(p_, KINDS_LIST, 3, "x", "y"),
         UIE_INDEX_OUT_OF_RANGE},
        {"replace past the end", ReplaceListItem(p_, KINDS_LIST, 2, "x", "y"),
         UIE_INDEX_OUT_OF_RANGE},
        {"text value past the end", GetValueFromIndex(p_, KINDS_LIST, 2, text, sizeof text),
         UIE_INDEX_OUT_OF_RANGE},
        {"text entry into a numeric", InsertListItem(p_, KINDS_NUMERIC, -1, "x", "1"),
         UIE_NOT_A_LIST},
    };
    for (const auto &c : cases) EXPECT_EQ(c.result, c.expected) << c.name;
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Volt=V", "Kilovolt=kV"})) << "unchanged";
    ASSERT_EQ(GetCtrlVal(p_, KINDS_RING, &value), 0);
    EXPECT_EQ(value, 4);
}

TEST_F(PlatformTextTest, AxisItemsAreLabelsAtValues) {
    const int chart = KINDS_STRIPCHART;
    auto items = [&](int axis) {
        std::vector<std::string> out;
        int n = -1;
        EXPECT_EQ(GetNumAxisItems(p_, chart, axis, &n), 0);
        for (int i = 0; i < n; ++i) {
            char label[32];
            double value = 0;
            EXPECT_EQ(GetAxisItemLabel(p_, chart, axis, i, label, sizeof label), 0);
            EXPECT_EQ(GetAxisItemValue(p_, chart, axis, i, &value), 0);
            out.push_back(std::string(label) + "@" + std::to_string(static_cast<int>(value)));
        }
        return out;
    };
    EXPECT_TRUE(items(VAL_XAXIS).empty()) << "a chart has none until the program gives some";
    ASSERT_EQ(InsertAxisItem(p_, chart, VAL_XAXIS, -1, "b", 20), 0);
    ASSERT_EQ(InsertAxisItem(p_, chart, VAL_XAXIS, 0, "a", 10), 0);
    ASSERT_EQ(InsertAxisItem(p_, chart, VAL_XAXIS, -1, "c", 30), 0);
    ASSERT_EQ(InsertAxisItem(p_, chart, VAL_LEFT_YAXIS, -1, "y", 1), 0);
    ASSERT_EQ(ReplaceAxisItem(p_, chart, VAL_XAXIS, 1, "B", 21), 0);
    EXPECT_EQ(items(VAL_XAXIS), (std::vector<std::string>{"a@10", "B@21", "c@30"}));
    EXPECT_EQ(items(VAL_LEFT_YAXIS), std::vector<std::string>{"y@1"});
    ASSERT_EQ(DeleteAxisItem(p_, chart, VAL_XAXIS, 1, -1), 0);
    EXPECT_EQ(items(VAL_XAXIS), std::vector<std::string>{"a@10"});

    char label[8];
    double value = 0;
    int n = 0;
    const struct {
        const char *name;
        int result;
        int expected;
    } cases[] = {
        {"no such axis", InsertAxisItem(p_, chart, 3, -1, "x", 0), UIE_BAD_VALUE},
        {"insert past the end", InsertAxisItem(p_, chart, VAL_XAXIS, 2, "x", 0),
         UIE_INDEX_OUT_OF_RANGE},
        {"replace past the end", ReplaceAxisItem(p_, chart, VAL_XAXIS, 1, "x", 0),
         UIE_INDEX_OUT_OF_RANGE},
        {"label past the end", GetAxisItemLabel(p_, chart, VAL_XAXIS, 1, label, sizeof label),
         UIE_INDEX_OUT_OF_RANGE},
        {"value before the start", GetAxisItemValue(p_, chart, VAL_XAXIS, -1, &value),
         UIE_INDEX_OUT_OF_RANGE},
        {"delete past the end", DeleteAxisItem(p_, chart, VAL_XAXIS, 1, 1), UIE_INDEX_OUT_OF_RANGE},
        {"no label", InsertAxisItem(p_, chart, VAL_XAXIS, -1, nullptr, 0), UIE_MISSING_ARGUMENT},
        {"items of a numeric", GetNumAxisItems(p_, KINDS_NUMERIC, VAL_XAXIS, &n), UIE_BAD_CONTROL},
        {"X as the active Y axis", SetCtrlAttribute(p_, chart, ATTR_ACTIVE_YAXIS, VAL_XAXIS),
         UIE_BAD_VALUE},
        {"right Y axis active", SetCtrlAttribute(p_, chart, ATTR_ACTIVE_YAXIS, VAL_RIGHT_YAXIS), 0},
        {"active axis of a numeric",
         SetCtrlAttribute(p_, KINDS_NUMERIC, ATTR_ACTIVE_YAXIS, VAL_LEFT_YAXIS), UIE_BAD_ATTRIBUTE},
    };
    for (const auto &c : cases) EXPECT_EQ(c.result, c.expected) << c.name;
    int active = 0;
    ASSERT_EQ(GetCtrlAttribute(p_, chart, ATTR_ACTIVE_YAXIS, &active), 0);
    EXPECT_EQ(active, VAL_RIGHT_YAXIS);
    EXPECT_EQ(items(VAL_XAXIS), std::vector<std::string>{"a@10"}) << "refused calls change nothing";
}

} // namespace
