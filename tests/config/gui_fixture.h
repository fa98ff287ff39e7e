// The real main panel on the offscreen platform, with the real callbacks bound by name, for the
// panel tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "MainPan.h"
#include "config/mainpanel.h"
#include "config/record.h"
#include "platform/ui/resourcefile.h"
#include "platform/ui/userint.h"

// Binds the main panel's callbacks and starts the user-interface run-time once per process.
void StartPanelRuntime();

// Loads a fresh main panel for each test, with the new-file configuration of a 5 A, 500 V
// instrument with the option module.
class PanelTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Sets a control as the user would and commits it.
    void Enter(int control, int value);
    void Enter(int control, double value);
    void Enter(int control, const char *text);
    void Present(); // ActivateObjects and ShowAll on the current Konf

    int Int(int control);
    double Num(int control);
    std::string Text(int control);
    int Visible(int control);
    int Dimmed(int control);
    int Items(int control);
    std::string ItemLabel(int control, int index);
};
