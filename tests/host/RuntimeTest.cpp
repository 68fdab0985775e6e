#include "Runtime.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> trace;
std::string lastChanceWhere;

void LogLastChance(const char* where, std::exception_ptr) {
    lastChanceWhere = where;
}
void InitA() {
    trace.push_back("init A");
}
void FiniA() {
    trace.push_back("fini A");
}
void InitB() {
    trace.push_back("init B");
}
void FiniB() {
    trace.push_back("fini B");
}
void InitFails() {
    throw Exception("no");
}
int Body() {
    trace.push_back("body");
    return 7;
}
int FailingBody() {
    throw Exception("body failed");
}

struct RuntimeTest : ::testing::Test {
    void SetUp() override {
        trace.clear();
        lastChanceWhere.clear();
        SetLastChanceProc(LogLastChance);
    }
    void TearDown() override { SetLastChanceProc(nullptr); }
};

} // namespace

TEST_F(RuntimeTest, InitialisesInOrderAndFinalisesInReverse) {
    TUnitEntry units[] = {{"A", InitA, FiniA}, {"Empty", nullptr, nullptr}, {"B", InitB, FiniB}};
    EXPECT_EQ(RunProgram(units, 3, Body), 7);
    EXPECT_EQ(trace, (std::vector<std::string>{"init A", "init B", "body", "fini B", "fini A"}));
    EXPECT_EQ(CurrentUnitName(), nullptr);
}

TEST_F(RuntimeTest, FailedInitialisationFinalisesOnlyTheUnitsBeforeIt) {
    TUnitEntry units[] = {{"A", InitA, FiniA}, {"Bad", InitFails, FiniB}, {"B", InitB, FiniB}};
    EXPECT_EQ(RunProgram(units, 3, Body), 1);
    EXPECT_EQ(trace, (std::vector<std::string>{"init A", "fini A"}));
    EXPECT_EQ(lastChanceWhere, "in the initialization of unit Bad");
}

TEST_F(RuntimeTest, ExceptionFromTheProgramReachesTheLastChance) {
    TUnitEntry units[] = {{"A", InitA, FiniA}};
    EXPECT_EQ(RunProgram(units, 1, FailingBody), 1);
    EXPECT_EQ(lastChanceWhere, "in the program");
    EXPECT_EQ(trace, (std::vector<std::string>{"init A", "fini A"}));
}

TEST_F(RuntimeTest, ClassNamesAreDemangled) {
    EReadError e("x");
    EXPECT_EQ(ExceptionClassName(e), "EReadError");
}
