#include "VeltoPluginKit/MenuBarReadingLayout.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <algorithm>

namespace velto::MenuBarReadingLayout {

namespace {

constexpr int kSpacing = 3;
constexpr int kFontPixels = 11;
constexpr int kValueWidth = 30;

} // namespace

void apply(QWidget& view, QWidget& icon, QLabel& value, const QStringList& widestTexts) {
    QFont font = view.font();
    font.setPixelSize(kFontPixels);
    font.setWeight(QFont::Medium);
    view.setFont(font);

    icon.setObjectName(QStringLiteral("icon"));
    icon.setFixedSize(kIconPixels, kIconPixels);
    value.setObjectName(QStringLiteral("value"));
    value.setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const QFontMetrics metrics(font);
    int width = kValueWidth;
    for (const QString& text : widestTexts)
        width = std::max(width, metrics.horizontalAdvance(text));
    value.setFixedWidth(width);

    auto* layout = new QHBoxLayout(&view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kSpacing);
    layout->addWidget(&icon, 0, Qt::AlignVCenter);
    layout->addWidget(&value, 0, Qt::AlignVCenter);
}

} // namespace velto::MenuBarReadingLayout
