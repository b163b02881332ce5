#pragma once
// The program's windows, created once for all window tests, over a project
// folder that each test makes fresh.
#include "app/project_globals.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace gwtest {

class GatewayWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();

    void SetUp() override;

    // OK on `window`, whose document at `path` (holding `broken`) could not be
    // read: it asks first; No keeps the file and the window, Yes replaces the file.
    void ExpectOkAsksBeforeReplacing(const std::string& path, const std::string& broken,
                                     QDialog* window, const std::function<void()>& pressOk);

    TempDir dir;
    ScriptedPrompts prompts;
    std::string pargen = dir / "pargen.xml";
    std::string sdo = dir / "sdo.xml";
    std::string pdo = dir / "pdo.xml";
};

// Runs `action` inside the next modal dialog that opens and returns that
// dialog's object name; empty when no modal dialog opened during `trigger`.
QString InNextModal(const std::function<void()>& trigger,
                    const std::function<void(QWidget*)>& action);

} // namespace gwtest
