// Shared fixture: a clean host rooted at the build's addon tree for every case.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostsim/Host.h"

// An animation's components in creation order, to be looked at by position.
inline std::vector<hostsim::AnimationComponent*> listOf(const hostsim::ComponentList& components) {
    return {components.begin(), components.end()};
}

class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        host().reset();
        host().setRoot(HOSTSIM_TEST_ROOT);
    }
    void TearDown() override { host().reset(); }

    static hostsim::Host& host() { return hostsim::Host::instance(); }

    // Creates a vessel from scenario lines and fails the test if the host refused it.
    OBJHANDLE make(const std::string& name, const std::string& className, const std::vector<std::string>& lines = {}) {
        OBJHANDLE h = host().createVessel(name, className, lines);
        EXPECT_NE(h, nullptr) << "could not create " << name << ":" << className;
        return h;
    }
    static hostsim::Vessel& v(OBJHANDLE h) { return *host().vessel(h); }
};
