#include "app/control_bar.h"

namespace {
tk::Font gothic(double size, bool bold = false) { return tk::Font{u"ＭＳ ゴシック", size, bold, false}; }
}  // namespace

ControlBar::ControlBar(tk::Form& window, const Document& document) {
    tk::Label& label = window.add<tk::Label>("Label1");
    label.move(36, 636, 936, 168);
    label.setFont(gothic(9));
    label.setText(u"実行間隔");

    intervalBox = &window.add<tk::TextBox>("txt_Kankaku");
    intervalBox->move(12, 828, 765, 360);
    intervalBox->setFont(gothic(12));
    intervalBox->setText(document.interval);

    unitBox = &window.add<tk::ComboBox>("cmb_Tani", 0, tk::ComboBox::DropDownCombo);
    unitBox->move(792, 828, 585, 360);
    unitBox->setFont(gothic(12));
    unitBox->addItem(u"秒");
    unitBox->addItem(u"分");
    unitBox->setText(document.intervalUnit);

    startButton = &window.add<tk::Button>("cmd_Kaisi");
    startButton->move(1404, 630, 405, 600);
    startButton->setFont(gothic(9, true));
    startButton->setText(u"開\r\n始");

    endButton = &window.add<tk::Button>("cmd_End");
    endButton->move(1830, 630, 405, 600);
    endButton->setFont(gothic(9, true));
    endButton->setText(u"終\r\n了");

    settingsButton = &window.add<tk::Button>("cmd_Setting");
    settingsButton->move(2250, 630, 405, 600);
    settingsButton->setFont(gothic(9));
    settingsButton->setText(u"設\r\n定");
}
