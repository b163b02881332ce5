// The window tests' own safety nets: they must fail a test, and fast.
#include "support/modal_watchdog.h"
#include "support/scripted_prompts.h"

#include <QDialog>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <chrono>

namespace {

TEST(ModalWatchdog, ADialogLeftOpenFailsTheTestInSecondsNamingIt) {
    const auto start = std::chrono::steady_clock::now();
    // Nothing in this test closes the dialog: without the watchdog, exec()
    // would wait until the CI time limit.
    EXPECT_NONFATAL_FAILURE(
        {
            QDialog forgotten;
            forgotten.setObjectName("FForgotten");
            forgotten.setWindowTitle("Receive Frames");
            forgotten.exec();
        },
        "A modal dialog was left open: \"Receive Frames\" (FForgotten)");
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              gwtest::ModalWatchdog::Limit() + std::chrono::seconds(2));
}

TEST(ScriptedPrompts, AnswersLeftUnusedFailTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            gwtest::ScriptedPrompts prompts;
            prompts.AnswerQuestion(true);
            prompts.AnswerFile("/tmp/x.gsd");
        },
        "Scripted answers left unused: 1 file or folder answer(s), 1 question answer(s)");
    // Answers that were asked for are no failure.
    gwtest::ScriptedPrompts prompts;
    prompts.AnswerQuestion(true);
    EXPECT_TRUE(prompts.Question(nullptr, "Confirm", "Replace?"));
}

} // namespace
