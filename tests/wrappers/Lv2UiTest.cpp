// The LV2 UI binary as a host meets it before any window exists: one
// descriptor, and a clear refusal for a host that gives no parent window.
#include <lv2/ui/ui.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>
#include <string>

namespace {

TEST(Lv2Ui, TheUiBinaryOffersOneEditorAndRefusesAHostWithoutAParent)
{
    const std::string sBinary = std::string(VANTOR_BUNDLE_DIR) + "/vantor.lv2/vantor_ui.so";
    void* pHandle = ::dlopen(sBinary.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(pHandle, nullptr) << ::dlerror();
    auto pDescriptorOf = reinterpret_cast<LV2UI_DescriptorFunction>(::dlsym(pHandle, "lv2ui_descriptor"));
    ASSERT_NE(pDescriptorOf, nullptr);
    const LV2UI_Descriptor* pDescriptor = pDescriptorOf(0);
    ASSERT_NE(pDescriptor, nullptr);
    EXPECT_STREQ(pDescriptor->URI, "urn:vantor:lv2:ui");
    EXPECT_EQ(pDescriptorOf(1), nullptr);

    // No ui:parent feature: the UI says so and gives no instance.
    const std::string sBundle = std::string(VANTOR_BUNDLE_DIR) + "/vantor.lv2/";
    const LV2_Feature* features[] = { nullptr };
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle pUi = pDescriptor->instantiate(
        pDescriptor, "urn:vantor:lv2:chain", sBundle.c_str(),
        [](LV2UI_Controller, uint32_t, uint32_t, uint32_t, const void*) {}, nullptr, &widget, features);
    EXPECT_EQ(pUi, nullptr);
    // An unknown plug-in is refused the same way.
    int nParent = 0;
    const LV2_Feature parent = { LV2_UI__parent, &nParent };
    const LV2_Feature* withParent[] = { &parent, nullptr };
    EXPECT_EQ(
        pDescriptor->instantiate(pDescriptor, "urn:nothing", sBundle.c_str(), nullptr, nullptr, &widget, withParent),
        nullptr);
    ::dlclose(pHandle);
}

} // namespace
