// SPDX-License-Identifier: GPL-3.0-or-later
// A test suite on one private JACK server, started before its first test and
// stopped after its last. When the server cannot start, every test of the
// suite fails with the server's own words; none is skipped in silence.
#pragma once

#include "support/jackserver.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace dorvane::test {

class JackSuite : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        try {
            // The tool, the ports and the peers find it through the environment.
            server() = std::make_unique<JackServer>();
        } catch (const std::exception& e) {
            error() = e.what();
        }
    }

    static void TearDownTestSuite() { server().reset(); }

    void SetUp() override { ASSERT_TRUE(server()) << "no JACK server:\n" << error(); }

    static std::unique_ptr<JackServer>& server()
    {
        static std::unique_ptr<JackServer> s;
        return s;
    }
    static std::string& error()
    {
        static std::string e;
        return e;
    }
};

} // namespace dorvane::test
