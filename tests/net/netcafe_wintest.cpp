// Net-café detection against the registry and the process list of the Wine
// prefix: keys are created and removed by each test, and stand-in processes are
// copies of the helper program running under a product's executable name.
#include "IdentTestSupport.h"

#include "app/base/Utils.h"
#include "net/NetCafe.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace identtest;

TEST(NetCafe, CleanMachineGivesMinusOne) {
    EXPECT_EQ(DetectNetCafe(), -1);
}

TEST(NetCafe, EarlierRowWins) {
    TempHklmKey pubwin(L"SOFTWARE\\Hintsoft\\pubwin");
    TempHklmKey icafe(L"SOFTWARE\\iCafe8");
    ASSERT_TRUE(pubwin.Ok());
    ASSERT_TRUE(icafe.Ok());
    EXPECT_EQ(DetectNetCafe(), 0);
}

TEST(NetCafe, SingleKeyGivesItsCode) {
    {
        TempHklmKey icafe(L"SOFTWARE\\iCafe8");
        ASSERT_TRUE(icafe.Ok());
        EXPECT_EQ(DetectNetCafe(), 6);
    }
    {
        TempHklmKey chinese(L"SOFTWARE\\杭州顺网信息技术有限公司\\网维大师蝌蚪娱乐平台");
        ASSERT_TRUE(chinese.Ok());
        EXPECT_EQ(DetectNetCafe(), 14);
    }
    EXPECT_EQ(DetectNetCafe(), -1); // both removed again
}

TEST(NetCafe, KeysWithALeadingBackslashCountAsAbsent) {
    // The keys those rows mean exist, but the stored paths start with "\".
    TempHklmKey qvod(L"QvodNetBar\\install");
    TempHklmKey update(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\网升游戏更新客户端");
    ASSERT_TRUE(update.Ok());
    EXPECT_FALSE(RegistryKeyExists(L"\\QvodNetBar\\install"));
    EXPECT_FALSE(
        RegistryKeyExists(L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\网升游戏更新客户端"));
    EXPECT_TRUE(
        RegistryKeyExists(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\网升游戏更新客户端"));
    EXPECT_EQ(DetectNetCafe(), -1);
}

TEST(NetCafe, RegistryKeyExistsUsesTheProcessOwnView) {
    // A key only in the 64-bit view: a 32-bit process on 64-bit Windows sees its
    // own (redirected) view and misses it.
    TempHklmKey only64(L"SOFTWARE\\GantryIdentViewTest", KEY_WOW64_64KEY);
    ASSERT_TRUE(only64.Ok());
    const bool redirected = sizeof(void*) == 4 && GetOsBits() == 64;
    EXPECT_EQ(RegistryKeyExists(L"SOFTWARE\\GantryIdentViewTest"), !redirected);
    EXPECT_FALSE(RegistryKeyExists(L"SOFTWARE\\GantryIdentNoSuchKey"));
    EXPECT_FALSE(RegistryKeyExists(nullptr));
}

TEST(NetCafe, RunningProcessNameIsMatchedExactly) {
    ScratchDir dir;
    {
        RunningCopy qqmenu(dir, L"QQmenu.exe");
        ASSERT_TRUE(qqmenu.Running());
        EXPECT_TRUE(IsProcessRunning(L"QQmenu.exe"));
        EXPECT_FALSE(IsProcessRunning(L"qqmenu.exe"));
        EXPECT_FALSE(IsProcessRunning(L"QQmenu"));
        EXPECT_EQ(DetectNetCafe(), 20);
    }
    EXPECT_FALSE(IsProcessRunning(L"QQmenu.exe"));
    {
        RunningCopy lower(dir, L"qqmenu.exe");
        ASSERT_TRUE(lower.Running());
        EXPECT_FALSE(IsProcessRunning(L"QQmenu.exe"));
        EXPECT_EQ(DetectNetCafe(), -1);
    }
}

TEST(NetCafe, ChineseProcessNameAndKeyBeforeProcess) {
    ScratchDir dir;
    RunningCopy centre(dir, L"娱乐中心.exe");
    ASSERT_TRUE(centre.Running());
    EXPECT_EQ(DetectNetCafe(), 17);
    // A key row earlier in the list wins over the running process.
    TempHklmKey netsense(L"SOFTWARE\\Grabsun\\Netsense");
    ASSERT_TRUE(netsense.Ok());
    EXPECT_EQ(DetectNetCafe(), 16);
}

TEST(NetCafe, ProcessAfterAKeyRow) {
    ScratchDir dir;
    RunningCopy lbs(dir, L"LBSserver.exe");
    ASSERT_TRUE(lbs.Running());
    EXPECT_EQ(DetectNetCafe(), 31);
    TempHklmKey vod(L"SOFTWARE\\MpSoft\\VOD"); // row 24, before row 25
    ASSERT_TRUE(vod.Ok());
    EXPECT_EQ(DetectNetCafe(), 30);
}

} // namespace
