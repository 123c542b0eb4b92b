#include "copy_if_fits_rows.h"
#include "fake_platform.h"
#include "run_flow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <csignal>
#include <string>
#include <vector>

namespace {

using Trace = std::vector<std::string>;

const std::string notice = "检测到本程序未以root身份执行，将不作任何操作！";
const std::string question = "设置OK，是否刷新手机？";

struct FlowRun {
    std::vector<std::string> arguments;
    int result;
    Trace trace;
};

FlowRun runWith(const FakeScript &script, std::vector<std::string> arguments = {"kestrune"})
{
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    int argc = static_cast<int>(arguments.size());

    ConsoleCapture console;
    FakePlatform platform(script, console);
    // As main leaves it for the run.
    void (*const brokenPipe)(int) = std::signal(SIGPIPE, SIG_IGN);
    void (*const fileTooLarge)(int) = std::signal(SIGXFSZ, SIG_IGN);
    const std::string dispositions = signalDispositions();
    const int result = runFlow(platform, argc, argv.data());
    EXPECT_EQ(signalDispositions(), dispositions) << "the run leaves signals as it found them";
    std::signal(SIGXFSZ, fileTooLarge);
    std::signal(SIGPIPE, brokenPipe);
    return {arguments, result, platform.finishedTrace()};
}

Trace concat(std::initializer_list<Trace> parts)
{
    Trace all;
    for (const Trace &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

const Trace startAsRoot = {
    R"(createApplication(argc 1, "kestrune"))",
    "realUserId() -> 0",
};

const Trace captureUntilClosed = {
    R"(createCaptureDialog("Kestrune", "运营商名称", 0))",
    "captureDialog.selectAll()",
    "application.setMainWidget(captureDialog)",
    "captureDialog.show()",
    "application.exec()",
};

const Trace tearDown = {"delete captureDialog", "delete application"};

Trace entered(const std::string &text)
{
    return {"captureDialog.result() -> 1",
            "captureDialog.resultText(size 100, zeroed) -> " + std::to_string(text.size())};
}

Trace applied(const std::string &name, int answer)
{
    return {"stdout: setup to '" + name + "'\n",
            "setServiceName(\"" + name + "\")",
            R"(createMessageDialog("Kestrune", ")" + question + R"(", 1))",
            "messageDialog.exec() -> " + std::to_string(answer)};
}

struct Outcome {
    const char *name;
    FakeScript script;
    int result;
    Trace trace;
};

FakeScript entry(const std::string &text, int confirmation = 0)
{
    FakeScript script;
    script.enteredText = text;
    script.confirmationResult = confirmation;
    return script;
}

void PrintTo(const Outcome &row, std::ostream *out)
{
    *out << row.name;
}

class RunOutcome : public testing::TestWithParam<Outcome> {};

TEST_P(RunOutcome, callsPrintsAndReturnsInOrder)
{
    const Outcome &outcome = GetParam();
    const FlowRun run = runWith(outcome.script);
    EXPECT_EQ(run.trace, outcome.trace);
    EXPECT_EQ(run.result, outcome.result);
}

FakeScript notRoot()
{
    FakeScript script;
    script.realUserId = 500;
    return script;
}

FakeScript cancelled()
{
    FakeScript script;
    script.captureResult = 0;
    script.enteredText = "typed, then cancelled";
    return script;
}

FakeScript acceptedWithResultCode(int code)
{
    FakeScript script = entry("Abc");
    script.captureResult = code;
    return script;
}

// The background shell outlives a hangup at our exit, and gets SIGPIPE back.
const std::string refresh =
    R"(runShellCommand("sleep 1s && kill `pidof phone` &") [SIGHUP ignored, SIGPIPE default, SIGXFSZ default])";

INSTANTIATE_TEST_SUITE_P(
    EveryOutcome, RunOutcome,
    testing::Values(
        Outcome{"refused", notRoot(), 1,
                {R"(createApplication(argc 1, "kestrune"))", "realUserId() -> 500",
                 "stdout: not excute by root, but by 500\n",
                 R"(createMessageDialog("Kestrune", ")" + notice + R"(", 2))",
                 "messageDialog.exec() -> 0", "delete messageDialog", "delete application"}},
        Outcome{"cancelled", cancelled(), 0,
                concat({startAsRoot, captureUntilClosed, {"captureDialog.result() -> 0"}, tearDown})},
        Outcome{"empty", entry(""), -1,
                concat({startAsRoot, captureUntilClosed, entered(""), {"stdout: empty input\n"},
                        tearDown})},
        Outcome{"allBlank", entry("     "), -1,
                concat({startAsRoot, captureUntilClosed, entered("     "),
                        {"stdout: all blank input\n"}, tearDown})},
        Outcome{"tooLong", entry(std::string(100, 'a')), -1,
                concat({startAsRoot, captureUntilClosed, entered(std::string(100, 'a')),
                        {"stdout: input too long\n"}, tearDown})},
        Outcome{"appliedAndRefreshed", entry("  Abc  ", 1), 1,
                concat({startAsRoot, captureUntilClosed, entered("  Abc  "), applied("Abc", 1),
                        {refresh, "delete messageDialog"}, tearDown})},
        Outcome{"appliedNotRefreshed", entry("  Abc  ", 0), 1,
                concat({startAsRoot, captureUntilClosed, entered("  Abc  "), applied("Abc", 0),
                        {"delete messageDialog"}, tearDown})},
        // Only exactly 1 means yes.
        Outcome{"confirmationOtherThanOne", entry("Abc", 2), 1,
                concat({startAsRoot, captureUntilClosed, entered("Abc"), applied("Abc", 2),
                        {"delete messageDialog"}, tearDown})},
        // Any result code but 0 means the entry was accepted.
        Outcome{"acceptedWithOtherResultCode", acceptedWithResultCode(-1), 1,
                concat({startAsRoot, captureUntilClosed,
                        {"captureDialog.result() -> -1", "captureDialog.resultText(size 100, zeroed) -> 3"},
                        applied("Abc", 0), {"delete messageDialog"}, tearDown})}),
    [](const testing::TestParamInfo<Outcome> &info) { return std::string(info.param.name); });

// The run flow's tests lean on the fake handing over entries as every real
// capture dialog does.
TEST(FakeCaptureDialog, copiesTheEntryOnlyWhenItFits)
{
    for (const CopyRow &row : copyRows()) {
        ConsoleCapture console;
        FakePlatform platform(entry(row.entry), console);
        const std::unique_ptr<CaptureDialog> dialog(platform.createCaptureDialog("Kestrune", "运营商名称", 0));
        expectCopiedOnlyIfItFits(*dialog, row.entry, row.name);
    }
}

// Standard error tells of a refresh only when its command could not be
// started; a started one leaves it empty.
TEST(RunFlow, tellsOfTheRefreshOnlyWhenItCouldNotStart)
{
    const std::string told = "kestrune: the refresh command could not be started\n";
    const struct {
        const char *name;
        int status;
        std::string standardError;
    } rows[] = {
        {"started", 0, ""},
        {"noProcess", -1, told},
        {"shellFailed", 1 << 8, told},
    };
    for (const auto &row : rows) {
        FakeScript script = entry("Abc", 1);
        script.refreshStatus = row.status;
        testing::internal::CaptureStderr();
        const FlowRun run = runWith(script);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), row.standardError) << row.name;
        EXPECT_EQ(run.result, 1) << row.name;
    }
}

std::string repeated(const std::string &text, int times)
{
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

// What an accepted entry turns into: the console line, and the name handed
// to the framework (none when the entry is rejected).
struct EntryCase {
    const char *name;
    std::string entered;
    std::string console;
    std::string appliedName;
    int result;
};

void PrintTo(const EntryCase &row, std::ostream *out)
{
    *out << row.name;
}

class Entry : public testing::TestWithParam<EntryCase> {};

TEST_P(Entry, isCheckedTrimmedAndApplied)
{
    const EntryCase &entryCase = GetParam();
    const FlowRun run = runWith(entry(entryCase.entered));

    std::string console;
    std::vector<std::string> applied;
    for (const std::string &event : run.trace) {
        if (event.rfind("stdout: ", 0) == 0)
            console += event.substr(8);
        if (event.rfind("setServiceName(", 0) == 0)
            applied.push_back(event);
    }
    EXPECT_EQ(console, entryCase.console);
    if (entryCase.result == runApplied)
        EXPECT_EQ(applied, std::vector<std::string>{"setServiceName(\"" + entryCase.appliedName + "\")"});
    else
        EXPECT_TRUE(applied.empty());
    EXPECT_EQ(run.result, entryCase.result);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, Entry,
    testing::Values(
        EntryCase{"blanksAround", "  Abc  ", "setup to 'Abc'\n", "Abc", 1},
        EntryCase{"printfDirectivesArePlainText", "%s%n%d", "setup to '%s%n%d'\n", "%s%n%d", 1},
        // The limit counts bytes before trimming: 33 Chinese characters are 99.
        EntryCase{"chineseAtTheLimit", repeated("中", 33), "setup to '" + repeated("中", 33) + "'\n",
                  repeated("中", 33), 1},
        EntryCase{"chinesePastTheLimit", repeated("中", 34), "input too long\n", "", -1},
        EntryCase{"blanksPastTheLimit", " " + std::string(99, 'a'), "input too long\n", "", -1},
        EntryCase{"hugeEntry", std::string(1 << 20, 'a'), "input too long\n", "", -1}),
    [](const testing::TestParamInfo<EntryCase> &info) { return std::string(info.param.name); });

// The first argument picks the capture dialog's type, read as strtol reads it.
struct ArgumentCase {
    const char *name;
    std::vector<std::string> arguments;
    int dialogType;
};

void PrintTo(const ArgumentCase &row, std::ostream *out)
{
    *out << row.name;
}

class Argument : public testing::TestWithParam<ArgumentCase> {};

TEST_P(Argument, givesCaptureDialogType)
{
    const ArgumentCase &argumentCase = GetParam();
    FakeScript script = cancelled();
    std::vector<std::string> arguments = {"kestrune"};
    arguments.insert(arguments.end(), argumentCase.arguments.begin(), argumentCase.arguments.end());

    const FlowRun run = runWith(script, arguments);

    const std::string expected = R"(createCaptureDialog("Kestrune", "运营商名称", )" +
                                 std::to_string(argumentCase.dialogType) + ")";
    EXPECT_NE(std::find(run.trace.begin(), run.trace.end(), expected), run.trace.end())
        << testing::PrintToString(run.trace);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, Argument,
    testing::Values(ArgumentCase{"none", {}, 0},
                    ArgumentCase{"number", {"2"}, 2},
                    ArgumentCase{"noDigits", {"abc"}, 0},
                    ArgumentCase{"digitsThenText", {"12abc"}, 12},
                    ArgumentCase{"leadingSpace", {" 7"}, 7},
                    ArgumentCase{"negative", {"-3"}, -3},
                    ArgumentCase{"plusSign", {"+4"}, 4},
                    ArgumentCase{"notHex", {"0x10"}, 0},
                    ArgumentCase{"leadingZeroIsNotOctal", {"010"}, 10},
                    // Saturates as strtol does on the phone, where long is 32 bits.
                    ArgumentCase{"tooLarge", {"99999999999999999999"}, INT_MAX},
                    ArgumentCase{"tooSmall", {"-99999999999999999999"}, INT_MIN},
                    ArgumentCase{"justPastInt", {"2147483648"}, INT_MAX},
                    ArgumentCase{"secondArgumentIgnored", {"5", "9"}, 5}),
    [](const testing::TestParamInfo<ArgumentCase> &info) { return std::string(info.param.name); });

TEST(RunFlow, readsTheTypeBeforeTheToolkitTakesItsArguments)
{
    FakeScript script = cancelled();
    script.toolkitTakesArguments = true;
    const FlowRun run = runWith(script, {"kestrune", "5", "7"});
    EXPECT_EQ(run.trace.at(2), R"(createCaptureDialog("Kestrune", "运营商名称", 5))");
}

TEST(RunFlow, anEarlierEntryLeavesNothingBehind)
{
    runWith(entry(std::string(99, 'x')));
    const FlowRun next = runWith(entry("ab"));
    EXPECT_EQ(next.trace.at(8), "captureDialog.resultText(size 100, zeroed) -> 2");
    EXPECT_EQ(next.trace.at(9), "stdout: setup to 'ab'\n");
}

}  // namespace
