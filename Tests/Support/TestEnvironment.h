#pragma once

#include <QString>

namespace velto::test {

/// The fresh folder that HOME, XDG_CONFIG_HOME and XDG_DATA_HOME point into for the running test.
QString sandboxRoot();
/// Where tests write the PNG renders that a person looks at: <build>/renders.
QString renderPath(const QString& fileName);
/// A new empty folder inside the sandbox.
QString makeTempFolder(const QString& prefix = QStringLiteral("tmp"));

} // namespace velto::test
