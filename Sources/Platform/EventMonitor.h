#pragma once

#include <QPointF>
#include <cstdint>
#include <functional>
#include <optional>

namespace velto::platform {

/**
 * Application-wide mouse monitors. A "global" monitor sees the mouse-down
 * events that land outside every window of this application: presses over
 * other applications or the desktop that reach us while a popup holds the
 * pointer. Presses inside our own windows are left to those windows.
 *
 * All of it runs on the main thread.
 */
namespace EventMonitor {

/// Event mask bits, with the values the menu bar rules use.
inline constexpr std::uint64_t kLeftMouseDown = 1ull << 1;
inline constexpr std::uint64_t kRightMouseDown = 1ull << 3;
inline constexpr std::uint64_t kOtherMouseDown = 1ull << 25;
inline constexpr std::uint64_t kAnyMouseDown = kLeftMouseDown | kRightMouseDown | kOtherMouseDown;

using Token = std::uint64_t;
/// Given the press's position in Qt's global coordinates.
using Handler = std::function<void(const QPointF& qtGlobalPosition)>;

/// Installs a monitor for the mouse-down kinds in @p mask. Absent (nothing
/// installed) when there is no application object, no handler, or no mouse-down
/// bit in the mask.
std::optional<Token> addGlobalMonitor(std::uint64_t mask, Handler handler);
/// Removes the monitor; an unknown or already removed token does nothing.
void removeMonitor(Token token);
/// How many monitors are installed now.
int installedCount();
/// How many monitors were ever installed in this process.
int totalInstalled();

} // namespace EventMonitor
} // namespace velto::platform
