#include "atomic_write.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// The test program is linked with --wrap=openat and --wrap=linkat: the
// store's calls come here first. A file without a name (O_TMPFILE) is
// refused with unnamedFileRefusal when it is not 0, as a file system or
// kernel without them refuses it; linking a descriptor itself is refused as
// older kernels refuse it to a process without CAP_DAC_READ_SEARCH.
// The mode of the last file made is kept in createdMode.
namespace {
int unnamedFileRefusal = 0;
bool descriptorLinkRefused = false;
mode_t createdMode = 0;
}

extern "C" int __real_linkat(int fromFolder, const char *from, int toFolder, const char *to, int flags);

extern "C" int __wrap_linkat(int fromFolder, const char *from, int toFolder, const char *to, int flags)
{
    if ((flags & AT_EMPTY_PATH) != 0 && descriptorLinkRefused) {
        errno = ENOENT;
        return -1;
    }
    return __real_linkat(fromFolder, from, toFolder, to, flags);
}

extern "C" int __real_openat(int folder, const char *path, int flags, ...);

extern "C" int __wrap_openat(int folder, const char *path, int flags, ...)
{
    mode_t mode = 0;
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, mode_t);
        va_end(arguments);
        createdMode = mode;
    }
    if ((flags & O_TMPFILE) == O_TMPFILE && unnamedFileRefusal != 0) {
        errno = unnamedFileRefusal;
        return -1;
    }
    return __real_openat(folder, path, flags, mode);
}

namespace {

// A file size limit of 0 while it lives, which refuses a write half way.
class NoFileGrowth {
public:
    NoFileGrowth() : defaultAction(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit none{0, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &none);
    }
    ~NoFileGrowth()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, defaultAction);
    }

private:
    void (*defaultAction)(int);
    rlimit saved{};
};

class AtomicWrite : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        descriptor = open(qPrintable(folder.path()), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        savedMask = umask(022);
    }
    void TearDown() override
    {
        close(descriptor);
        umask(savedMask);
        unnamedFileRefusal = 0;
        descriptorLinkRefused = false;
    }

    std::string replace(const std::string &bytes)
    {
        return replaceFile({descriptor, folder.path().toStdString(), "service-name"}, bytes,
                           trustRule(getuid(), "the user", OthersWriting::ignored));
    }
    QByteArray contents() const
    {
        QFile file(folder.path() + "/service-name");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QStringList names() const
    {
        return QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    QTemporaryDir folder;
    int descriptor = -1;
    mode_t savedMask = 022;
};

// How the new file is made depends on the file system and the kernel; where
// files without a name cannot be made, a named temporary file does, and any
// other refusal is the store's failure. Either is made for its owner alone,
// so that nobody else can open it before its permissions are set. A failure,
// a write refused half way included, leaves the old file and nothing beside.
TEST_F(AtomicWrite, replacesTheOldFileWhereverItCanMakeANewOne)
{
    const std::string folderPath = folder.path().toStdString();
    const std::string writeRefused = "cannot write " + folderPath + "/service-name.";
    const struct {
        const char *name;
        int refusal;
        bool descriptorLinkRefused;
        bool fileCannotGrow;
        std::string failure;  // how it starts
    } rows[] = {
        {"unnamedFile", 0, false, false, ""},
        {"unnamedFileLinkedThroughProc", 0, true, false, ""},
        {"fileSystemWithoutThem", EOPNOTSUPP, false, false, ""},
        {"kernelWithoutThem", EISDIR, false, false, ""},
        {"flagRefused", EINVAL, false, false, ""},
        {"noFileAllowed", EACCES, false, false, "cannot create a file in " + folderPath + ": " + std::strerror(EACCES)},
        {"unnamedFileCannotGrow", 0, false, true, writeRefused},
        {"namedFileCannotGrow", EOPNOTSUPP, false, true, writeRefused},
    };
    for (const auto &row : rows) {
        QFile old(folder.path() + "/service-name");
        ASSERT_TRUE(old.open(QIODevice::WriteOnly | QIODevice::Truncate) && old.write("Old\n") == 4);
        old.close();
        old.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        unnamedFileRefusal = row.refusal;
        descriptorLinkRefused = row.descriptorLinkRefused;
        createdMode = 0777;
        std::string failure;
        if (row.fileCannotGrow) {
            const NoFileGrowth limit;
            failure = replace("Abc\n");
        } else {
            failure = replace("Abc\n");
        }
        EXPECT_EQ(failure.rfind(row.failure, 0), 0u) << row.name << ": " << failure;
        EXPECT_EQ(failure.empty(), row.failure.empty()) << row.name << ": " << failure;
        EXPECT_EQ(createdMode & 077, 0u) << row.name;
        EXPECT_EQ(contents(), row.failure.empty() ? "Abc\n" : "Old\n") << row.name;
        EXPECT_EQ(old.permissions() & 0x7077, QFile::ReadOwner | QFile::WriteOwner) << row.name;
        EXPECT_EQ(names(), QStringList{"service-name"}) << row.name;
    }
}

// No name in the folder is ever written to: the new file is written and
// flushed before it has one, so that a run killed meanwhile leaves nothing.
TEST_F(AtomicWrite, namesTheNewFileOnlyOnceItIsWhole)
{
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, qPrintable(folder.path()), IN_CREATE | IN_MOVED_TO | IN_MODIFY), 0);
    ASSERT_EQ(replace("Abc\n"), "");

    QStringList named, written;
    alignas(inotify_event) char events[4096];
    const ssize_t size = read(watch, events, sizeof events);
    close(watch);
    for (ssize_t at = 0; at < size;) {
        const auto *event = reinterpret_cast<const inotify_event *>(events + at);
        const QString name = event->len ? QString::fromUtf8(event->name) : QString();
        (event->mask & IN_MODIFY ? written : named) << name;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
    EXPECT_FALSE(written.isEmpty());
    for (const QString &name : written)
        EXPECT_FALSE(named.contains(name)) << qPrintable(name) << " was written while it had a name";
    EXPECT_EQ(contents(), "Abc\n");
}

}  // namespace
