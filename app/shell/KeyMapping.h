#pragma once
// The key-mapping window's actions: opening it (once the color programmer has closed), filling
// its 30 menus, each menu's choice, OK and Cancel. The bar maps live in ActionBarMaps.
#include "ActionBarMaps.h"
#include "ColorProgrammer.h"
#include "KeyMappingWindow.h"

#include <vector>

class QComboBox;

namespace et {

class KeyMapping {
  public:
    KeyMapping(KeyMappingWindow& window, ActionBarMaps& maps, ColorProgrammer& colorProgrammer,
               Defaults& defaults);

    // keyMenusArray: the 30 menus in the fixed slot order (bar A, bar C, bar B).
    std::vector<QComboBox*> keyMenusArray;
    // Start-up: the menus in their slot order.
    void collectKeyMenus();

    void openWindowToMapKeys();
    void fillKeyMenus();
    // actionKeyMenuClick101: … actionKeyMenuClick612:
    void actionKeyMenuClick(int menu);
    void actionKeySetterOK();
    void actionKeySetterCanx();

  private:
    KeyMappingWindow& window_;
    ActionBarMaps& maps_;
    ColorProgrammer& colorProgrammer_;
    Defaults& defaults_;
};

} // namespace et
