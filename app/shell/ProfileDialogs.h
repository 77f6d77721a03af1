#pragma once
// The two small modal dialogs of the color programmer: the alert before unsaved edits
// would be replaced, and the profile copy dialog.
#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace et {

// Answers 1 (save the edits), 2 (drop them) or 3 (cancel).
class ProfileChangeAlert : public QDialog {
    Q_OBJECT
  public:
    explicit ProfileChangeAlert(QWidget* parent = nullptr);
    // Runs modally for the edits of `profile`; closing the window counts as cancel.
    int run(int profile);

    static constexpr int kSave = 1;
    static constexpr int kDrop = 2;
    static constexpr int kCancel = 3;

    QLabel* message = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* dropButton = nullptr;
    QPushButton* cancelButton = nullptr;
};

// Copies one profile onto another: answers 1 when Copy was pressed.
class CopyProfileDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CopyProfileDialog(QWidget* parent = nullptr);
    // Runs modally with the menus on the given items (0–8 for profiles 1–9).
    int run(int fromIndex, int toIndex);
    // copyProfileSameSame: Copy only between two different profiles.
    void copyProfileSameSame();

    QComboBox* fromProfileMenu = nullptr;
    QComboBox* toProfileMenu = nullptr;
    QPushButton* copyProfileCopyBtn = nullptr;
    QPushButton* cancelButton = nullptr;
};

} // namespace et
