// The phone adapter, built against the simulated SDK and driven by the real
// run flow: every call it makes into the framework, toolkit and C library,
// with every argument, in order, for each way a run can end.
#include "platform.h"
#include "run_flow.h"

#include "console_capture.h"
#include "copy_if_fits_rows.h"
#include "simulated_phone.h"
#include "simulated_text.h"

#include <ZSingleCaptureDlg.h>
#include <qmetaobject.h>
#include <qtextcodec.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Trace = std::vector<std::string>;

// What the toolkit was asked for during static initialisation.
Trace callsBeforeMain;

const std::string prompt = "运营商名称";
const std::string notice = "检测到本程序未以root身份执行，将不作任何操作！";
const std::string question = "设置OK，是否刷新手机？";

std::string q(const std::string &text)
{
    return quoted(text.c_str());
}

// How a dialog text comes to be: through the "UTF-8" codec when the toolkit
// has one, through the toolkit's own UTF-8 decoding when not.
std::string made(const std::string &text)
{
    return (simulatedUtf8CodecExists ? "QTextCodec::toUnicode(" : "QString::fromUtf8(") + q(text) + ")";
}

std::string released(const std::string &text)
{
    return "QString " + q(text) + " released";
}

Trace concat(std::initializer_list<Trace> parts)
{
    Trace all;
    for (const Trace &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Trace start(int realUserId)
{
    return {R"(new ZApplication(1, {"kestrune"}, 1))", "getuid() -> " + std::to_string(realUserId)};
}

// Both texts are released before the dialog runs.
Trace messageDialog(const std::string &text, int type, int answer)
{
    return {made("Kestrune"),
            made(text),
            R"(new ZMessageDlg("Kestrune", )" + q(text) + ", " + std::to_string(type) +
                ", 0, null, null, true, 0)",
            released(text),
            released("Kestrune"),
            "ZPopup::exec() [ZMessageDlg] -> " + std::to_string(answer)};
}

// The result code is the toolkit's inline QDialog::result(): no call to
// record, only the outcome shows.
Trace captureUntilClosed(const std::string &type)
{
    return {made("Kestrune"),
            made(prompt),
            R"(new ZSingleCaptureDlg("Kestrune", "运营商名称", )" + type +
                R"(, null, "ZSingleCaptureDlg", true, 0, 0))",
            "ZSingleCaptureDlg::getLineEdit()",
            "ZLineEdit::selectAll()",
            "QApplication::setMainWidget(ZSingleCaptureDlg)",
            "ZPopup::show() [ZSingleCaptureDlg]",
            "ZApplication::exec()"};
}

// The entry's characters as logged, and the bytes of the toolkit's utf8()
// once the adapter has made them UTF-8 in place.
Trace entered(const std::string &text, const std::string &repairedUtf8)
{
    return {"ZSingleCaptureDlg::getResultText() -> " + q(text), "QString::utf8() on " + q(text),
            released(text), "QCString " + q(repairedUtf8) + " released"};
}

Trace entered(const std::string &text)
{
    return entered(text, text);
}

Trace applied(const std::string &name, int answer)
{
    return concat({{"stdout: setup to '" + name + "'\n", "UTIL_SetServiceName(" + q(name) + ")"},
                   messageDialog(question, 1, answer)});
}

// The capture dialog goes before the application object; the dialog's texts
// outlive both.
const Trace tearDown = {"~ZSingleCaptureDlg()", "~ZApplication()", released("Kestrune"),
                        released(prompt)};

// The background shell outlives a hangup at our exit, and gets SIGPIPE back.
const std::string refresh =
    R"(system("sleep 1s && kill `pidof phone` &") [SIGHUP ignored, SIGPIPE default, SIGXFSZ default])";

struct Outcome {
    const char *name;
    std::vector<std::string> arguments;
    PhoneScript script;
    int result;
    Trace trace;
};

void PrintTo(const Outcome &row, std::ostream *out)
{
    *out << row.name;
}

PhoneScript script(int realUserId, int captureResult, const std::string &text, int messageResult)
{
    return PhoneScript{realUserId, captureResult, text, false, messageResult};
}

// The toolkit's null string, which its dialog hands over when nothing was
// ever typed.
PhoneScript nothingEverTyped()
{
    return PhoneScript{0, 1, "", true, 0};
}

std::string repeated(const std::string &text, int times)
{
    std::string all;
    while (times-- > 0)
        all += text;
    return all;
}

// One call a line, so that a failure shows a readable diff.
std::string lines(const Trace &calls)
{
    std::string all;
    for (const std::string &call : calls)
        all += call + "\n";
    return all;
}

struct RecordedRun {
    int result;
    Trace calls;
};

// One run of the real flow on the phone adapter, as `kestrune ARGUMENTS...`.
RecordedRun runOnPhone(const PhoneScript &script, const std::vector<std::string> &extraArguments)
{
    std::vector<std::string> arguments = {"kestrune"};
    arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    int argc = static_cast<int>(arguments.size());

    phoneScript() = script;
    ConsoleCapture console;
    takeRecordedCalls();
    logConsole(&console);
    // As main leaves it for the run.
    void (*const brokenPipe)(int) = std::signal(SIGPIPE, SIG_IGN);
    const int result = runFlow(systemPlatform(argc, argv.data()), argc, argv.data());
    std::signal(SIGPIPE, brokenPipe);
    logConsole(nullptr);
    return {result, takeRecordedCalls()};
}

class PhoneRun : public testing::TestWithParam<Outcome> {};

TEST_P(PhoneRun, makesEveryCallWithItsArguments)
{
    const Outcome &outcome = GetParam();
    const RecordedRun run = runOnPhone(outcome.script, outcome.arguments);
    EXPECT_EQ(lines(run.calls), lines(outcome.trace));
    EXPECT_EQ(run.result, outcome.result);
}

INSTANTIATE_TEST_SUITE_P(
    EveryOutcome, PhoneRun,
    testing::Values(
        Outcome{"refused", {}, script(500, 1, "Abc", 1), 1,
                concat({start(500), {"stdout: not excute by root, but by 500\n"},
                        messageDialog(notice, 2, 1), {"~ZMessageDlg()", "~ZApplication()"}})},
        Outcome{"cancelled", {}, script(0, 0, "typed, then cancelled", 1), 0,
                concat({start(0), captureUntilClosed("0"), tearDown})},
        Outcome{"nullText", {}, nothingEverTyped(), -1,
                concat({start(0), captureUntilClosed("0"),
                        {"ZSingleCaptureDlg::getResultText() -> null QString",
                         "QString::utf8() on null QString", R"(QCString "" released)",
                         "stdout: empty input\n"},
                        tearDown})},
        Outcome{"appliedAndRefreshed", {}, script(0, 1, "  Abc  ", 1), 1,
                concat({start(0), captureUntilClosed("0"), entered("  Abc  "), applied("Abc", 1),
                        {refresh, "~ZMessageDlg()"}, tearDown})},
        // Bytes above 0x7f, whether char is signed or not.
        Outcome{"chineseApplied", {}, script(0, 1, "中国移动 ", 2), 1,
                concat({start(0), captureUntilClosed("0"), entered("中国移动 "),
                        applied("中国移动", 2), {"~ZMessageDlg()"}, tearDown})},
        // U+20BB7 and U+1F600 come from the toolkit as surrogate pairs, 6
        // bytes each; the framework gets their 4 bytes of UTF-8.
        Outcome{"beyondFFFFAppliedAsUtf8", {}, script(0, 1, " 𠮷😀中", 0), 1,
                concat({start(0), captureUntilClosed("0"),
                        entered(" 𠮷😀中"),
                        applied("𠮷😀中", 0),
                        {"~ZMessageDlg()"}, tearDown})},
        // The type reaches the framework unchanged, across the whole int range.
        Outcome{"lowestType", {"-2147483648"}, script(0, 0, "", 1), 0,
                concat({{R"(new ZApplication(2, {"kestrune", "-2147483648"}, 1))", "getuid() -> 0"},
                        captureUntilClosed("-2147483648"), tearDown})}),
    [](const testing::TestParamInfo<Outcome> &info) { return std::string(info.param.name); });

// The adapter's own rows beside the shared ones: the toolkit's null string;
// characters counted as the framework gets them, 4 bytes each, not the
// toolkit's 6; and the halves of characters beyond U+FFFF, which the toolkit
// writes as 3 bytes each (as typed here): a high half and the low half after
// it become the character's 4 bytes, any other half U+FFFD. Rows at the
// edges of both ranges.
TEST(PhoneCaptureDialog, copiesTheEntryOnlyWhenItFits)
{
    const std::string lastBeforeHalves = "\xed\x9f\xbf", firstHigh = "\xed\xa0\x80",
                      lastHigh = "\xed\xaf\xbf", firstLow = "\xed\xb0\x80", lastLow = "\xed\xbf\xbf",
                      replacement = "\xef\xbf\xbd";
    struct Row {
        const char *name;
        PhoneScript script;
        std::string entry;
    };
    std::vector<Row> rows = {
        {"nullText", nothingEverTyped(), ""},
        {"fourByteCharactersThatFit", script(0, 1, repeated("😀", 12) + repeated("\U0010FFFD", 12) + "abc", 0),
         repeated("😀", 12) + repeated("\U0010FFFD", 12) + "abc"},
        {"fourByteCharactersOneByteTooLong", script(0, 1, repeated("😀", 25), 0), repeated("😀", 25)},
        {"firstPair", script(0, 1, firstHigh + firstLow, 0), "\xf0\x90\x80\x80"},
        {"lastPair", script(0, 1, lastHigh + lastLow, 0), "\xf4\x8f\xbf\xbf"},
        {"lastBeforeHalvesThenLowHalf", script(0, 1, lastBeforeHalves + firstLow, 0), lastBeforeHalves + replacement},
        {"firstAfterHalves", script(0, 1, "\xee\x80\x80", 0), "\xee\x80\x80"},
        {"reversedPair", script(0, 1, lastLow + firstHigh, 0), replacement + replacement},
        {"twoHighHalves", script(0, 1, firstHigh + lastHigh, 0), replacement + replacement},
        {"twoLowHalves", script(0, 1, firstLow + firstLow, 0), replacement + replacement},
        {"loneHalfAtTheEnd", script(0, 1, "x" + firstHigh, 0), "x" + replacement},
    };
    for (const CopyRow &row : copyRows())
        rows.push_back({row.name, script(0, 1, row.entry, 0), row.entry});
    char *argv[] = {const_cast<char *>("kestrune"), nullptr};
    int argc = 1;
    Platform &platform = systemPlatform(argc, argv);
    for (const Row &row : rows) {
        phoneScript() = row.script;
        Application *application = platform.createApplication(argc, argv);
        CaptureDialog *dialog = platform.createCaptureDialog("Kestrune", prompt.c_str(), 0);
        expectCopiedOnlyIfItFits(*dialog, row.entry, row.name);
        delete dialog;
        delete application;
    }
    takeRecordedCalls();
}

// The simulated toolkit codes text as Qt/Embedded 2.3.10 does, so that the
// runs above see what the phone would: the Latin-1 conversion a stray
// `char *` would take shows in them as other characters.
TEST(SimulatedToolkit, codesTextAsQtEmbedded)
{
    struct Row {
        const char *name;
        QString text;
        std::u16string characters;
        std::string utf8;
    } rows[] = {
        {"implicitLatin1", QString("\xe8\xbf\x90"), u"\u00e8\u00bf\u0090", "\xc3\xa8\xc2\xbf\xc2\x90"},
        {"fourByteSequenceGivesNothing", QString::fromUtf8("a\xf0\x9f\x98\x80z"), u"az", "az"},
        {"strayContinuationBytesDropped", QString::fromUtf8("a\x80\xbfz"), u"az", "az"},
        {"surrogatePairAsSixBytes", QString(newSimulatedString(u"\U0001F600")), u"\U0001F600",
         "\xed\xa0\xbd\xed\xb8\x80"},
        {"nullUtf8IsEmpty", QString::fromUtf8(nullptr), u"", ""},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(row.text.simulatedText()->characters, row.characters) << row.name;
        EXPECT_STREQ(row.text.utf8().data(), row.utf8.c_str()) << row.name;
    }
    EXPECT_STREQ(QString().utf8().data(), "");
    for (const char *name : {"UTF-8", "utf-8", "UTF8", "utf8"})
        EXPECT_EQ(QTextCodec::codecForName(name) != nullptr, simulatedUtf8CodecExists) << name;
    takeRecordedCalls();
}

TEST(StaticInitialisation, looksUpTheUtf8CodecOnceBeforeMain)
{
    EXPECT_EQ(callsBeforeMain,
              Trace{std::string(R"(QTextCodec::codecForName("UTF-8", 0) -> )") +
                    (simulatedUtf8CodecExists ? "codec" : "null")});
}

// What the build made with the SDK's moc, for the program to carry.
TEST(CaptureDialogMetaObject, namesTheClassItsBaseAndItsSlots)
{
    const QMetaObject *metaObject = ZSingleCaptureDlg::staticMetaObject();
    EXPECT_STREQ(metaObject->className(), "ZSingleCaptureDlg");
    EXPECT_STREQ(metaObject->superClassName(), "ZPopup");
    std::vector<std::string> slotNames;  // "slots" is a toolkit macro
    for (int i = 0; i < metaObject->numSlots(); ++i)
        slotNames.push_back(metaObject->slot(i)->name);
    EXPECT_EQ(slotNames, (std::vector<std::string>{"slotLSKClicked()", "slotRSKClicked()",
                                               "slotResizeAllChild(int)"}));
}

}  // namespace

int main(int argc, char **argv)
{
    callsBeforeMain = takeRecordedCalls();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
