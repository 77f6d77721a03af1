#include "ProfileDialogs.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace et {

ProfileChangeAlert::ProfileChangeAlert(QWidget* parent) : QDialog(parent) {
    setObjectName("profileChangeAlert");
    setWindowTitle("Unsaved Colors");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    message = new QLabel;
    message->setWordWrap(true);
    layout->addWidget(message);
    auto* row = new QHBoxLayout;
    saveButton = new QPushButton("Save");
    dropButton = new QPushButton("Don't Save");
    cancelButton = new QPushButton("Cancel");
    saveButton->setDefault(true);
    row->addWidget(dropButton);
    row->addStretch(1);
    row->addWidget(cancelButton);
    row->addWidget(saveButton);
    layout->addLayout(row);
    // profileChangeAnswer: the button's tag ends the modal run.
    connect(saveButton, &QPushButton::clicked, this, [this] { done(kSave); });
    connect(dropButton, &QPushButton::clicked, this, [this] { done(kDrop); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { done(kCancel); });
    setMinimumWidth(380);
}

int ProfileChangeAlert::run(int profile) {
    message->setText(QString("<b>Save the changes to profile %1?</b><br><br>Your changes to the "
                             "colors of profile %1 are lost if you don't save them.")
                         .arg(profile));
    const int answer = exec();
    hide();
    // Escape or the window's close button end the run with 0: cancel.
    return answer == kSave || answer == kDrop ? answer : kCancel;
}

CopyProfileDialog::CopyProfileDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("copyProfileDialog");
    setWindowTitle("Copy Profile");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel("Copy the colors, the key colors and the cooldown setting of one "
                             "profile onto another. The target profile's colors are replaced.");
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* form = new QFormLayout;
    fromProfileMenu = new QComboBox;
    toProfileMenu = new QComboBox;
    fromProfileMenu->setObjectName("fromProfileMenu");
    toProfileMenu->setObjectName("toProfileMenu");
    for (int n = 1; n <= 9; ++n) {
        fromProfileMenu->addItem(QString("Profile %1").arg(n));
        toProfileMenu->addItem(QString("Profile %1").arg(n));
    }
    form->addRow("Copy from:", fromProfileMenu);
    form->addRow("Onto:", toProfileMenu);
    layout->addLayout(form);
    auto* row = new QHBoxLayout;
    cancelButton = new QPushButton("Cancel");
    copyProfileCopyBtn = new QPushButton("Copy");
    copyProfileCopyBtn->setObjectName("copyProfileCopyBtn");
    copyProfileCopyBtn->setDefault(true);
    row->addStretch(1);
    row->addWidget(cancelButton);
    row->addWidget(copyProfileCopyBtn);
    layout->addLayout(row);
    connect(copyProfileCopyBtn, &QPushButton::clicked, this, [this] { done(1); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { done(0); });
    for (QComboBox* menu : {fromProfileMenu, toProfileMenu})
        connect(menu, &QComboBox::currentIndexChanged, this, [this] { copyProfileSameSame(); });
    setMinimumWidth(360);
}

void CopyProfileDialog::copyProfileSameSame() {
    copyProfileCopyBtn->setEnabled(fromProfileMenu->currentIndex() !=
                                   toProfileMenu->currentIndex());
}

int CopyProfileDialog::run(int fromIndex, int toIndex) {
    fromProfileMenu->setCurrentIndex(fromIndex);
    toProfileMenu->setCurrentIndex(toIndex);
    copyProfileSameSame();
    const int answer = exec();
    hide();
    return answer == 1 ? 1 : 0;
}

} // namespace et
