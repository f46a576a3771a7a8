#pragma once

#include <QString>
#include <QStringList>

namespace velto::test {

/// The fixture bundle <name>.bundle built with the tests.
QString fixtureBundle(const QString& name);
/// Copies the bundle @p source to @p folder/@p fileName, keeping links and modes; returns the new
/// path.
QString copyBundle(const QString& source, const QString& folder, const QString& fileName);
/// Inverts one byte of @p file, in its middle.
bool flipByte(const QString& file);
/// The path of the plug-in's code inside a fixture bundle.
QString executableOf(const QString& bundle);
/// Runs velto-codesign; returns its exit code and, in @p output, its standard output.
int runCodesign(const QStringList& arguments, QString* output = nullptr);
/// How often the fixture plug-in's makeWidgets() ran in this process.
int makeWidgetsCalls();

} // namespace velto::test
