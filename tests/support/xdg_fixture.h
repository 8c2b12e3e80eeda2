#pragma once
// A fresh set of XDG folders for one test (data and config, home and system), and a small
// program that records the arguments it was started with.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/test_util.h"

namespace testutil {

class XdgFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Tmp.isValid());
        Root = Tmp.path().toStdString();
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS",
                                 "XDG_CURRENT_DESKTOP"})
            Saved.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        DataHome = Root + "/data";
        ConfigHome = Root + "/config";
        SysData = Root + "/sys";
        for (const std::string& d : {DataHome, ConfigHome, SysData, Root + "/etc"})
            QDir().mkpath(QString::fromStdString(d));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(DataHome));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(ConfigHome));
        qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(SysData));
        qputenv("XDG_CONFIG_DIRS", QByteArray::fromStdString(Root + "/etc"));
        qunsetenv("XDG_CURRENT_DESKTOP");
    }
    void TearDown() override
    {
        RemoveTree(Root);
        for (const auto& s : Saved) {
            if (s.set)
                qputenv(s.name, s.value);
            else
                qunsetenv(s.name);
        }
    }

    // A file with its folders.
    void Put(const std::string& path, const std::string& bytes)
    {
        QDir().mkpath(QString::fromStdString(path.substr(0, path.rfind('/'))));
        ASSERT_TRUE(WriteFile(path, bytes)) << path;
    }

    // An executable script at path that writes its arguments, each ended by a NUL, to out.
    void Recorder(const std::string& path, const std::string& out)
    {
        Put(path, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > '" + out + ".part'\nmv '" + out +
                      ".part' '" + out + "'\n");
        ::chmod(path.c_str(), 0755);
    }

    // The arguments a recorder wrote, once it has (waiting up to ms).
    static std::vector<std::string> Recorded(const std::string& out, int ms = 10000)
    {
        QElapsedTimer t;
        t.start();
        while (!QFile::exists(QString::fromStdString(out)) && t.elapsed() < ms) {
            QCoreApplication::processEvents();
            QThread::msleep(10);
        }
        std::vector<std::string> args;
        const std::string bytes = ReadFile(out);
        std::size_t at = 0;
        while (at < bytes.size()) {
            const std::size_t end = bytes.find('\0', at);
            args.push_back(bytes.substr(at, end - at));
            at = end == std::string::npos ? bytes.size() : end + 1;
        }
        return args;
    }

    QTemporaryDir Tmp;
    std::string Root, DataHome, ConfigHome, SysData;

private:
    struct TSaved {
        const char* name;
        QByteArray value;
        bool set;
    };
    std::vector<TSaved> Saved;
};

} // namespace testutil
