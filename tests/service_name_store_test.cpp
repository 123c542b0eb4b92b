#include "service_name_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace {

QByteArray contentsOf(const std::string &path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class ServiceNameStore : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        setenv("HOME", qPrintable(home.path()), 1);
        setenv("XDG_CONFIG_HOME", qPrintable(home.path() + "/config"), 1);
    }
    std::string storedFile() const
    {
        return home.path().toStdString() + "/config/kestrune/service-name";
    }
    std::string dotConfigFile() const
    {
        return home.path().toStdString() + "/.config/kestrune/service-name";
    }

    QTemporaryDir home;
};

TEST_F(ServiceNameStore, keepsTheNameAndOneNewlineInAFolderItCreates)
{
    EXPECT_EQ(serviceNamePath(), storedFile());
    EXPECT_EQ(storeServiceName("中国移动"), "");
    EXPECT_EQ(contentsOf(storedFile()), QByteArray("中国移动\n"));
    EXPECT_EQ(storedServiceName(), "中国移动");
}

TEST_F(ServiceNameStore, replacesALongerName)
{
    ASSERT_EQ(storeServiceName("A much longer name"), "");
    ASSERT_EQ(storeServiceName("Ab"), "");
    EXPECT_EQ(contentsOf(storedFile()), QByteArray("Ab\n"));
    EXPECT_EQ(QDir(home.path() + "/config/kestrune").entryList(QDir::Files | QDir::Hidden),
              QStringList{"service-name"})
        << "no temporary file is left behind";
}

TEST_F(ServiceNameStore, fallsBackToDotConfigUnlessXdgConfigHomeIsAnAbsolutePath)
{
    for (const char *configHome : {"", "relative/config"}) {
        setenv("XDG_CONFIG_HOME", configHome, 1);
        EXPECT_EQ(serviceNamePath(), dotConfigFile()) << configHome;
    }
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(serviceNamePath(), dotConfigFile());
    setenv("HOME", qPrintable(home.path() + "//"), 1);
    EXPECT_EQ(serviceNamePath(), dotConfigFile()) << "trailing slashes of HOME";
}

TEST_F(ServiceNameStore, reportsWhyItCannotStoreAndKeepsWhatIsThere)
{
    // A file where the folder should be stops root as well as anyone.
    QFile blocker(home.path() + "/config/kestrune");
    ASSERT_TRUE(QDir().mkpath(home.path() + "/config"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.write("old");
    blocker.close();

    EXPECT_NE(storeServiceName("Abc"), "");
    EXPECT_EQ(contentsOf(blocker.fileName().toStdString()), QByteArray("old"));
    EXPECT_EQ(storedServiceName(), std::nullopt);
}

TEST_F(ServiceNameStore, reportsAFolderWhereTheFileShouldBe)
{
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(storedFile())));
    EXPECT_NE(storeServiceName("Abc"), "");
    EXPECT_EQ(QDir(home.path() + "/config/kestrune").entryList(QDir::Files | QDir::Hidden),
              QStringList{})
        << "the temporary file is removed";
}

TEST_F(ServiceNameStore, replacedFileKeepsItsPermissionsAndNewOnesFollowTheUmask)
{
    const mode_t oldMask = umask(027);
    ASSERT_EQ(storeServiceName("Abc"), "");
    struct stat status;
    ASSERT_EQ(stat(storedFile().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);

    ASSERT_EQ(chmod(storedFile().c_str(), 0600), 0);
    ASSERT_EQ(storeServiceName("Def"), "");
    ASSERT_EQ(stat(storedFile().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    umask(oldMask);
}

}  // namespace
