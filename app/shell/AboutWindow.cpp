#include "AboutWindow.h"

#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

namespace et {

AboutWindow::AboutWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("aboutWindow");
    setWindowTitle("About Ember Talon");
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(8);
    auto* icon = new QLabel;
    icon->setPixmap(QIcon(":/icons/ember-talon.svg").pixmap(96, 96));
    icon->setAlignment(Qt::AlignCenter);
    auto* name = new QLabel("<b style='font-size:16pt'>Ember Talon</b>");
    name->setAlignment(Qt::AlignCenter);
    aboutVersionLabel = new QLabel;
    aboutVersionLabel->setObjectName("aboutVersionLabel");
    aboutCopyLabel = new QLabel;
    aboutCopyLabel->setObjectName("aboutCopyLabel");
    aboutCopyLabel->setWordWrap(true);
    aboutLinkLabel = new QLabel;
    aboutLinkLabel->setObjectName("aboutLinkLabel");
    // The label shows the address; the click goes through the delegate, which opens it.
    aboutLinkLabel->setTextFormat(Qt::PlainText);
    aboutLinkLabel->setCursor(Qt::PointingHandCursor);
    aboutLinkLabel->setStyleSheet("color: palette(link); text-decoration: underline;");
    aboutLinkLabel->installEventFilter(this);
    for (QLabel* l : {aboutVersionLabel, aboutCopyLabel, aboutLinkLabel})
        l->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);
    layout->addWidget(name);
    layout->addWidget(aboutVersionLabel);
    layout->addWidget(aboutCopyLabel);
    layout->addWidget(aboutLinkLabel);
    setFixedWidth(380);
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == aboutLinkLabel && event->type() == QEvent::MouseButtonRelease) {
        Q_EMIT linkClicked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace et
