#include "scene/KeyboardWidget.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <initializer_list>

namespace OV {

namespace {

constexpr const char* kKeyStyle = "font-size:9px; padding:2px;";

// Ctrl, Shift, Alt and Start of one side and their twin on the other.
quint16 twinModifier(quint16 code)
{
    if (code >= 224 && code <= 227)
        return quint16(code + 4);
    if (code >= 228 && code <= 231)
        return quint16(code - 4);
    return 0;
}

const HidKeyDefinition* record(quint16 code, bool last = false)
{
    const auto& keys = allHidKeys();
    if (last) {
        for (auto it = keys.crbegin(); it != keys.crend(); ++it) {
            if ((*it)->code == code)
                return *it;
        }
        return nullptr;
    }
    return hidKeyByCode(code);
}

} // namespace

KeyboardWidget::KeyboardWidget(QWidget* parent) : QWidget(parent)
{
    setFixedSize(1124, 640);

    // Top row.
    placeKey(41, 0, 0);
    for (int i = 0; i < 4; ++i) {
        placeKey(quint16(58 + i), 100 + 50 * i, 0);
        placeKey(quint16(62 + i), 325 + 50 * i, 0);
        placeKey(quint16(66 + i), 550 + 50 * i, 0);
    }
    placeKey(70, 762, 0);
    placeKey(71, 812, 0);
    placeKey(72, 862, 0);
    placeKey(10226, 924, 0);
    placeKey(10234, 974, 0);
    placeKey(10233, 1024, 0);
    placeKey(20129, 1074, 0);

    const auto row = [this](std::initializer_list<int> codes, int x, int y) {
        for (int code : codes) {
            placeKey(quint16(code), x, y);
            x += 50;
        }
    };
    row({53, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 45, 46}, 0, 60);
    placeKey(42, 650, 60, 96);
    placeKey(43, 0, 106, 71);
    row({20, 26, 8, 21, 23, 28, 24, 12, 18, 19, 47, 48}, 75, 106);
    placeKey(49, 675, 106, 71);
    placeKey(57, 0, 152, 83);
    row({4, 22, 7, 9, 10, 11, 13, 14, 15, 51, 52}, 87, 152);
    placeKey(40, 637, 152, 108);
    placeKey(225, 0, 198, 108);
    row({29, 27, 6, 25, 5, 17, 16, 54, 55, 56}, 112, 198);
    placeKey(229, 612, 198, 133);
    placeKey(224, 0, 244, 58);
    placeKey(227, 62, 244, 58);
    placeKey(226, 124, 244, 58);
    placeKey(44, 186, 244, 308);
    placeKey(230, 498, 244, 58);
    placeKey(231, 560, 244, 58);
    placeKey(101, 622, 244, 58);
    placeKey(228, 684, 244, 58);

    // Navigation block in the free rows beside the main keys, arrows below.
    row({73, 74, 75}, 762, 60);
    row({76, 77, 78}, 762, 106);
    placeKey(82, 812, 198);
    row({80, 81, 79}, 762, 244);

    // Keypad.
    row({83, 84, 85, 86}, 924, 60);
    row({95, 96, 97}, 924, 106);
    placeKey(87, 1074, 106, 46, 88);
    row({92, 93, 94}, 924, 152);
    row({89, 90, 91}, 924, 198);
    placeKey(88, 1074, 198, 46, 88);
    placeKey(98, 924, 244, 96);
    placeKey(99, 1024, 244);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 320, 0, 0);
    column->setSpacing(16);
    const auto group = [this, column](const QString& title, std::initializer_list<const HidKeyDefinition*> keys) {
        auto* box = new QGroupBox(title, this);
        auto* boxLayout = new QVBoxLayout(box);
        boxLayout->setContentsMargins(10, 20, 10, 10);
        auto* keyRow = new QHBoxLayout();
        keyRow->setContentsMargins(0, 0, 0, 0);
        keyRow->setSpacing(8);
        for (const HidKeyDefinition* key : keys) {
            QPushButton* button = addKey(key, box);
            button->setFixedSize(76, 30);
            keyRow->addWidget(button);
        }
        keyRow->addStretch();
        boxLayout->addLayout(keyRow);
        column->addWidget(box);
    };
    group(tr("System Keys"),
          {record(20129), record(20130), record(20131), record(10111), record(10112), record(10177)});
    group(tr("Media Keys"), {record(10182), record(10181), record(10205), record(10183), record(10180), record(10179),
                             record(10233), record(10234), record(10226)});
    group(tr("Application Keys"), {record(10394), record(10402), record(10387), record(10404), record(10545, true)});
    group(tr("Browser Keys"),
          {record(10548), record(10549), record(10551), record(10550), record(10545), record(10546), record(10547)});
    column->addStretch();
}

QPushButton* KeyboardWidget::addKey(const HidKeyDefinition* key, QWidget* parent)
{
    // "&" would mark a shortcut and vanish from the keycap.
    QString label = key ? key->label : QString();
    label.replace(QLatin1Char('&'), QStringLiteral("&&"));
    auto* button = new QPushButton(label, parent);
    button->setStyleSheet(QString::fromLatin1(kKeyStyle));
    button->setFocusPolicy(Qt::NoFocus);
    if (key) {
        const HidKeyDefinition copy = *key;
        connect(button, &QPushButton::clicked, this, [this, copy] { selectKey(copy); });
        m_buttons.append({key->code, button});
    }
    return button;
}

void KeyboardWidget::placeKey(quint16 code, int x, int y, int w, int h)
{
    QPushButton* button = addKey(record(code), this);
    button->setGeometry(x, y, w, h);
}

QPushButton* KeyboardWidget::buttonFor(quint16 code) const
{
    for (const auto& entry : m_buttons) {
        if (entry.first == code)
            return entry.second;
    }
    return nullptr;
}

void KeyboardWidget::selectKey(HidKeyDefinition key)
{
    const bool holdsSpecial =
        std::any_of(m_selection.cbegin(), m_selection.cend(), [](const HidKeyDefinition& k) { return k.isSpecial(); });
    if (key.isSpecial() || holdsSpecial)
        clearSelection();
    if (m_selection.size() >= kMaxKeys)
        return;
    const quint16 twin = twinModifier(key.code);
    for (const HidKeyDefinition& held : std::as_const(m_selection)) {
        if (held.code == key.code || (twin != 0 && held.code == twin))
            return;
    }
    m_selection.append(key);
    notify();
}

void KeyboardWidget::clearSelection()
{
    m_selection.clear();
    notify();
}

void KeyboardWidget::notify()
{
    if (onSelectionChanged)
        onSelectionChanged(m_selection);
}

} // namespace OV
