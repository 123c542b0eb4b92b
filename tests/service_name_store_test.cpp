#include "service_name_store.h"
#include "store_location.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray contentsOf(const std::string &path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const std::string &path, const std::string &bytes)
{
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

mode_t modeOf(const std::string &path)
{
    struct stat status;
    return lstat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 01'000'000;
}

class ServiceNameStore : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        setenv("HOME", qPrintable(home.path()), 1);
        setenv("XDG_CONFIG_HOME", qPrintable(home.path() + "/config"), 1);
        ASSERT_TRUE(QDir(home.path()).mkdir("config"));
        savedMask = umask(022);
    }
    void TearDown() override { umask(savedMask); }

    std::string at(const std::string &relative) const
    {
        return home.path().toStdString() + "/" + relative;
    }
    std::string storedFile() const { return at("config/kestrune/service-name"); }

    QTemporaryDir home;
    mode_t savedMask = 022;
};

// The config home must be there; below it, and below the home, the store
// makes what is missing.
TEST_F(ServiceNameStore, keepsTheNameAndOneNewlineInFoldersOnlyItsUserMayEnter)
{
    for (const mode_t mask : {0000, 0077, 0277, 0777}) {
        umask(mask);
        QDir(home.path() + "/config/kestrune").removeRecursively();
        EXPECT_EQ(storeLocation().path, storedFile());
        EXPECT_EQ(storeServiceName("中国移动"), "") << "umask " << std::oct << mask;
        EXPECT_EQ(modeOf(at("config/kestrune")), 0700u) << "umask " << std::oct << mask;
        unsetenv("XDG_CONFIG_HOME");
        QDir(home.path() + "/.config").removeRecursively();
        EXPECT_EQ(storeServiceName("中国移动"), "") << "umask " << std::oct << mask;
        EXPECT_EQ(modeOf(at(".config")), 0700u) << "umask " << std::oct << mask;
        EXPECT_EQ(modeOf(at(".config/kestrune")), 0700u) << "umask " << std::oct << mask;
        setenv("XDG_CONFIG_HOME", qPrintable(home.path() + "/config"), 1);
        umask(022);
        // A file its owner may not read is read by root alone.
        if ((mask & 0400) == 0) {
            EXPECT_EQ(storedServiceName(), "中国移动");
            EXPECT_EQ(contentsOf(storedFile()), QByteArray("中国移动\n"));
        }
    }
}

// How many descriptors the process has open.
int openDescriptors()
{
    return static_cast<int>(QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

TEST_F(ServiceNameStore, replacesALongerNameAndLeavesNoTemporaryFileNorDescriptor)
{
    const int descriptors = openDescriptors();
    ASSERT_EQ(storeServiceName("A much longer name"), "");
    ASSERT_EQ(storeServiceName("Ab"), "");
    EXPECT_EQ(storedServiceName(), "Ab");
    EXPECT_EQ(openDescriptors(), descriptors);
    EXPECT_EQ(contentsOf(storedFile()), QByteArray("Ab\n"));
    EXPECT_EQ(QDir(home.path() + "/config/kestrune").entryList(QDir::Files | QDir::Hidden),
              QStringList{"service-name"});
}

TEST_F(ServiceNameStore, findsTheHomeOnlyFromAnAbsolutePath)
{
    const std::string passwordHome = getpwuid(getuid())->pw_dir;
    const struct {
        const char *home;
        const char *configHome;
        std::string path;
    } rows[] = {
        {nullptr, nullptr, at(".config/kestrune/service-name")},
        {nullptr, "", at(".config/kestrune/service-name")},
        {nullptr, "relative/config", at(".config/kestrune/service-name")},
        {"/trailing//", nullptr, "/trailing/.config/kestrune/service-name"},
        // A relative or empty HOME would put the store wherever the tool was started.
        {"relative", nullptr, passwordHome + "/.config/kestrune/service-name"},
        {"", nullptr, passwordHome + "/.config/kestrune/service-name"},
        {"relative", "/config", "/config/kestrune/service-name"},
        {nullptr, "/", "/kestrune/service-name"},
    };
    for (const auto &row : rows) {
        if (row.home)
            setenv("HOME", row.home, 1);
        if (row.configHome)
            setenv("XDG_CONFIG_HOME", row.configHome, 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        EXPECT_EQ(storeLocation().path, row.path)
            << "HOME=" << (row.home ? row.home : "(unchanged)")
            << " XDG_CONFIG_HOME=" << (row.configHome ? row.configHome : "(unset)");
    }
}

// Each row makes something stand where the store would go; the store must
// refuse with a reason naming it, and leave everything as it was.
struct Refusal {
    const char *name;
    std::function<void(const std::string &top)> plant;
    std::string reason;  // part of what the store says; <top> is the row's folder
};

// Every path below `folder`, links not followed.
QStringList everythingIn(const QString &folder)
{
    QStringList paths;
    QDirIterator entries(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (entries.hasNext())
        paths << entries.next();
    paths.sort();
    return paths;
}

class StoreRefuses : public ServiceNameStore, public testing::WithParamInterface<Refusal> {};

TEST_P(StoreRefuses, andChangesNothing)
{
    const Refusal &refusal = GetParam();
    const std::string top = home.path().toStdString();
    refusal.plant(top);
    const QStringList before = everythingIn(home.path());
    const QByteArray outside = contentsOf(top + "/outside/file");

    std::string reason = refusal.reason;
    if (const size_t at = reason.find("<top>"); at != std::string::npos)
        reason.replace(at, 5, top);

    const std::string failure = storeServiceName("Abc");
    EXPECT_EQ(failure.rfind("cannot store the service name in " + storeLocation().path + ": ", 0), 0u) << failure;
    EXPECT_NE(failure.find(reason), std::string::npos) << failure;
    EXPECT_EQ(everythingIn(home.path()), before);
    EXPECT_EQ(contentsOf(top + "/outside/file"), outside);
    EXPECT_EQ(storedServiceName(), std::nullopt);
}

void makeOutside(const std::string &top)
{
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(top + "/outside")));
    writeFile(top + "/outside/file", "untouched\n");
}

INSTANTIATE_TEST_SUITE_P(
    Planted, StoreRefuses,
    testing::Values(
        Refusal{"linkedFolder",
                [](const std::string &top) {
                    makeOutside(top);
                    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(top + "/config")));
                    ASSERT_EQ(symlink("../outside", (top + "/config/kestrune").c_str()), 0);
                },
                "/config/kestrune is a symbolic link"},
        Refusal{"linkedConfigHome",
                [](const std::string &top) {
                    makeOutside(top);
                    ASSERT_EQ(rmdir((top + "/config").c_str()), 0);
                    ASSERT_EQ(symlink("outside", (top + "/config").c_str()), 0);
                },
                "/config is a symbolic link"},
        Refusal{"fileForFolder",
                [](const std::string &top) {
                    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(top + "/config")));
                    writeFile(top + "/config/kestrune", "old");
                },
                "/config/kestrune is not a folder"},
        Refusal{"folderForFile",
                [](const std::string &top) {
                    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(top + "/config/kestrune/service-name")));
                },
                "cannot replace <top>/config/kestrune/service-name: Is a directory"},
        Refusal{"missingHome",
                [](const std::string &top) {
                    unsetenv("XDG_CONFIG_HOME");
                    setenv("HOME", (top + "/nonexistent").c_str(), 1);
                },
                "/nonexistent does not exist"},
        Refusal{"missingConfigHome",
                [](const std::string &top) {
                    setenv("XDG_CONFIG_HOME", (top + "/nonexistent/.config").c_str(), 1);
                },
                "/nonexistent does not exist"},
        Refusal{"nameTooLong",
                [](const std::string &top) {
                    setenv("XDG_CONFIG_HOME", (top + "/" + std::string(NAME_MAX + 1, 'a')).c_str(), 1);
                },
                "cannot open the folder <top>/" + std::string(NAME_MAX + 1, 'a') + ": File name too long"},
        Refusal{"pathTooLong",
                [](const std::string &top) {
                    std::string deep = top;
                    while (deep.size() < PATH_MAX)
                        deep += "/a";
                    setenv("XDG_CONFIG_HOME", deep.c_str(), 1);
                },
                "longer than"}),
    [](const testing::TestParamInfo<Refusal> &info) { return std::string(info.param.name); });

// A new file gets 0666 less the umask; a replaced file keeps no more than
// that of its own bits, and never executable, set-id or sticky bits.
TEST_F(ServiceNameStore, storedFileNeverHasMoreRightsThanANewFileOfTheUser)
{
    const struct {
        mode_t mask;
        mode_t oldMode;  // 0: no old file
        mode_t expected;
    } rows[] = {
        {027, 0, 0640},    {077, 0, 0600},       {000, 0, 0666},
        {022, 0600, 0600}, {027, 0644, 0640},    {022, 06755, 0644},
        {000, 01777, 0666},
    };
    for (const auto &row : rows) {
        QFile::remove(QString::fromStdString(storedFile()));
        if (row.oldMode) {
            ASSERT_EQ(storeServiceName("Old"), "");
            ASSERT_EQ(chmod(storedFile().c_str(), row.oldMode), 0);
        }
        umask(row.mask);
        ASSERT_EQ(storeServiceName("Abc"), "");
        umask(022);
        EXPECT_EQ(modeOf(storedFile()), row.expected)
            << "umask " << std::oct << row.mask << ", old file " << row.oldMode;
    }
}

// The longest path a program can open, and not a byte more.
TEST_F(ServiceNameStore, takesAPathUpToTheLongestThatCanBeOpened)
{
    const std::string file = "/kestrune/service-name";
    for (const size_t length : {size_t(PATH_MAX) - 1, size_t(PATH_MAX)}) {
        std::string configHome = at("deep");
        while (configHome.size() + file.size() + 4 <= length)
            configHome += "/a";
        while (configHome.size() + file.size() < length)
            configHome += 'b';
        setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(configHome)));
        ASSERT_EQ(storeLocation().path.size(), length);
        const std::string failure = storeServiceName("Abc");
        if (length < PATH_MAX) {
            EXPECT_EQ(failure, "");
        } else {
            EXPECT_NE(failure.find("longer than"), std::string::npos) << failure;
        }
    }
}

// A FIFO where the old file was: replaced, and nothing of its mode copied.
TEST_F(ServiceNameStore, replacesWhatIsNoFileWithANewFile)
{
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(at("config/kestrune"))));
    ASSERT_EQ(mkfifo(storedFile().c_str(), 0600), 0);
    ASSERT_EQ(storeServiceName("Abc"), "");
    EXPECT_EQ(modeOf(storedFile()), 0644u);
    EXPECT_EQ(contentsOf(storedFile()), QByteArray("Abc\n"));
}

// What pre-fills the window's entry: only a plain file of ours, with a name
// of at most 99 bytes and its newline.
TEST_F(ServiceNameStore, readsOnlyAPlainFileWithOneName)
{
    const std::string a99(99, 'a');
    const auto holding = [](const std::string &bytes) {
        return [bytes](const std::string &file) { writeFile(file, bytes); };
    };
    const struct {
        const char *name;
        std::function<void(const std::string &file)> make;
        std::optional<std::string> expected;
    } rows[] = {
        {"nameAndNewline", holding("Abc\n"), "Abc"},
        {"noNewline", holding("Abc"), "Abc"},
        {"zeroBytes", holding(""), ""},
        {"longestName", holding(a99 + "\n"), a99},
        {"nameTooLong", holding(a99 + "a\n"), std::nullopt},
        {"tooLongWithoutNewline", holding(a99 + "a"), std::nullopt},
        {"fifo", [](auto &file) { mkfifo(file.c_str(), 0600); }, std::nullopt},
        {"linkToAFile", [](auto &file) { symlink("/etc/hostname", file.c_str()); }, std::nullopt},
        {"secondNameOfAFile",
         [](auto &file) {
             writeFile(file + ".other", "Abc\n");
             link((file + ".other").c_str(), file.c_str());
         },
         std::nullopt},
        {"folder", [](auto &file) { mkdir(file.c_str(), 0700); }, std::nullopt},
    };
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(at("config/kestrune"))));
    for (const auto &row : rows) {
        QDir(QString::fromStdString(at("config/kestrune"))).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(at("config/kestrune"))));
        row.make(storedFile());
        EXPECT_EQ(storedServiceName(), row.expected) << row.name;
    }
}

}  // namespace
