#pragma once
// The key-mapping window: one menu per action-bar slot, each listing every key, and OK and
// Cancel. It only lays them out; KeyMapping acts on them.
#include <QWidget>

#include <map>
#include <vector>

class QComboBox;
class QPushButton;

namespace et {

class KeyMappingWindow : public QWidget {
    Q_OBJECT
  public:
    explicit KeyMappingWindow(QWidget* parent = nullptr);

    // menu101–menu112, menu501–menu506, menu601–menu612 by their number.
    std::map<int, QComboBox*> menus;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

    QComboBox* menu(int number) const;
};

} // namespace et
