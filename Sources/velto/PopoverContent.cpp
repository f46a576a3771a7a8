#include "PopoverContent.h"

#include "Platform/Popover.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

namespace velto::PopoverContent {

namespace {

const QString kButtonName = QStringLiteral("settingsButton");

// The detail view goes on top of the stack, above the divider and the "Settings…" row.
void placeDetailView(QVBoxLayout& stack, std::unique_ptr<QWidget> detailView) {
    if (detailView)
        stack.insertWidget(0, detailView.release(), 0, Qt::AlignHCenter);
}

} // namespace

std::unique_ptr<QWidget> make(std::unique_ptr<QWidget> detailView,
                              std::function<void()> openSettings) {
    auto content = std::make_unique<QWidget>();
    auto* stack = new QVBoxLayout(content.get());
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    placeDetailView(*stack, std::move(detailView));

    auto* divider = new QFrame;
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    stack->addWidget(divider);

    auto* row = new QWidget;
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(12, 6, 12, 6);
    auto* button = new QPushButton(QString::fromUtf8(kSettingsTitle));
    button->setObjectName(kButtonName);
    // A link: no bezel, the palette's link colour, a pointing hand.
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        QStringLiteral("QPushButton { border: none; padding: 0; color: palette(link); }"));
    QObject::connect(button, &QPushButton::clicked, button,
                     [openSettings = std::move(openSettings)] {
                         if (openSettings)
                             openSettings();
                     });
    rowLayout->addWidget(button, 0, Qt::AlignVCenter);
    rowLayout->addStretch(1);
    stack->addWidget(row);
    return content;
}

void fill(platform::Popover& popover, std::unique_ptr<QWidget> detailView,
          std::function<void()> openSettings) {
    popover.setContent(make(std::move(detailView), std::move(openSettings)));
    popover.setBehavior(platform::Popover::Behavior::Transient);
}

void fill(platform::Popover& popover, DetailViewMaker makeDetailView,
          std::function<void()> openSettings) {
    fill(popover, std::unique_ptr<QWidget>(), std::move(openSettings));
    popover.setAboutToShow([&popover, makeDetailView = std::move(makeDetailView)]() mutable {
        if (!makeDetailView)
            return;
        const DetailViewMaker make = std::exchange(makeDetailView, nullptr);
        auto* stack =
            popover.content() ? qobject_cast<QVBoxLayout*>(popover.content()->layout()) : nullptr;
        if (stack)
            placeDetailView(*stack, make());
    });
}

QAbstractButton* settingsButton(const QWidget* content) {
    return content ? content->findChild<QAbstractButton*>(kButtonName) : nullptr;
}

} // namespace velto::PopoverContent
