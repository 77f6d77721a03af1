#include "HelpWindow.h"

#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace et {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("helpWindow");
    setWindowTitle("Ember Talon Help");
    helpTextView = new QTextBrowser;
    helpTextView->setObjectName("helpTextView");
    helpTextView->setOpenExternalLinks(true);
    helpTextView->document()->setDocumentMargin(16);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(helpTextView);
    resize(640, 720);
}

void HelpWindow::loadHelpText(const QString& resource) {
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly)) {
        helpTextView->setPlainText("The user guide is missing from this installation. "
                                   "Reinstall Ember Talon to get it back.");
        return;
    }
    helpTextView->setHtml(QString::fromUtf8(file.readAll()));
}

} // namespace et
