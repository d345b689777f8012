// The event trace: one whole line per event, appended, and nothing at all without a file.

#include "FileText.h"
#include "core/Trace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

TEST(Trace, AppendsOneWholeLinePerEventAndStopsWithoutAFile)
{
    char dir[] = "/tmp/grov-trace-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/trace.txt";
    std::ofstream(path) << "earlier run\n";

    setTraceFile(path);
    EXPECT_TRUE(traceEnabled());
    traceEvent("state", "2");
    // A text with line breaks in it stays on its event's line.
    traceEvent("message", "two\nlines");
    setTraceFile("");
    EXPECT_FALSE(traceEnabled());
    traceEvent("state", "3");

    std::istringstream lines(fileText(path));
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "earlier run");
    double seconds = -1.0;
    char event[32] = {};
    char details[64] = {};
    std::getline(lines, line);
    ASSERT_EQ(std::sscanf(line.c_str(), "%lf %31s %63[^\n]", &seconds, event, details), 3) << line;
    EXPECT_GE(seconds, 0.0);
    EXPECT_STREQ(event, "state");
    EXPECT_STREQ(details, "2");
    std::getline(lines, line);
    EXPECT_NE(line.find(" message two lines"), std::string::npos) << line;
    EXPECT_FALSE(std::getline(lines, line)) << "nothing after the trace stopped: " << line;

    std::remove(path.c_str());
    rmdir(dir);
}

} // namespace
