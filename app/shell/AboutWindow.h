#pragma once
// The about window: version and build, the rights notice and the product's web page.
#include <QWidget>

class QLabel;

namespace et {

class AboutWindow : public QWidget {
    Q_OBJECT
  public:
    explicit AboutWindow(QWidget* parent = nullptr);

    QLabel* aboutVersionLabel = nullptr;
    QLabel* aboutCopyLabel = nullptr;
    QLabel* aboutLinkLabel = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  Q_SIGNALS:
    // AboutLinkClicked:
    void linkClicked();
};

} // namespace et
