#include "TestProcess.h"

#include "NullEditor.h"

#include <gtest/gtest.h>

namespace {

using CTestGUI = CNullEditor;

TEST(GUIContract, AnEditorBindsItsProcessAndUnbindsWhenDestroyed)
{
    CTestProcess process;
    auto* pGUI = new CTestGUI();
    EXPECT_EQ(pGUI->GetProcess(), nullptr);

    pGUI->SetProcess(&process);
    EXPECT_EQ(pGUI->GetProcess(), &process);
    EXPECT_EQ(process.GetGUI(), static_cast<vpa::IGUI*>(pGUI));

    // A second editor for the same process, then the first one goes.
    auto* pSecond = new CTestGUI();
    pSecond->SetProcess(&process);
    EXPECT_EQ(process.GetGUI(), static_cast<vpa::IGUI*>(pSecond));
    pSecond->DestroySelf();
    EXPECT_EQ(process.GetGUI(), nullptr);

    pGUI->SetProcess(nullptr);
    EXPECT_EQ(pGUI->GetProcess(), nullptr);
    pGUI->DestroySelf();
}

TEST(GUIContract, CopyingAnEditorDoesNotRebindTheProcess)
{
    CTestProcess process;
    CTestGUI gui;
    gui.SetProcess(&process);
    gui.SetPaintingOffset(3, 4);
    {
        CTestGUI copy(gui);
        EXPECT_EQ(copy.GetProcess(), &process);
        unsigned long nX = 0, nY = 0;
        copy.GetPaintingOffset(nX, nY);
        EXPECT_EQ(nX, 3u);
        EXPECT_EQ(process.GetGUI(), static_cast<vpa::IGUI*>(&gui));
        copy.SetProcess(nullptr); // so its destruction leaves the binding alone
    }
    EXPECT_EQ(process.GetGUI(), static_cast<vpa::IGUI*>(&gui));
}

} // namespace
