#pragma once

#include <QString>

namespace velto {

/**
 * The consent function handed to the plug-in loader. In smoke-test mode it
 * prints "SMOKE_TEST_AUTO_APPROVED_THIRD_PARTY: <identity>" and agrees;
 * otherwise it brings velto to the front and asks with a modal alert.
 */
bool warnBeforeFirstThirdPartyLoad(const QString& identity, bool isSmokeTest);

} // namespace velto
