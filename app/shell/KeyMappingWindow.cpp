#include "KeyMappingWindow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace et {

namespace {
struct Bar {
    const char* title;
    int firstMenu;
    int slots;
};
// In the order the game shows its bars; the menu numbers are those of the settings keys.
constexpr Bar kBars[] = {
    {"Main action bar (slots 1–12)", 101, 12},
    {"Second action bar (slots 1–12)", 601, 12},
    {"Third action bar (slots 1–6)", 501, 6},
};
} // namespace

KeyMappingWindow::KeyMappingWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("actionKeySetterWindow");
    setWindowTitle("Map Action Bar Keys");
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel("Choose the key that fires each action bar slot in the game, so that "
                             "its cooldown shows on the right key. Keys marked © also pulse in "
                             "combat.");
    intro->setWordWrap(true);
    layout->addWidget(intro);
    for (const Bar& bar : kBars) {
        auto* group = new QGroupBox(bar.title);
        auto* grid = new QGridLayout(group);
        for (int slot = 1; slot <= bar.slots; ++slot) {
            const int number = bar.firstMenu + slot - 1;
            auto* combo = new QComboBox;
            combo->setObjectName(QString("menu%1").arg(number));
            combo->setMinimumContentsLength(11);
            combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            combo->setMaxVisibleItems(24);
            menus[number] = combo;
            const int column = (slot - 1) % 6;
            const int row = (slot - 1) / 6;
            grid->addWidget(new QLabel(QString("Slot %1").arg(slot)), row * 2, column);
            grid->addWidget(combo, row * 2 + 1, column);
        }
        layout->addWidget(group);
    }
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    cancelButton = new QPushButton("Cancel");
    cancelButton->setObjectName("actionKeySetterCanx");
    okButton = new QPushButton("OK");
    okButton->setObjectName("actionKeySetterOK");
    okButton->setDefault(true);
    row->addWidget(cancelButton);
    row->addWidget(okButton);
    layout->addLayout(row);
}

QComboBox* KeyMappingWindow::menu(int number) const {
    auto it = menus.find(number);
    return it == menus.end() ? nullptr : it->second;
}

} // namespace et
