#include "app_fixture.h"

TEST_F(AppTest, StartsWithTheDesignedWindow) {
    start();
    EXPECT_EQ(app->form->text(), u"TOVIRAK");
    EXPECT_EQ(app->controls.intervalBox->text(), u"115.5");
    EXPECT_EQ(app->controls.unitBox->text(), u"秒");
    EXPECT_EQ(app->controls.startButton->text(), u"開\r\n始");
    EXPECT_EQ(app->grid.actionList(1)->listCount(), 34);
    EXPECT_TRUE(p.timerRunning("tim_Start"));
}
