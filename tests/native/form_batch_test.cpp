// Controls added to a loaded form inside a batch get their native windows at
// the outermost end of the batch, in the order they were added, with what
// was set meanwhile; outside a batch, and before the form is loaded,
// creation is as before.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/headless/headless.h"
#include "platform/toolkit.h"

TEST(FormBatch, ControlsAreMadeAtTheOutermostEndInTheOrderAdded) {
    headless::Platform p;
    tk::Form f(p.toolkit, "frmTest");
    auto& before = f.add<tk::Label>("lblBefore");
    f.show();
    EXPECT_NE(before.native, nullptr);
    EXPECT_NE(f.add<tk::Label>("lblAtOnce").native, nullptr);

    tk::Form::Batch outer(f);
    auto& a = f.add<tk::ComboBox>("cboA", 1, tk::ComboBox::DropDownList);
    a.addItems({u"x", u"y"});
    a.setListIndex(1);
    {
        tk::Form::Batch inner(f);
        f.add<tk::TextBox>("txtB", 1).setText(u"b");
        inner.end();
    }
    auto& c = f.add<tk::Button>("cmdC", 1);
    EXPECT_EQ(a.native, nullptr);
    EXPECT_EQ(f.controls()[3]->native, nullptr);
    EXPECT_EQ(c.native, nullptr);
    outer.end();
    for (tk::Control* ctl : f.controls()) EXPECT_NE(ctl->native, nullptr) << ctl->name();
    EXPECT_EQ(a.text(), u"y");
    EXPECT_EQ(f.controls()[3]->text(), u"b");
    outer.end();  // a second end does nothing
    EXPECT_NE(f.add<tk::Label>("lblAfter").native, nullptr);
}

TEST(FormBatch, AnErrorInsideStillMakesWhatWasAdded) {
    headless::Platform p;
    tk::Form f(p.toolkit, "frmTest");
    f.show();
    tk::Label* added = nullptr;
    try {
        tk::Form::Batch b(f);
        added = &f.add<tk::Label>("lblA");
        throw std::runtime_error("fails");
    } catch (const std::runtime_error&) {
    }
    ASSERT_NE(added, nullptr);
    EXPECT_NE(added->native, nullptr);
}

TEST(FormBatch, BeforeLoadTheFormMakesEverythingWhenShown) {
    headless::Platform p;
    tk::Form f(p.toolkit, "frmTest");
    tk::Label* a = nullptr;
    {
        tk::Form::Batch b(f);
        a = &f.add<tk::Label>("lblA");
        b.end();
    }
    EXPECT_EQ(a->native, nullptr);
    f.show();
    EXPECT_NE(a->native, nullptr);
}
