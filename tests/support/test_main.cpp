// Test entry: an offscreen application and a private home, so no test touches a real user's files.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/test_util.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QTemporaryDir home(QDir::tempPath() + "/ostrin-test-XXXXXX");
    home.setAutoRemove(false);
    const QByteArray h = home.path().toLocal8Bit();
    // Every temporary folder a test makes lies inside the home, which goes at the end.
    QDir().mkpath(home.path() + "/tmp");
    qputenv("TMPDIR", h + "/tmp");
    qputenv("HOME", h);
    qputenv("XDG_DATA_HOME", h + "/.local/share");
    qputenv("XDG_CONFIG_HOME", h + "/.config");
    qputenv("XDG_CACHE_HOME", h + "/.cache");
    qputenv("XDG_RUNTIME_DIR", h + "/run");
    QDir().mkpath(home.path() + "/run");
    QDir().mkpath(home.path() + "/Documents");
    QFile::setPermissions(home.path() + "/run", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    int rc = 0;
    {
        QApplication app(argc, argv);
        rc = RUN_ALL_TESTS();
    }
    testutil::RemoveTree(h.toStdString());
    return rc;
}
