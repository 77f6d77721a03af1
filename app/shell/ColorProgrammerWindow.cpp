#include "ColorProgrammerWindow.h"

#include "CanvasLayout.h"
#include "KeyList.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleValidator>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace et {

namespace {

// Under the canvas: a dark keyboard case with the key legends, which show through the
// translucent key colors.
class KeyboardBackdrop : public QWidget {
  public:
    explicit KeyboardBackdrop(QWidget* parent = nullptr) : QWidget(parent) {
        setFixedSize(ColorPainter::kWidth + 2 * kMargin, ColorPainter::kHeight + 2 * kMargin);
    }
    static constexpr int kMargin = 10;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(28, 30, 36));
        p.drawRoundedRect(rect(), 14, 14);
        QFont font = p.font();
        font.setPixelSize(9);
        p.setFont(font);
        for (const KeyRect& key : canvasKeyRects()) {
            const QRectF r(kMargin + key.x, kMargin + ColorPainter::kHeight - key.y - key.height,
                           key.width, key.height);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(12, 13, 16));
            p.drawRoundedRect(r, 2, 2);
            p.setPen(QColor(255, 255, 255));
            p.drawText(r, Qt::AlignCenter, QString::fromStdString(keyLegend(key.id)));
        }
    }
};

QIcon swatch(const Color& c) {
    QPixmap pixmap(14, 14);
    pixmap.fill(toQColor(c));
    return QIcon(pixmap);
}

} // namespace

QString ColorProgrammerWindow::letterForTag(int tag) {
    static const char* letters = "ABCDEFGHIJKL";
    return tag >= 1 && tag <= 12 ? QString(QChar(letters[tag - 1])) : QString("Cooldown");
}

ColorProgrammerWindow::ColorProgrammerWindow(CanvasModel& model, Lighting& lighting,
                                             const bool& singleColorMode, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName("colorProgrammerWindow");
    setWindowTitle("Color Programmer");
    auto* layout = new QVBoxLayout(this);

    auto* backdrop = new KeyboardBackdrop;
    keyboardCanvas = new ColorPainter(model, lighting, singleColorMode, backdrop);
    keyboardCanvas->move(KeyboardBackdrop::kMargin, KeyboardBackdrop::kMargin);
    layout->addWidget(backdrop, 0, Qt::AlignHCenter);
    layout->addWidget(buildPalette());
    layout->addWidget(buildCooldownRow());
    layout->addWidget(buildBottomRow());
}

QWidget* ColorProgrammerWindow::buildPalette() {
    auto* box = new QWidget;
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(new QLabel("Paint with:"), 0, 0);
    grid->addWidget(new QLabel("Colors:"), 1, 0);
    colorButtonGroup = new QButtonGroup(this);
    colorButtonGroup->setExclusive(true);
    const char* wellNames[] = {"keyCoolColor", "colorA", "colorB", "colorC", "colorD",
                               "colorE",       "colorF", "colorG", "colorH", "colorI",
                               "colorJ",       "colorK", "colorL"};
    for (int tag = 1; tag <= 12; ++tag) {
        auto* paint = new QToolButton;
        paint->setObjectName(QString("paint%1").arg(letterForTag(tag)));
        paint->setText(letterForTag(tag));
        paint->setCheckable(true);
        paint->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        paint->setFixedSize(44, 26);
        paint->setToolTip(QString("Paint keys with color %1").arg(letterForTag(tag)));
        colorButtonGroup->addButton(paint, tag);
        grid->addWidget(paint, 0, tag, Qt::AlignHCenter);
        wells[static_cast<size_t>(tag)] = new ColorWell(tag, wellNames[tag]);
        grid->addWidget(wells[static_cast<size_t>(tag)], 1, tag, Qt::AlignHCenter);
    }
    colorButtonGroup->button(1)->setChecked(true);
    wells[0] = keyCoolColor = new ColorWell(0, wellNames[0]);
    grid->setColumnStretch(13, 1);
    return box;
}

QWidget* ColorProgrammerWindow::buildCooldownRow() {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 6, 0, 0);
    actionBarEffectCheckbox = new QCheckBox("Show action bar cooldowns");
    actionBarEffectCheckbox->setObjectName("actionBarEffectCheckbox");
    row->addWidget(actionBarEffectCheckbox);
    row->addSpacing(12);
    row->addWidget(new QLabel("On cooldown:"));
    row->addWidget(keyCoolColor);
    row->addSpacing(12);
    row->addWidget(new QLabel("Ready flash:"));
    blinkTimeTextbox = new QLineEdit;
    blinkTimeTextbox->setObjectName("blinkTimeTextbox");
    blinkTimeTextbox->setFixedWidth(60);
    blinkTimeTextbox->setToolTip("How long a key flashes white when its ability is ready again");
    row->addWidget(blinkTimeTextbox);
    row->addWidget(new QLabel("s"));
    cooldownPreviewBtn = new QPushButton("Preview");
    cooldownPreviewBtn->setObjectName("cooldownPreviewBtn");
    cooldownPreviewBtn->setToolTip("Shows for a second which keys take the cooldown color");
    row->addWidget(cooldownPreviewBtn);
    row->addStretch(1);
    return box;
}

QWidget* ColorProgrammerWindow::buildBottomRow() {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 6, 0, 0);
    row->addWidget(new QLabel("Profile:"));
    currentProfilePopup = new QComboBox;
    currentProfilePopup->setObjectName("currentProfilePopup");
    for (int n = 1; n <= 9; ++n)
        currentProfilePopup->addItem(QString("Profile %1").arg(n));
    currentProfilePopup->insertSeparator(9);
    currentProfilePopup->addItem("Copy Profile…");
    row->addWidget(currentProfilePopup);
    mapKeysButton = new QPushButton("Map Action Bar Keys…");
    mapKeysButton->setObjectName("openWindowToMapKeys");
    row->addWidget(mapKeysButton);
    row->addStretch(1);
    cancelButton = new QPushButton("Cancel");
    cancelButton->setObjectName("colorCancel");
    okButton = new QPushButton("OK");
    okButton->setObjectName("colorOK");
    okButton->setDefault(true);
    row->addWidget(cancelButton);
    row->addWidget(okButton);
    return box;
}

void ColorProgrammerWindow::refreshPaintButtons() {
    for (int tag = 1; tag <= 12; ++tag)
        colorButtonGroup->button(tag)->setIcon(swatch(wells[static_cast<size_t>(tag)]->color()));
}

} // namespace et
