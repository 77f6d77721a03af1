#include "LaunchOptionsWindow.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace et {

LaunchOptionsWindow::LaunchOptionsWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("launchOptionWindow");
    setWindowTitle("Launch Options");
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel("Ember Talon brings these applications to the front by name. "
                             "Use the name of the program's window or desktop entry.");
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* form = new QFormLayout;
    EmberAppNameField = new QLineEdit;
    EmberClassicAppNameField = new QLineEdit;
    RPAppNameField = new QLineEdit;
    EmberAppNameField->setObjectName("EmberAppNameField");
    EmberClassicAppNameField->setObjectName("EmberClassicAppNameField");
    RPAppNameField->setObjectName("RPAppNameField");
    form->addRow("Game:", EmberAppNameField);
    form->addRow("Classic edition:", EmberClassicAppNameField);
    form->addRow("Launcher:", RPAppNameField);
    layout->addLayout(form);
    okButton = new QPushButton("OK");
    okButton->setObjectName("launchOptionsOK");
    okButton->setDefault(true);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(okButton);
    layout->addLayout(row);
    // launchOptionsOK: ends the modal run with code 0.
    connect(okButton, &QPushButton::clicked, this, [this] { done(0); });
    setMinimumWidth(420);
}

void LaunchOptionsWindow::showNames(const ApplicationNames& names) {
    EmberAppNameField->setText(QString::fromStdString(names.EmberAppName));
    EmberClassicAppNameField->setText(QString::fromStdString(names.EmberClassicAppName));
    RPAppNameField->setText(QString::fromStdString(names.RPAppName));
}

ApplicationNames LaunchOptionsWindow::fieldNames() const {
    return {EmberAppNameField->text().toStdString(), EmberClassicAppNameField->text().toStdString(),
            RPAppNameField->text().toStdString()};
}

ApplicationNames LaunchOptionsWindow::run(const ApplicationNames& names) {
    showNames(names);
    exec();
    return fieldNames();
}

} // namespace et
