// The updater's command line: its parameter text and the arguments it splits into.
#include "update/run_and_wait.h"

#include <gtest/gtest.h>

using namespace gw;

namespace {

TEST(UpdaterCommand, ParameterTextForAllAndNoOptions) {
    EXPECT_EQ(UpdaterParameterText("COM3", {true, true, true, true}, "/opt/Tool/MASTER",
                                   "/opt/Tool/PROJECTS/Pump"),
              "COM3 FW FR PW PR \"/opt/Tool/MASTER/sim40931.sim\" "
              "\"/opt/Tool/PROJECTS/Pump/bin/\"");
    EXPECT_EQ(UpdaterParameterText("/dev/ttyUSB0", {false, false, false, false}, "/m", "/p q"),
              "/dev/ttyUSB0 NO NO NO NO \"/m/sim40931.sim\" \"/p q/bin/\"");
    EXPECT_EQ(UpdaterParameterText("COM1", {true, false, false, true}, "/m", "/p"),
              "COM1 FW NO NO PR \"/m/sim40931.sim\" \"/p/bin/\"");
    EXPECT_EQ(UpdaterProgramPath("/opt/Tool"), "/opt/Tool/Ser_40931_Update");
}

TEST(UpdaterCommand, SplitAtBlanksOutsideQuotes) {
    using V = std::vector<std::string>;
    const std::vector<std::pair<std::string, V>> cases = {
        {"COM3 FW NO \"/a b/sim40931.sim\" \"/p/bin/\"",
         V{"COM3", "FW", "NO", "/a b/sim40931.sim", "/p/bin/"}},
        {"", V{}},
        {"   ", V{}},
        {"  a   b  ", V{"a", "b"}},
        {"a \"\" b", V{"a", "", "b"}},
        {"x\"y z\"w", V{"xy zw"}},
        {"\"unclosed quote", V{"unclosed quote"}},
        {"C:\\Tool\\bin\\\"", V{"C:\\Tool\\bin\\"}},
    };
    for (const auto& [text, args] : cases)
        EXPECT_EQ(SplitParameterText(text), args) << text;
}

} // namespace
