// Shared pieces of the platform tests: the callbacks named in testpan.uir record what they
// receive, so tests can tell user commits from program changes.
#pragma once

#include "TestPan.h"
#include "platform/ui/userint.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct CallRecord {
    std::string what; // "ctrl", "panel", "menu", "tick"
    int handle;       // panel or menu bar
    int id;           // control or menu item (panel events: 0)
    int event;
};

std::vector<CallRecord> &Calls();

class UiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(InitUserInterface(0, nullptr), 0);
        RegisterTestPanCallbacks();
        Calls().clear();
    }
    void TearDown() override {
        for (int h : panels_) DiscardPanel(h);
        ProcessSystemEvents();
    }
    int Load(int id, int parent = 0) {
        int h = LoadPanel(parent, TESTPAN, id);
        if (h > 0) panels_.push_back(h);
        return h;
    }
    std::vector<int> panels_;
};
