#pragma once

#include <functional>
#include <memory>

class QAbstractButton;
class QWidget;

namespace velto {
namespace platform {
class Popover;
}

/// What a widget's popover shows: its detail view, a divider and a "Settings…" row.
namespace PopoverContent {

inline constexpr const char* kSettingsTitle = "Settings\u2026";

/**
 * The detail view on top, a divider, and a row with the "Settings…" link
 * button at its leading edge (padded 12 left and right, 6 top and bottom); no
 * spacing between the three. The button runs @p openSettings, which may be empty.
 */
std::unique_ptr<QWidget> make(std::unique_ptr<QWidget> detailView,
                              std::function<void()> openSettings);

/// Gives @p popover that content and the transient behaviour.
void fill(platform::Popover& popover, std::unique_ptr<QWidget> detailView,
          std::function<void()> openSettings);

using DetailViewMaker = std::function<std::unique_ptr<QWidget>()>;

/**
 * The same, with the detail view made by @p makeDetailView the first time the
 * popover opens, and kept from then on. A detail view follows its readings
 * while it exists, seen or not: one never opened costs neither memory nor time.
 */
void fill(platform::Popover& popover, DetailViewMaker makeDetailView,
          std::function<void()> openSettings);

/// The "Settings…" button inside content from make(), or null.
QAbstractButton* settingsButton(const QWidget* content);

} // namespace PopoverContent
} // namespace velto
