#pragma once
// The user guide, loaded once from the bundled "HelpText" document.
#include <QWidget>

class QTextBrowser;

namespace et {

class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);
    // Start-up step 16. A missing document leaves a short note instead of a blank window.
    void loadHelpText(const QString& resource = ":/help/HelpText.html");

    QTextBrowser* helpTextView = nullptr;
};

} // namespace et
