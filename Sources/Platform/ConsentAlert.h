#pragma once

#include <QString>
#include <memory>

class QMessageBox;

namespace velto::platform {

/// The modal alert that asks before a third-party plug-in loads for the first time.
namespace ConsentAlert {

inline constexpr const char* kMessageText = "New third-party plugin";
inline constexpr const char* kLoadButton = "Load";
inline constexpr const char* kDontLoadButton = "Don't Load";

/// "A plugin signed by "<identity>" wants to load for the first time. ..."
QString informativeText(const QString& identity);

/// The alert, unshown: "Load" first and default, then "Don't Load".
std::unique_ptr<QMessageBox> make(const QString& identity);

/// Runs the alert modally; true exactly when "Load" was chosen.
bool run(const QString& identity);

} // namespace ConsentAlert
} // namespace velto::platform
