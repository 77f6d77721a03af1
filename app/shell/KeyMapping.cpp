#include "KeyMapping.h"

#include "KeyList.h"

#include <QComboBox>
#include <QPushButton>

namespace et {

KeyMapping::KeyMapping(KeyMappingWindow& window, ActionBarMaps& maps,
                       ColorProgrammer& colorProgrammer, Defaults& defaults)
    : window_(window), maps_(maps), colorProgrammer_(colorProgrammer), defaults_(defaults) {
    for (auto& [number, menu] : window_.menus)
        QObject::connect(menu, &QComboBox::activated, menu,
                         [this, n = number] { actionKeyMenuClick(n); });
    QObject::connect(window_.okButton, &QPushButton::clicked, [this] { actionKeySetterOK(); });
    QObject::connect(window_.cancelButton, &QPushButton::clicked,
                     [this] { actionKeySetterCanx(); });
}

void KeyMapping::collectKeyMenus() {
    keyMenusArray.clear();
    for (const ActionSlot& slot : ActionBarMaps::slots())
        keyMenusArray.push_back(window_.menu(slot.menu));
}

void KeyMapping::openWindowToMapKeys() {
    if (!colorProgrammer_.closeForKeyMapping()) return;
    fillKeyMenus();
    window_.show();
    window_.raise();
    window_.activateWindow();
}

void KeyMapping::fillKeyMenus() {
    if (keyMenusArray.empty()) collectKeyMenus();
    QStringList labels;
    for (const std::string& label : sortedKeyLabels())
        labels << QString::fromStdString(label);
    for (QComboBox* menu : keyMenusArray) {
        if (!menu) continue;
        menu->clear();
        menu->addItems(labels);
    }
    const auto slots = ActionBarMaps::slots();
    for (size_t i = 0; i < slots.size() && i < keyMenusArray.size(); ++i) {
        QComboBox* menu = keyMenusArray[i];
        if (!menu) continue;
        const auto label = maps_.labelForMenu(slots[i].menu);
        // A slot whose key has no label (a hand-edited setting) shows no selection.
        menu->setCurrentIndex(
            label
                ? menu->findText(QString::fromUtf8(label->data(), static_cast<int>(label->size())),
                                 Qt::MatchExactly | Qt::MatchCaseSensitive)
                : -1);
    }
    maps_.takeSnapshot();
}

void KeyMapping::actionKeyMenuClick(int menu) {
    QComboBox* combo = window_.menu(menu);
    if (!combo || combo->currentIndex() < 0) return;
    maps_.chooseKeyForMenu(menu, combo->currentText().toStdString());
}

void KeyMapping::actionKeySetterOK() {
    maps_.storeActionBarKeyMaps();
    defaults_.sync();
    window_.close();
}

void KeyMapping::actionKeySetterCanx() {
    maps_.restoreSnapshot();
    window_.close();
}

} // namespace et
