#include "service_name_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
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
    QString storedFile() const { return home.path() + "/config/kestrune/service-name"; }

    QTemporaryDir home;
};

TEST_F(ServiceNameStore, keepsTheNameAndOneNewlineInAFolderItCreates)
{
    EXPECT_EQ(serviceNamePath(), storedFile());
    EXPECT_EQ(storeServiceName("中国移动"), QString());
    EXPECT_EQ(contentsOf(storedFile()), QByteArray("中国移动\n"));
    EXPECT_EQ(storedServiceName(), QByteArray("中国移动"));
}

TEST_F(ServiceNameStore, replacesALongerName)
{
    ASSERT_EQ(storeServiceName("A much longer name"), QString());
    ASSERT_EQ(storeServiceName("Ab"), QString());
    EXPECT_EQ(contentsOf(storedFile()), QByteArray("Ab\n"));
    EXPECT_EQ(QDir(home.path() + "/config/kestrune").entryList(QDir::Files | QDir::Hidden),
              QStringList{"service-name"})
        << "no temporary file is left behind";
}

TEST_F(ServiceNameStore, fallsBackToDotConfigUnlessXdgConfigHomeIsAnAbsolutePath)
{
    for (const char *configHome : {"", "relative/config"}) {
        setenv("XDG_CONFIG_HOME", configHome, 1);
        EXPECT_EQ(serviceNamePath(), home.path() + "/.config/kestrune/service-name") << configHome;
    }
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(serviceNamePath(), home.path() + "/.config/kestrune/service-name");
}

TEST_F(ServiceNameStore, reportsWhyItCannotStoreAndKeepsWhatIsThere)
{
    // A file where the folder should be stops root as well as anyone.
    QFile blocker(home.path() + "/config/kestrune");
    ASSERT_TRUE(QDir().mkpath(home.path() + "/config"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.write("old");
    blocker.close();

    EXPECT_FALSE(storeServiceName("Abc").isEmpty());
    EXPECT_EQ(contentsOf(blocker.fileName()), QByteArray("old"));
    EXPECT_EQ(storedServiceName(), std::nullopt);
}

TEST_F(ServiceNameStore, reportsAFolderWhereTheFileShouldBe)
{
    ASSERT_TRUE(QDir().mkpath(storedFile()));
    EXPECT_FALSE(storeServiceName("Abc").isEmpty());
}

}  // namespace
