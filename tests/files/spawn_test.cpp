// Starting a program with exact argument bytes, detached.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/sys/spawn.h"
#include "tests/support/xdg_fixture.h"

namespace {

class Spawn : public testutil::XdgFixture {};

TEST_F(Spawn, ArgumentsArriveAsTheirBytes)
{
    const std::string program = Root + "/bin dir/rec";
    const std::string out = Root + "/args";
    Recorder(program, out);
    const std::vector<std::string> args = {"caf\xe9.sch", "two words", "", "$HOME `id` \"q\" 'x'", "\xff\xfe"};
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string error;
    ASSERT_TRUE(sys::StartDetached(argv, Root, error)) << error;
    EXPECT_EQ(Recorded(out), args);
}

TEST_F(Spawn, WhatCannotStartIsReported)
{
    const std::string plain = Root + "/not-executable";
    Put(plain, "#!/bin/sh\n");
    struct {
        std::vector<std::string> argv;
        std::string workDir;
    } cases[] = {
        {{}, ""},
        {{""}, ""},
        {{Root + "/missing"}, ""},
        {{plain}, ""},
        {{Root}, ""},                              // a folder
        {{"no-such-program-anywhere-x"}, ""},
        {{"/bin/true", std::string("a\0b", 3)}, ""},
        {{"/bin/true"}, Root + "/no/such/folder"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(sys::StartDetached(c.argv, c.workDir, error)) << (c.argv.empty() ? "" : c.argv[0]);
        EXPECT_FALSE(error.empty());
    }
}

} // namespace
