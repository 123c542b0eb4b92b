#include "run_flow.h"

#include "check_entry.h"
#include "platform.h"

#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char caption[] = "Kestrune";
static const char capturePrompt[] = "运营商名称";  // operator name
static const char notRootNotice[] =
    "检测到本程序未以root身份执行，将不作任何操作！";  // not run as root, nothing will be done
static const char refreshQuestion[] = "设置OK，是否刷新手机？";  // done; refresh the phone?

// Kills the phone's `phone` process a second after we have exited; the phone
// software starts it again, showing the new name.
static const char refreshCommand[] = "sleep 1s && kill `pidof phone` &";

static const int confirmedYes = 1;

// Room for 99 bytes of UTF-8 and the terminator.
static char serviceName[100];

// The first argument in base 10, 0 without one. Out-of-range numbers saturate
// at the int range, as strtol itself does where long is 32 bits (the phone).
static int captureDialogType(int argc, char **argv)
{
    if (argc < 2)
        return 0;
    const long type = strtol(argv[1], 0, 10);
    if (type > INT_MAX)
        return INT_MAX;
    if (type < INT_MIN)
        return INT_MIN;
    return static_cast<int>(type);
}

static void refuse(Platform &platform, int realUserId)
{
    printf("not excute by root, but by %d\n", realUserId);
    MessageDialog *notice = platform.createMessageDialog(caption, notRootNotice, noticeDialog);
    notice->exec();
    delete notice;
}

// The refresh runs on after we have exited. When we lead our terminal's
// session (`ssh -t`, `xterm -e`), our exit hangs up our whole process group,
// the background shell included: it must not die of that. It gets SIGPIPE
// and SIGXFSZ back at their defaults, as any shell expects. The shell puts
// the command in the background at once, so anything but 0 means it did not
// start: the name stays applied, and whoever asked is told.
static void startRefresh(Platform &platform)
{
    void (*const hangup)(int) = signal(SIGHUP, SIG_IGN);
    void (*const brokenPipe)(int) = signal(SIGPIPE, SIG_DFL);
    void (*const fileTooLarge)(int) = signal(SIGXFSZ, SIG_DFL);
    const int status = platform.runShellCommand(refreshCommand);
    signal(SIGXFSZ, fileTooLarge);  // NOLINT(cert-err33-c): restores what it gave just before
    signal(SIGPIPE, brokenPipe);    // NOLINT(cert-err33-c): restores what it gave just before
    signal(SIGHUP, hangup);         // NOLINT(cert-err33-c): restores what it gave just before
    if (status != 0)
        fputs("kestrune: the refresh command could not be started\n", stderr);  // NOLINT(cert-err33-c): nowhere else to report to
}

static void applyAndOfferRefresh(Platform &platform, const char *name)
{
    printf("setup to '%s'\n", name);
    platform.setServiceName(name);

    MessageDialog *confirmation =
        platform.createMessageDialog(caption, refreshQuestion, questionDialog);
    if (confirmation->exec() == confirmedYes)
        startRefresh(platform);
    delete confirmation;
}

int runFlow(Platform &platform, int &argc, char **argv)
{
    // Read before the toolkit sees the command line.
    const int dialogType = captureDialogType(argc, argv);

    Application *application = platform.createApplication(argc, argv);

    const int realUserId = platform.realUserId();
    if (realUserId != 0) {
        refuse(platform, realUserId);
        delete application;
        return runRefused;
    }

    memset(serviceName, 0, sizeof serviceName);
    CaptureDialog *captureDialog =
        platform.createCaptureDialog(caption, capturePrompt, dialogType);
    captureDialog->selectAll();
    application->setMainWidget(captureDialog);
    captureDialog->show();
    application->exec();

    int result = runCancelled;
    if (captureDialog->result() != 0) {
        const int nameStart = checkEntry(*captureDialog, serviceName, sizeof serviceName);
        if (nameStart < 0) {
            result = runRejected;
        } else {
            applyAndOfferRefresh(platform, serviceName + nameStart);
            result = runApplied;
        }
    }

    delete captureDialog;
    delete application;
    return result;
}
