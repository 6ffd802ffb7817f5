#include "bridges/ext_module.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/dynamic_library.h"

namespace {

using bridges::ExtModule;
using SlotSet = ExtModule::SlotSet;

constexpr const char *kMissingFile = "/nonexistent/ext-module/missing.std";

TEST(ExtModule, MissingFileFailsAndEveryBridgeAnswersMissing) {
    ExtModule module;
    EXPECT_FALSE(module.Load(kMissingFile));
    EXPECT_FALSE(module.IsLoaded());
    EXPECT_NE(module.LastError().find(kMissingFile), std::string::npos) << module.LastError();
    EXPECT_EQ(module.FileName(), "");

    int value = 1;
    EXPECT_EQ(module.ExtInit(&value), EXT_MISSING_ENTRY);
    EXPECT_EQ(module.ExtShow(1, ExtRect{1, 2, 3, 4}), EXT_MISSING_ENTRY);
    EXPECT_EQ(module.ExtRelease(), EXT_MISSING_ENTRY);
    EXPECT_EQ(module.ExtPrintView(), EXT_MISSING_ENTRY);
    EXPECT_EQ(module.Call(7, "Open"), EXT_MISSING_ENTRY);
    EXPECT_EQ(module.GetDevData(), nullptr);
    char text[8] = "kept";
    module.ExtGetErrorInfo(text);
    EXPECT_STREQ(text, "kept");
}

TEST(ExtModule, EntriesGetTheirArgumentsUnchanged) {
    ExtModule module;
    ASSERT_TRUE(module.Load(TEST_EXT_PLUGIN)) << module.LastError();
    EXPECT_EQ(module.FileName(), TEST_EXT_PLUGIN);

    int value = 21;
    EXPECT_EQ(module.ExtInitInfo(&value), 42);
    void *seen = nullptr;
    EXPECT_EQ(module.ExtGetInfo(&seen), 1);
    EXPECT_EQ(seen, &value);
    EXPECT_EQ(module.ExtShow(7, ExtRect{1, 2, 3, 4}), 71234);
    ASSERT_NE(module.GetDevData(), nullptr);
    EXPECT_STREQ(static_cast<const char *>(module.GetDevData()), "test-device");
    EXPECT_EQ(module.ExtRelease(), 3);
    EXPECT_EQ(module.ExtMoveEx(), 11);
    EXPECT_EQ(module.Call(7, "Open"), 70);
    EXPECT_EQ(module.Call(12, "Open"), 70);
}

TEST(ExtModule, MissingOrThrowingEntryIsReportedWhileOthersWork) {
    ExtModule module;
    ASSERT_TRUE(module.Load(TEST_EXT_PLUGIN));
    EXPECT_TRUE(ExtModule::HasSlot(SlotSet::kFull, 1, "ExtStop"));
    EXPECT_EQ(module.SlotAddress(1, "ExtStop"), nullptr);
    EXPECT_EQ(module.ExtStop(), EXT_MISSING_ENTRY);
    EXPECT_EQ(module.ExtInitItem(nullptr), EXT_MISSING_ENTRY);
    EXPECT_EQ(module.Call(9, "ExDevInit"), EXT_MISSING_ENTRY);

    char buffer[16] = {};
    EXPECT_EQ(module.ExtGetStand(buffer), EXT_DRIVEN_EXCEPTION);
    EXPECT_NO_THROW(module.ExtGetErrorInfo(buffer));
    EXPECT_EQ(module.ExtInit(nullptr), 1);
}

TEST(ExtModule, SharedNameHasTheSameAddressInEveryFamily) {
    ExtModule module;
    ASSERT_TRUE(module.Load(TEST_EXT_PLUGIN));
    platform::DynamicLibrary direct;
    ASSERT_TRUE(direct.Open(TEST_EXT_PLUGIN));
    const void *address = direct.Symbol("ExtInit");
    ASSERT_NE(address, nullptr);
    for (int family = 1; family <= 6; ++family) {
        EXPECT_EQ(module.SlotAddress(family, "ExtInit"), address) << "family " << family;
        EXPECT_EQ(module.Call(family, "ExtInit"), 1) << "family " << family;
    }
    EXPECT_FALSE(ExtModule::HasSlot(SlotSet::kFull, 7, "ExtInit"));
    EXPECT_EQ(module.SlotAddress(7, "ExtInit"), nullptr);
    EXPECT_EQ(module.Call(7, "ExtInit"), EXT_MISSING_ENTRY);
}

TEST(ExtModule, SergenSetLacksTheEditorsMissingSlots) {
    EXPECT_EQ(ExtModule::SlotCount(SlotSet::kFull), 150u);
    EXPECT_EQ(ExtModule::SlotCount(SlotSet::kSergen), 122u);
    for (auto [family, name] : {std::pair{1, "ExtMoveEx"},
                                {2, "ExtLoadInitFile"},
                                {3, "ExtSetUerType"},
                                {10, "ExtInitMegColor"},
                                {12, "Open"}}) {
        EXPECT_TRUE(ExtModule::HasSlot(SlotSet::kFull, family, name)) << name;
    }
    EXPECT_FALSE(ExtModule::HasSlot(SlotSet::kSergen, 1, "ExtMoveEx"));
    EXPECT_FALSE(ExtModule::HasSlot(SlotSet::kSergen, 2, "ExtLoadInitFile"));
    EXPECT_TRUE(ExtModule::HasSlot(SlotSet::kSergen, 3, "ExtSetUerType"));
    EXPECT_TRUE(ExtModule::HasSlot(SlotSet::kSergen, 10, "ExtInitMegColor"));
    EXPECT_FALSE(ExtModule::HasSlot(SlotSet::kSergen, 10, "ExtMeterCommand"));
    EXPECT_FALSE(ExtModule::HasSlot(SlotSet::kSergen, 12, "Open"));

    // The file exports ExtMoveEx and Open, but the editor's set does not reach them.
    ExtModule module(SlotSet::kSergen);
    ASSERT_TRUE(module.Load(TEST_EXT_PLUGIN));
    EXPECT_EQ(module.ExtMoveEx(), EXT_MISSING_ENTRY);
    EXPECT_EQ(module.Call(12, "Open"), EXT_MISSING_ENTRY);
    EXPECT_EQ(module.Call(7, "Open"), 70);
    EXPECT_EQ(module.ExtRelease(), 3);
}

TEST(ExtModule, SecondLoadKeepsTheFirstAndUnloadClearsEverySlot) {
    ExtModule module;
    ASSERT_TRUE(module.Load(TEST_EXT_PLUGIN));
    EXPECT_TRUE(module.Load(kMissingFile));
    EXPECT_EQ(module.FileName(), TEST_EXT_PLUGIN);
    EXPECT_EQ(module.ExtRelease(), 3);

    module.Unload();
    EXPECT_FALSE(module.IsLoaded());
    EXPECT_EQ(module.FileName(), "");
    for (int family = 1; family <= 6; ++family)
        EXPECT_EQ(module.SlotAddress(family, "ExtInit"), nullptr) << "family " << family;
    EXPECT_EQ(module.SlotAddress(7, "Open"), nullptr);
    EXPECT_EQ(module.ExtRelease(), EXT_MISSING_ENTRY);
    EXPECT_EQ(module.GetDevData(), nullptr);

    EXPECT_FALSE(module.Load(kMissingFile));
    ASSERT_TRUE(module.Load(TEST_EXT_PLUGIN));
    EXPECT_EQ(module.ExtRelease(), 3);
}

}  // namespace
